#include "app/general_error.h"
#include "support/memory_controls.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kelvor {
namespace {

using testing_support::MemoryForm;
using Log = std::vector<std::string>;

TEST(UserNameChange, EnablesConvertOnlyWhileTheFieldHoldsText) {
    MemoryForm f;
    f.userName.SetText("jsmith");
    EXPECT_TRUE(f.convertButton.enabled);
    EXPECT_EQ(f.form.Values().TargetUser, "jsmith");

    f.userName.SetText("");
    EXPECT_FALSE(f.convertButton.enabled);
    EXPECT_EQ(f.form.Values().TargetUser, "jsmith") << "emptying the field keeps the last name";

    f.userName.SetText("a");
    EXPECT_TRUE(f.convertButton.enabled);
    EXPECT_EQ(f.form.Values().TargetUser, "a");

    f.userName.SetText("ab");
    EXPECT_EQ(f.form.Values().TargetUser, "ab");
}

TEST(UserNameChange, KeepsBlanksOfTheName) {
    MemoryForm f;
    f.userName.SetText(" John Smith ");
    EXPECT_EQ(f.form.Values().TargetUser, " John Smith ");
}

TEST(FormClosing, SignsOffOnlyWhileSignedOn) {
    MemoryForm f;
    f.form.OnClose();
    EXPECT_EQ(f.mailbox.log, (Log{"get SessionID"}));

    f.mailbox.SignOn();
    f.mailbox.log.clear();
    f.form.OnClose();
    EXPECT_EQ(f.mailbox.log, (Log{"get SessionID", "SignOff"}));

    f.mailbox.log.clear();
    f.form.OnClose();
    EXPECT_EQ(f.mailbox.log, (Log{"get SessionID"})) << "a second close signs nothing off";
}

TEST(FormClosing, LetsAFailingSessionReadEscape) {
    MemoryForm f;
    f.mailbox.faults["get SessionID"] = 0;
    EXPECT_THROW(f.form.OnClose(), Error);
}

TEST(ExitClick, ClosesTheWindow) {
    MemoryForm f;
    f.mailbox.SignOn();
    f.mailbox.log.clear();
    f.form.OnExitClick();
    EXPECT_EQ(f.host.closeCount, 1);
    EXPECT_TRUE(f.host.dialogs.empty());
    EXPECT_EQ(f.mailbox.log, (Log{"CLOSE", "get SessionID", "SignOff"}));
}

TEST(WarnUser, ShowsTheDialogThenCloses) {
    MemoryForm f;
    f.form.WarnUser("Something broke.");
    EXPECT_EQ(f.mailbox.log, (Log{"DIALOG Something broke.", "CLOSE", "get SessionID"}));
}

struct GeneralErrorCase {
    std::string message;
    std::string text;
};

class FormGeneralErrorText : public testing::TestWithParam<GeneralErrorCase> {};

TEST_P(FormGeneralErrorText, AppendsAFullStopAfterALetterOrDigit) {
    EXPECT_EQ(GeneralErrorText(GetParam().message), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Endings, FormGeneralErrorText,
    testing::Values(GeneralErrorCase{"", ""}, GeneralErrorCase{"Disk full", "Disk full."},
                    GeneralErrorCase{"I/O error 32", "I/O error 32."},
                    GeneralErrorCase{"Done.", "Done."}, GeneralErrorCase{"Stop!", "Stop!"},
                    GeneralErrorCase{"trailing ", "trailing "}, GeneralErrorCase{"a,", "a,"},
                    GeneralErrorCase{"a-", "a-"}, GeneralErrorCase{"tab\t", "tab\t"},
                    // 0x2F is the first code that gets a full stop.
                    GeneralErrorCase{"a/", "a/."}, GeneralErrorCase{"x)", "x)"},
                    GeneralErrorCase{"ends in ;", "ends in ;."},
                    // A byte of the upper half is above 0x2E, not a negative char.
                    GeneralErrorCase{"caf\xE9", "caf\xE9."}));

} // namespace
} // namespace kelvor

#include "app/general_error.h"
#include "support/memory_controls.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kelvor {
namespace {

using testing_support::MemoryForm;
using Log = std::vector<std::string>;

TEST(FormEdit1Change, EnablesConvertOnlyWhileTheFieldHoldsText) {
    MemoryForm f;
    f.Edit1.SetText("jsmith");
    EXPECT_TRUE(f.BitBtn1.enabled);
    EXPECT_EQ(f.form.TargetUser, "jsmith");

    f.Edit1.SetText("");
    EXPECT_FALSE(f.BitBtn1.enabled);
    EXPECT_EQ(f.form.TargetUser, "jsmith") << "emptying the field keeps the last name";

    f.Edit1.SetText("a");
    EXPECT_TRUE(f.BitBtn1.enabled);
    EXPECT_EQ(f.form.TargetUser, "a");

    f.Edit1.SetText("ab");
    EXPECT_EQ(f.form.TargetUser, "ab");
}

TEST(FormEdit1Change, KeepsBlanksOfTheName) {
    MemoryForm f;
    f.Edit1.SetText(" John Smith ");
    EXPECT_EQ(f.form.TargetUser, " John Smith ");
}

TEST(FormClose, SignsOffOnlyWhileSignedOn) {
    MemoryForm f;
    f.form.FormClose();
    EXPECT_EQ(f.mailbox.log, (Log{"get SessionID"}));

    f.mailbox.SignOn();
    f.mailbox.log.clear();
    f.form.FormClose();
    EXPECT_EQ(f.mailbox.log, (Log{"get SessionID", "SignOff"}));

    f.mailbox.log.clear();
    f.form.FormClose();
    EXPECT_EQ(f.mailbox.log, (Log{"get SessionID"})) << "a second close signs nothing off";
}

TEST(FormClose, LetsAFailingSessionReadEscape) {
    MemoryForm f;
    f.mailbox.faults["get SessionID"] = 0;
    EXPECT_THROW(f.form.FormClose(), Error);
}

TEST(FormBitBtn2Click, ClosesTheWindow) {
    MemoryForm f;
    f.mailbox.SignOn();
    f.mailbox.log.clear();
    f.form.BitBtn2Click();
    EXPECT_EQ(f.host.closeCount, 1);
    EXPECT_TRUE(f.host.dialogs.empty());
    EXPECT_EQ(f.mailbox.log, (Log{"CLOSE", "get SessionID", "SignOff"}));
}

TEST(FormWarnUser, ShowsTheDialogThenCloses) {
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

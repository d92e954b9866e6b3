#include "gateway/gateway_paths.h"
#include "platform/paths.h"
#include "support/memory_controls.h"
#include "support/program_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace kelvor {
namespace {

using testing_support::MemoryForm;
using testing_support::NativeText;
using testing_support::ProgramFolder;
using testing_support::ScriptedAttachment;
using testing_support::ScriptedMessage;
using testing_support::Widen;
using Log = std::vector<std::string>;

// The window takes no input while the mailbox block runs.
const Log SignOnCalls{"INPUT off", "put LogonUI true", "put NewSession true",
                      "SignOn",    "get SessionID",    "put Messages.SessionID 7",
                      "Fetch",     "INPUT on"};

Log Concat(Log a, const Log& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

class StartupTest : public testing::Test {
protected:
    StartupTest() {
        folder.WriteConfiguration("ACME", "MAIN");
        f.host.executablePath = folder.ExecutablePath();
        f.host.commandLine = "kelvor.exe";
        f.mailbox.messages = {
            ScriptedMessage{u"First",
                            u"Ann",
                            u"line 1\nline 2",
                            {{u"a.txt", u"C:\\att\\a.txt"}, {u"b.pdf", u"C:\\att\\b.pdf"}}},
            ScriptedMessage{u"Second", u"Bob", u"text", {}}, ScriptedMessage{u"", u"", u"", {}}};
    }

    ProgramFolder folder;
    MemoryForm f;
};

TEST_F(StartupTest, ReadsTheMailboxInOrderAndFillsTheViews) {
    MainForm form = f.Resumed({.ExportCounter = 5});
    form.RunStartup();

    EXPECT_EQ(f.mailbox.log,
              Concat(SignOnCalls,
                     {"get MsgCount", "get MsgCount", "put MsgIndex 0", "get MsgSubject",
                      "put MsgIndex 1", "get MsgSubject", "put MsgIndex 2", "get MsgSubject",
                      "put MsgIndex 0", "get MsgNoteText", "get AttachmentCount",
                      "get AttachmentCount", "put AttachmentIndex 0", "get AttachmentPathName",
                      "put AttachmentIndex 1", "get AttachmentPathName"}));
    EXPECT_EQ(f.subjectList.items, (std::vector<std::string>{"First", "Second", ""}));
    EXPECT_EQ(f.subjectList.selected, -1);
    EXPECT_EQ(f.messageView.text, "line 1\r\nline 2");
    EXPECT_EQ(f.attachmentList.items,
              (std::vector<std::string>{"C:\\att\\a.txt", "C:\\att\\b.pdf"}));
    EXPECT_EQ(form.Values().ExportCounter, 0);
    EXPECT_TRUE(f.host.dialogs.empty());
    EXPECT_EQ(f.host.closeCount, 0);
}

// The start-up takes its messages once the mailbox has signed on and fetched, and between two
// subjects listed; a close asked for meanwhile stops it there.
TEST_F(StartupTest, StopsAtTheStepWhereTheUserClosesTheWindow) {
    const std::pair<int, std::vector<std::string>> stops[] = {
        {1, {}}, {2, {}}, {3, {}}, {4, {"First"}}, {5, {"First", "Second"}}};
    for (const auto& [step, listed] : stops) {
        MemoryForm form;
        form.host.executablePath = folder.ExecutablePath();
        form.mailbox.messages = f.mailbox.messages;
        form.host.stopAtStep = step;
        form.form.RunStartup();
        EXPECT_EQ(form.subjectList.items, listed) << step;
        EXPECT_EQ(form.mailbox.log.back(), listed.empty() ? "get MsgCount" : "get MsgSubject")
            << step;
        EXPECT_EQ(form.host.works, std::vector<WorkKind>{WorkKind::Startup});
    }
}

TEST_F(StartupTest, LoadsTheConfiguration) {
    f.form.RunStartup();
    EXPECT_EQ(f.form.Values().ProgramDir.native(), NativeText(folder.Root() + PathSeparator));
    EXPECT_EQ(f.form.Values().GatewayDir.native(), NativeText(folder.Gateway() + PathSeparator));
    EXPECT_EQ(f.form.Values().RecipientQualifier1, "ACME");
    EXPECT_EQ(f.form.Values().RecipientQualifier2, "MAIN");
}

TEST_F(StartupTest, FirstMessageWithoutAttachmentsLeavesTheListEmpty) {
    std::swap(f.mailbox.messages[0], f.mailbox.messages[1]);
    f.form.RunStartup();
    EXPECT_EQ(f.mailbox.log.back(), "get AttachmentCount");
    EXPECT_TRUE(f.attachmentList.items.empty());
    EXPECT_EQ(f.messageView.text, "text");
}

TEST_F(StartupTest, OneMessageShowsItsSubjectTextAndAttachments) {
    f.mailbox.messages.resize(1);
    f.form.RunStartup();
    EXPECT_EQ(f.subjectList.items, (std::vector<std::string>{"First"}));
    EXPECT_EQ(f.messageView.text, "line 1\r\nline 2");
    EXPECT_EQ(f.attachmentList.items.size(), 2u);
}

TEST_F(StartupTest, ConvertsMailboxTextsToTheCodePage) {
    f.mailbox.messages[0].subject = u"Caf\u00e9 \u20ac";
    f.mailbox.messages[0].text = u"a\rb\r\nc\n\nd\u00e9";
    f.mailbox.messages[0].attachments[0].path = u"C:\\\u00e9t\u00e9.txt";
    f.form.RunStartup();
    EXPECT_EQ(f.subjectList.items[0], "Caf\xE9 \x80");
    EXPECT_EQ(f.messageView.text, "a\r\nb\r\nc\r\n\r\nd\xE9");
    EXPECT_EQ(f.attachmentList.items[0], "C:\\\xE9t\xE9.txt");
}

TEST_F(StartupTest, MessageTextEndsBeforeItsFirstNul) {
    f.mailbox.messages[0].text = std::u16string(u"before\nthe nul") + u'\0' + u"after";
    f.form.RunStartup();
    EXPECT_EQ(f.messageView.text, "before\r\nthe nul");
}

TEST_F(StartupTest, WithoutUserNameTheFieldHasTheFocusAndConvertStaysOff) {
    f.host.commandLine = "\"C:\\Program Files\\Kelvor\\kelvor.exe\"";
    f.form.RunStartup();
    EXPECT_EQ(f.focus, "userName");
    EXPECT_FALSE(f.convertButton.enabled);
    EXPECT_FALSE(f.userName.readOnly);
    EXPECT_TRUE(f.userName.tabStop);
    EXPECT_EQ(f.userName.text, "");
    EXPECT_EQ(f.form.Values().TargetUser, "");
}

TEST_F(StartupTest, UserNameFromTheCommandLineLocksTheFieldAndFocusesConvert) {
    f.host.commandLine = "kelvor.exe \"John Smith\" ignored";
    f.form.RunStartup();
    EXPECT_EQ(f.form.Values().TargetUser, "John Smith");
    EXPECT_EQ(f.userName.text, "John Smith");
    EXPECT_TRUE(f.userName.readOnly);
    EXPECT_FALSE(f.userName.tabStop);
    EXPECT_TRUE(f.convertButton.enabled);
    EXPECT_EQ(f.focus, "convertButton");
    EXPECT_TRUE(f.userName.focused) << "the field had the focus first";
}

TEST_F(StartupTest, UserNameIsTakenBeforeTheMessagesAreListed) {
    f.host.commandLine = "kelvor.exe jsmith";
    f.mailbox.faults["get MsgSubject"] = 1;
    EXPECT_THROW(f.form.RunStartup(), Error);
    EXPECT_EQ(f.form.Values().TargetUser, "jsmith");
    EXPECT_EQ(f.focus, "convertButton");
}

// Each of the sign-on operations failing: the one dialog, then the window closes. Closing signs
// off only when the sign-on itself went through.
struct SignOnFault {
    std::string operation;
    bool signedOn;
};

class StartupSignOnFailure : public StartupTest, public testing::WithParamInterface<SignOnFault> {};

TEST_P(StartupSignOnFailure, WarnsAndCloses) {
    f.mailbox.faults[GetParam().operation] = 1;
    f.form.RunStartup();

    EXPECT_EQ(f.host.dialogs, (Log{"Unable to establish MAPI session."}));
    EXPECT_EQ(f.host.closeCount, 1);
    EXPECT_TRUE(f.subjectList.items.empty());
    EXPECT_EQ(f.focus, "");
    Log tail{"INPUT on", "DIALOG Unable to establish MAPI session.", "CLOSE", "get SessionID"};
    if (GetParam().signedOn)
        tail.push_back("SignOff");
    const auto failed =
        std::find(f.mailbox.log.begin(), f.mailbox.log.end(), "FAIL " + GetParam().operation);
    ASSERT_NE(failed, f.mailbox.log.end());
    EXPECT_EQ(Log(failed + 1, f.mailbox.log.end()), tail);
}

INSTANTIATE_TEST_SUITE_P(
    EachOperation, StartupSignOnFailure,
    testing::Values(SignOnFault{"put LogonUI", false}, SignOnFault{"put NewSession", false},
                    SignOnFault{"SignOn", false}, SignOnFault{"get SessionID", true},
                    SignOnFault{"put Messages.SessionID", true}, SignOnFault{"Fetch", true}));

TEST_F(StartupTest, EmptyMailboxSignsOffAndClosesWithoutDialogOrConfiguration) {
    ProgramFolder withoutConfiguration;
    f.host.executablePath = withoutConfiguration.ExecutablePath();
    f.mailbox.messages.clear();
    f.form.RunStartup();

    EXPECT_TRUE(f.host.dialogs.empty()) << "a missing kelvor.prm was not even looked for";
    EXPECT_EQ(f.mailbox.log,
              Concat(SignOnCalls, {"get MsgCount", "CLOSE", "get SessionID", "SignOff"}));
    EXPECT_TRUE(f.form.Values().GatewayDir.empty());
    EXPECT_EQ(f.focus, "");
}

TEST_F(StartupTest, MissingConfigurationWarnsAndClosesSigningOff) {
    ProgramFolder withoutConfiguration;
    f.host.executablePath = withoutConfiguration.ExecutablePath();
    f.form.RunStartup();

    EXPECT_EQ(f.host.dialogs, (Log{"No configuration file found."}));
    EXPECT_EQ(f.mailbox.log,
              Concat(SignOnCalls, {"get MsgCount", "DIALOG No configuration file found.", "CLOSE",
                                   "get SessionID", "SignOff"}));
    EXPECT_EQ(f.focus, "");
    EXPECT_TRUE(f.subjectList.items.empty());
}

TEST_F(StartupTest, EmptyFirstLineWarnsAndCloses) {
    folder.WriteConfiguration("\r\nACME\r\nMAIN\r\n");
    f.form.RunStartup();
    EXPECT_EQ(f.host.dialogs, (Log{"No gateway directory in configuration file."}));
    EXPECT_EQ(f.host.closeCount, 1);
    EXPECT_EQ(f.mailbox.CurrentSessionID(), 0);
    EXPECT_TRUE(f.subjectList.items.empty());
}

// A gateway folder that is there but cannot be listed (here a file where the folder should be)
// is not taken for an empty one: the error dialog names it with the system's reason, and the
// program ends before anything is read or written.
class StartupUnlistableGateway : public StartupTest,
                                 public testing::WithParamInterface<const char*> {};

TEST_P(StartupUnlistableGateway, WarnsAndCloses) {
    folder.MakeGatewayTree();
    const std::filesystem::path unlistable = std::filesystem::path(folder.Gateway()) / GetParam();
    std::filesystem::remove(unlistable);
    test::WriteBytes(unlistable, "a file");
    f.form.RunStartup();

    ASSERT_EQ(f.host.dialogs.size(), 1u);
    const std::string start = "Cannot list " + (unlistable / "").string() + ": ";
    EXPECT_EQ(f.host.dialogs[0].substr(0, start.size()), start);
    EXPECT_GT(f.host.dialogs[0].size(), start.size()) << "no reason given";
    EXPECT_EQ(f.host.closeCount, 1);
    EXPECT_EQ(f.mailbox.CurrentSessionID(), 0);
    EXPECT_TRUE(f.subjectList.items.empty());
    EXPECT_EQ(test::ReadBytes(unlistable), "a file");
}

INSTANTIATE_TEST_SUITE_P(Folders, StartupUnlistableGateway, testing::Values("API_IN", "ATT_IN"));

// However many names the gateway holds, its scan can be given up while it reads them: a checkpoint
// every 256 names of both folders (512 in each give four; counted again in the second, as many).
// The window takes its messages while it waits for the scan: a step for that, besides one once the
// mailbox has fetched and one for each subject.
TEST_F(StartupTest, TheGatewayScanTakesItsMessages) {
    folder.MakeGatewayTree();
    for (int n = 1; n <= 512; ++n) {
        test::WriteBytes(folder.ApiIn(std::to_string(n) + ".API"), "");
        test::WriteBytes(folder.AttIn(std::to_string(n) + ".MSG"), "");
    }
    int checkpoints = 0;
    EXPECT_EQ(LastExportNumber(std::filesystem::path(folder.Gateway() + PathSeparator),
                               [&] { ++checkpoints; }),
              512);
    EXPECT_EQ(checkpoints, 4);
    f.form.RunStartup();
    EXPECT_EQ(f.form.Values().ExportCounter, 512);
    EXPECT_EQ(f.host.workSteps, 1 + 1 + 3);
}

// A failure after the configuration is not the sequence's to catch: it escapes with its
// message, the window stays open and keeps what was filled so far.
struct LateFault {
    std::string operation;
    int occurrence;
    std::size_t subjects;
    std::string memo;
    std::size_t attachmentPaths;
};

class StartupLateFailure : public StartupTest, public testing::WithParamInterface<LateFault> {};

TEST_P(StartupLateFailure, EscapesAndKeepsTheWindowOpen) {
    f.mailbox.faults[GetParam().operation] = GetParam().occurrence;
    try {
        f.form.RunStartup();
        FAIL() << "no error escaped";
    } catch (const Error& error) {
        EXPECT_EQ(std::string(error.what()), "Injected failure of " + GetParam().operation);
    }
    EXPECT_TRUE(f.host.dialogs.empty());
    EXPECT_EQ(f.host.closeCount, 0);
    EXPECT_EQ(f.form.Values().RecipientQualifier1, "ACME");
    EXPECT_EQ(f.subjectList.items.size(), GetParam().subjects);
    EXPECT_EQ(f.messageView.text, GetParam().memo);
    EXPECT_EQ(f.attachmentList.items.size(), GetParam().attachmentPaths);
    EXPECT_EQ(f.mailbox.log.back(), "FAIL " + GetParam().operation);
}

INSTANTIATE_TEST_SUITE_P(
    Reads, StartupLateFailure,
    testing::Values(LateFault{"get MsgCount", 2, 0, "", 0}, LateFault{"put MsgIndex", 2, 1, "", 0},
                    LateFault{"get MsgSubject", 3, 2, "", 0},
                    LateFault{"put MsgIndex", 4, 3, "", 0},
                    LateFault{"get MsgNoteText", 1, 3, "", 0},
                    LateFault{"get AttachmentCount", 2, 3, "line 1\r\nline 2", 0},
                    LateFault{"get AttachmentPathName", 2, 3, "line 1\r\nline 2", 1}));

// The view's refusal (the window's own is MemoView.TextBeyondItsCapacityIsAnError) ends the
// start-up there: the subjects are listed, no attachment is read.
TEST_F(StartupTest, TooLongTextForTheMessageViewEscapes) {
    f.messageView.capacity = 5;
    try {
        f.form.RunStartup();
        FAIL() << "no error escaped";
    } catch (const Error& error) {
        EXPECT_STREQ(error.what(), testing_support::MemoryText::RefusedText);
    }
    EXPECT_EQ(f.subjectList.items.size(), 3u);
    EXPECT_EQ(f.mailbox.log.back(), "get MsgNoteText");
    EXPECT_TRUE(f.attachmentList.items.empty());
}

// An error of the user name's change handler while the start-up sets the name from the command
// line ends the start-up there, before the mailbox is listed; the window's guard shows it.
TEST_F(StartupTest, AnErrorOfTheUserNameChangeHandlerEndsTheStartUp) {
    f.host.commandLine = "kelvor.exe jsmith";
    f.userName.onChange = [] { throw Error("name refused"); };
    try {
        f.form.RunStartup();
        FAIL() << "no error escaped";
    } catch (const Error& error) {
        EXPECT_STREQ(error.what(), "name refused");
    }
    EXPECT_EQ(f.userName.text, "jsmith");
    EXPECT_FALSE(f.userName.readOnly) << "the start-up went on after the name";
    EXPECT_TRUE(f.subjectList.items.empty());
    EXPECT_EQ(std::count(f.mailbox.log.begin(), f.mailbox.log.end(), "put MsgIndex 0"), 0);
    EXPECT_TRUE(f.host.dialogs.empty());
    EXPECT_EQ(f.host.closeCount, 0);
}

} // namespace
} // namespace kelvor

// The real kelvor.exe when an export fails: a missing gateway directory, a failing mailbox
// property, an attachment file that is not there or cannot be read. A failed export leaves none
// of its files; the program reports through its error dialog or its general error display.

#include "platform/files.h"
#include "support/e2e_export.h"
#include "support/win32_system_text.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace kelvor::testing_support {
namespace {

using namespace win32;

std::vector<MailMessage> ThreeMessages() {
    return {{"First", "Ann", "One", "One", {}},
            {"Second", "Bob", "Two", "Two", {{"notes", "", "attached"}}},
            {"Third", "Carol", "Three", "Three", {}}};
}

// The general error display shows `text`; OK closes it and the window takes input again.
void ExpectGeneralError(KelvorRun& run, const KelvorWindow& window, const std::string& text) {
    const ProgramBox box(run.Process(), L"Kelvor");
    ASSERT_TRUE(box) << "no message box for \"" << text << "\"";
    EXPECT_EQ(Ansi(box.Text()), text);
    EXPECT_FALSE(window.Usable()) << "the window takes input behind the message box";
    ASSERT_TRUE(box.PressOk());
    EXPECT_TRUE(WaitFor([&] { return window.Usable(); }));
    EXPECT_TRUE(run.Process().Running());
}

TEST(ExportFailures, MissingApiInEndsTheProgramAfterTheErrorDialog) {
    KelvorRun run(MailboxFile(ThreeMessages()));
    std::filesystem::remove(std::filesystem::path(run.Folder().Gateway()) / "API_IN");

    // By Convert, which stops at its first export, and by a click on a subject.
    for (const bool convert : {true, false}) {
        SCOPED_TRACE(convert ? "Convert" : "click");
        const int signOffs = run.CountInLog("SignOff");
        run.Start(convert ? L"jsmith" : L"");
        const KelvorWindow window(run.MainWindow());
        ASSERT_TRUE(window.Ready());
        if (convert)
            PressKey(VK_RETURN);
        else
            window.ClickSubject(2);

        const ProgramBox dialog(run.Process(), L"Error");
        ASSERT_TRUE(dialog);
        EXPECT_EQ(dialog.Text(), L"Unable to create API Gateway file!");
        EXPECT_EQ(run.CountInLog("SignOff"), signOffs) << "signed off before the user saw it";
        EXPECT_TRUE(dialog.PressOk());
        EXPECT_EQ(run.Process().WaitForExit(), 0u);
        EXPECT_EQ(run.CountInLog("SignOff"), signOffs + 1);
        EXPECT_EQ(run.Folder().Listing("ATT_IN"), "");
    }
    // Each export read its message, Convert the second too while the first was to be written,
    // besides the start-up's choices.
    EXPECT_EQ(run.CountInLog("put MsgIndex 1"), 3);
    EXPECT_EQ(run.CountInLog("put MsgIndex 2"), 3);
}

TEST(ExportFailures, MissingAttInStopsConvertAfterTheFirstMessageAndTheProgramStaysOpen) {
    const auto messages = ThreeMessages();
    KelvorRun run(MailboxFile(messages));
    std::filesystem::remove(std::filesystem::path(run.Folder().Gateway()) / "ATT_IN");
    const std::string attIn = run.Folder().Gateway() + "\\ATT_IN\\";

    run.Start(L"jsmith");
    const KelvorWindow window(run.MainWindow());
    ASSERT_TRUE(window.Ready());
    PressKey(VK_RETURN);
    ExpectGeneralError(run, window, "Cannot create file " + attIn + "1.MSG.");
    EXPECT_EQ(run.CountInLog("put MsgIndex 2"), 1) << "Convert went on after the failure";

    // The number is used up; the next export fails the same way.
    window.ClickSubject(1);
    ExpectGeneralError(run, window, "Cannot create file " + attIn + "2.MSG.");
    EXPECT_EQ(window.MemoText(), messages[1].body);
    EXPECT_EQ(run.Folder().Listing("API_IN"), "") << "a failed export left its request file";

    window.ClickControl(ExitButtonId);
    EXPECT_EQ(run.Process().WaitForExit(), 0u);
    EXPECT_EQ(run.CountInLog("SignOff"), 1);
}

TEST(ExportFailures, AFailingPropertyOrCopyEndsTheExportAndConvertButNotTheProgram) {
    ProgramFolder files;
    const std::string missing = files.MissingAttachment("missing.jpg");
    const std::vector<MailMessage> messages = {
        {"Report",
         "Ann",
         "Zero",
         "Zero",
         {{"report.pdf", files.Attachment("r.pdf", "%PDF"), "%PDF"}}},
        {"Lunch", "Bob", "One", "One", {}},
        {"Notes", "Carol", "Two", "Two", {}},
        {"Photos",
         "Dave",
         "Three",
         "Three",
         {{"photo.jpg", files.Attachment("p.jpg", "JFIF"), "JFIF"}, {"gone.jpg", missing, ""}}},
        {"Names", "Eve", "Four", "Four", {{"a.txt", "", "aaa"}}},
        {"Indexes",
         "Fred",
         "Five",
         "Five",
         {{"x", files.Attachment("x", "xx"), "xx"}, {"y", files.Attachment("y", "yy"), "yy"}}},
    };
    // The start-up reads message 0's AttachmentCount twice and message 1's subject once.
    const std::string faults = R"([
        {"op": "get AttachmentCount", "message": 0, "call": 3,
         "hresult": "0x80004005", "description": "Attachment table unavailable"},
        {"op": "get MsgSubject", "message": 1, "call": 2, "hresult": "0x8004ABCD", "via": "status"},
        {"op": "get MsgNoteText", "message": 2, "call": 1, "hresult": "0x80004005",
         "description": "Message text unavailable..."},
        {"op": "get AttachmentName", "message": 4, "hresult": "0x80004005",
         "description": "Name lost!"},
        {"op": "put AttachmentIndex", "message": 5, "call": 2, "hresult": "0x80004005",
         "description": "No such attachment"}])";
    KelvorRun run(MailboxFile(messages, faults));
    ExpectedGateway gateway;

    run.Start(L"jsmith");
    const KelvorWindow window(run.MainWindow());
    ASSERT_TRUE(window.Ready());

    // A selection change that leaves nothing selected exports nothing.
    PostMessageW(window.Handle(), WM_COMMAND, MAKEWPARAM(SubjectListId, LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(window.Control(SubjectListId)));

    // Convert: message 0 fails as it is read, before anything is written, and the batch ends.
    PressKey(VK_RETURN);
    ExpectGeneralError(run, window, "Attachment table unavailable.");
    gateway.ExpectOnDisk(run.Folder());

    window.ClickSubject(1);
    ExpectGeneralError(run, window, "OLE error 8004abcd.");
    EXPECT_EQ(window.MemoText(), "") << "the views are emptied before anything is read";
    EXPECT_TRUE(window.AttachmentList().empty());

    window.ClickSubject(2);
    ExpectGeneralError(run, window, "Message text unavailable.");

    // The first number claimed: a message that could not be read claims none.
    const std::string copy = run.Folder().Gateway() + "\\ATT_IN\\1.1";
    window.ClickSubject(3);
    {
        const ProgramBox box(run.Process(), L"Kelvor");
        ASSERT_TRUE(box);
        const std::string text = Ansi(box.Text());
        const std::string start = "Cannot copy attachment " + missing + " to " + copy + ": ";
        EXPECT_EQ(text.substr(0, start.size()), start);
        EXPECT_GT(text.size(), start.size() + 1) << "the system's reason is missing";
        ASSERT_TRUE(box.PressOk());
    }
    EXPECT_EQ(window.AttachmentList().size(), 2u);

    window.ClickSubject(4);
    ExpectGeneralError(run, window, "Name lost!");

    PressKey(VK_DOWN);
    ExpectGeneralError(run, window, "No such attachment.");
    EXPECT_EQ(window.SelectedSubject(), 5);

    // After all this the program exports as before.
    PressKey(VK_HOME);
    EXPECT_TRUE(WaitForBytes(run.Folder().ApiIn("2.API"), RequestBytes(2, messages[0], "jsmith")));
    gateway.Export(2, messages[0], "jsmith");
    gateway.ExpectOnDisk(run.Folder());
    EXPECT_EQ(run.CountInLog("FAIL get MsgSubject 0x8004ABCD"), 1);

    // Convert once more: the attachment that cannot be copied ends the batch at message 3, its
    // error shown rather than that of message 4, read meanwhile.
    PressAltKey('C');
    {
        const ProgramBox box(run.Process(), L"Kelvor");
        ASSERT_TRUE(box);
        EXPECT_NE(Ansi(box.Text()).find(" to " + run.Folder().Gateway() + "\\ATT_IN\\6.1: "),
                  std::string::npos);
        // Behind the box, the views show the last message exported whole.
        EXPECT_EQ(window.SelectedSubject(), 2);
        EXPECT_EQ(window.MemoText(), "Two");
        EXPECT_TRUE(window.AttachmentList().empty());
        ASSERT_TRUE(box.PressOk());
    }
    for (int i = 0; i < 3; ++i)
        gateway.Export(3 + i, messages[static_cast<std::size_t>(i)], "jsmith");
    gateway.ExpectOnDisk(run.Folder());

    window.ClickControl(ExitButtonId);
    EXPECT_EQ(run.Process().WaitForExit(), 0u);
}

// An attachment file that is there but cannot be read: held open without sharing by another
// program, or a folder (which no program opens for reading). The click's export ends at the copy
// with the system's reason, and no request names the attachment.
TEST(ExportFailures, AnAttachmentThatCannotBeReadEndsTheExportWithTheSystemsReason) {
    ProgramFolder files;
    const std::string held = files.Attachment("held.doc", "held");
    const std::string folder = files.MissingAttachment("folder.doc");
    std::filesystem::create_directory(folder);
    const std::vector<MailMessage> messages = {
        {"Plain", "Ann", "Zero", "Zero", {}},
        {"Held", "Bob", "One", "One", {{"held.doc", held, ""}}},
        {"Folder", "Cy", "Two", "Two", {{"folder.doc", folder, ""}}},
    };
    const UniqueFile holder(reinterpret_cast<FileHandle>(CreateFileA(
        held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)));
    ASSERT_TRUE(holder);
    KelvorRun run(MailboxFile(messages));
    ExpectedGateway gateway;
    run.Start(L"jsmith");
    const KelvorWindow window(run.MainWindow());
    ASSERT_TRUE(window.Ready());

    const struct {
        int subject;
        const std::string& path;
        DWORD code;
    } cases[] = {{1, held, ERROR_SHARING_VIOLATION}, {2, folder, ERROR_ACCESS_DENIED}};
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        ++n;
        window.ClickSubject(c.subject);
        const ProgramBox box(run.Process(), L"Kelvor");
        ASSERT_TRUE(box);
        EXPECT_EQ(Ansi(box.Text()), "Cannot copy attachment " + c.path + " to " +
                                        run.Folder().AttIn(std::to_string(n) + ".0") + ": " +
                                        SystemText(c.code) + ".");
        ASSERT_TRUE(box.PressOk());
    }
    gateway.ExpectOnDisk(run.Folder());

    window.ClickControl(ExitButtonId);
    EXPECT_EQ(run.Process().WaitForExit(), 0u);
}

} // namespace
} // namespace kelvor::testing_support

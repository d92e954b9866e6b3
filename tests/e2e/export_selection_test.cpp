// The real kelvor.exe exporting as a user drives it: subjects chosen by mouse and by the arrow
// keys, a user name typed and cleared, Convert after single exports, and a second run into the
// same gateway tree, numbered after the first. Every file of the gateway tree is compared byte
// for byte.

#include "support/e2e_export.h"

#include <gtest/gtest.h>

namespace kelvor::testing_support {
namespace {

using namespace win32;

// Five messages: 1, 3, 0, 0 and 2 attachments, given by file and by content, with texts that
// need converting to the ANSI code page. The attachment files' bytes name the run.
std::vector<MailMessage> Messages(const ProgramFolder& folder, const std::string& run) {
    const std::string report = std::string("%PDF-1.4\0\r\n\xFF ", 14) + run;
    const std::string menu = "Soup\r\nBread\n" + run;
    const std::string photo = "\xFF\xD8\xFF\xE0 " + run;
    const std::string binary = std::string("\0\1\2 ", 4) + run;
    return {
        {"Quarterly report",
         "Ann Example",
         "Hello,\nthe report is attached.",
         "Hello,\r\nthe report is attached.",
         {{"report.pdf", folder.Attachment("report.pdf", report), report}}},
        {"Lunch; Friday, 12:30",
         "Bob, the builder; Jr.",
         "One\rTwo\r\nThree\n",
         "One\r\nTwo\r\nThree\r\n",
         {{"menu.txt", folder.Attachment("menu.txt", menu), menu},
          {"notes", "", "notes of the " + run + " run"},
          {"photo.jpg", folder.Attachment("photo.jpg", photo), photo}}},
        {"", "", "", "", {}},
        {{"Gr\xC3\xBC\xC3\x9F"
          "e aus K\xC3\xB6ln",
          "Gr\xFC\xDF"
          "e aus K\xF6ln"},
         {"J\xC3\xBCrgen Gro\xC3\x9F", "J\xFCrgen Gro\xDF"},
         {"Zo\xC3\xAB \xC5\x91 \xE6\x97\xA5 \xE2\x82\xAC\nEnde", "Zo\xEB o ? \x80\nEnde"},
         "Zo\xEB o ? \x80\r\nEnde",
         {}},
        {"Two files",
         "Carol",
         "See both.",
         "See both.",
         {{{"\xC3\x9C"
            "bersicht.txt",
            "\xDC"
            "bersicht.txt"},
           "",
           "first of " + run},
          {"b.bin", folder.Attachment("b.bin", binary), binary}}},
    };
}

// Waits for export n of `message` and records it as expected.
void Exported(KelvorRun& run, ExpectedGateway& gateway, int n, const MailMessage& message,
              const std::string& user) {
    const std::string request = RequestBytes(n, message, user);
    const auto path = run.Folder().ApiIn(std::to_string(n) + ".API");
    WaitForBytes(path, request);
    EXPECT_EQ(FileBytes(path), request) << "export " << n;
    gateway.Export(n, message, user);
}

// The views show the message of the last export: its text, and its attachments by path.
void ExpectViewsShow(const KelvorWindow& window, const MailMessage& message) {
    EXPECT_EQ(window.MemoText(), message.body);
    const auto paths = window.AttachmentList();
    ASSERT_EQ(paths.size(), message.attachments.size());
    for (std::size_t k = 0; k < paths.size(); ++k) {
        const auto& attachment = message.attachments[k];
        if (attachment.path.empty())
            EXPECT_EQ(FileBytes(paths[k]), attachment.bytes) << "attachment " << k;
        else
            EXPECT_EQ(Ansi(paths[k]), Ansi(driver::Widen(attachment.path, CP_UTF8)))
                << "attachment " << k;
    }
}

TEST(ExportSelection, ClicksKeysConvertAndASecondRunIntoTheSameGateway) {
    ASSERT_EQ(GetACP(), 1252u) << "the expected bytes are those of code page 1252";
    KelvorRun run("{}");
    auto messages = Messages(run.Folder(), "first");
    run.Mailbox().WriteFile("mailbox.json", MailboxFile(messages));
    ExpectedGateway gateway;

    run.Start();
    KelvorWindow window(run.MainWindow());
    ASSERT_TRUE(window.Ready());
    EXPECT_FALSE(window.ConvertEnabled());

    // No name yet: the address ends in a full stop right before the semicolon.
    window.ClickSubject(1);
    Exported(run, gateway, 1, messages[1], "");
    ExpectViewsShow(window, messages[1]);

    // The last text the name field held before it was cleared stays the target user; Convert
    // goes off with the text.
    window.ClickControl(UserNameId);
    TypeText(L"ann");
    EXPECT_TRUE(WaitFor([&] { return window.ConvertEnabled(); }));
    PressKey(VK_BACK);
    SendKeys({{VK_SHIFT, true}, {VK_HOME, true}, {VK_HOME, false}, {VK_SHIFT, false}});
    PressKey(VK_DELETE);
    EXPECT_TRUE(WaitFor([&] { return !window.ConvertEnabled(); }));
    window.ClickSubject(3);
    Exported(run, gateway, 2, messages[3], "an");
    ExpectViewsShow(window, messages[3]);
    EXPECT_EQ(window.Focus(), window.Control(SubjectListId));

    PressKey(VK_DOWN);
    Exported(run, gateway, 3, messages[4], "an");

    // Convert after three single exports continues the numbers, message 1 for a second time.
    window.ClickControl(UserNameId);
    TypeText(L"bob");
    EXPECT_TRUE(WaitFor([&] { return window.ConvertEnabled(); }));
    window.ClickControl(ConvertButtonId);
    for (int i = 0; i < 5; ++i)
        Exported(run, gateway, 4 + i, messages[static_cast<std::size_t>(i)], "bob");
    EXPECT_EQ(window.SelectedSubject(), 4);
    ExpectViewsShow(window, messages[4]);
    EXPECT_TRUE(window.Usable());
    gateway.ExpectOnDisk(run.Folder());

    PressAltKey('E');
    ASSERT_EQ(run.Process().WaitForExit(), 0u);

    // The second run: new attachment bytes, the user name from the command line.
    messages = Messages(run.Folder(), "second");
    run.Mailbox().WriteFile("mailbox.json", MailboxFile(messages));
    run.Start(L"carl");
    window = KelvorWindow(run.MainWindow());
    ASSERT_TRUE(window.Ready());

    // Enter presses the focused Convert: exports 9 to 13 follow the first run's, whose files
    // all stay as they were.
    PressKey(VK_RETURN);
    for (int i = 0; i < 5; ++i)
        Exported(run, gateway, 9 + i, messages[static_cast<std::size_t>(i)], "carl");
    gateway.ExpectOnDisk(run.Folder());
    // Keys made before Convert has ended do nothing.
    ASSERT_TRUE(window.Ready());

    // Stepping up through the list exports every message passed; down again is export 18.
    PressKey(VK_TAB);
    EXPECT_TRUE(WaitFor([&] { return window.Focus() == window.Control(SubjectListId); }));
    PressKeyTimes(VK_UP, 4);
    PressKey(VK_DOWN);
    for (int i = 0; i < 4; ++i)
        Exported(run, gateway, 14 + i, messages[static_cast<std::size_t>(3 - i)], "carl");
    Exported(run, gateway, 18, messages[1], "carl");
    EXPECT_EQ(window.SelectedSubject(), 1);
    ExpectViewsShow(window, messages[1]);
    gateway.ExpectOnDisk(run.Folder());

    PressAltKey('E');
    EXPECT_EQ(run.Process().WaitForExit(), 0u);
}

// Windows hands over the program's own path and the attachments' in UTF-16: a program folder
// and an attachment folder named with characters the code page lacks are found and read all the
// same. Only the attachment list shows such a path in the code page's form.
TEST(ExportSelection, FromAndOutOfFoldersNamedOutsideTheCodePage) {
    const std::filesystem::path outside(u"Kelv\u00f6r \u011f \u4e2d");
    KelvorRun run("{}", KELVOR_EXE, outside);
    const std::filesystem::path source = run.Folder().ExecutablePath().parent_path() / outside;
    std::filesystem::create_directory(source);
    const std::string bytes = std::string("%PDF\0\r\n\xFF", 8);
    test::WriteBytes(source / "report.pdf", bytes);
    const std::u8string utf8 = (source / "report.pdf").u8string();
    const MailMessage message{
        "Report", "Ann", "Text", "Text", {{"report.pdf", {utf8.begin(), utf8.end()}, bytes}}};
    run.Mailbox().WriteFile("mailbox.json", MailboxFile({message, message}));

    run.Start(L"jsmith");
    KelvorWindow window(run.MainWindow());
    ASSERT_TRUE(window.Ready());
    PressKey(VK_RETURN);
    ExpectedGateway gateway;
    Exported(run, gateway, 1, message, "jsmith");
    Exported(run, gateway, 2, message, "jsmith");
    gateway.ExpectOnDisk(run.Folder());
    ExpectViewsShow(window, message);
    EXPECT_NE(Ansi(window.AttachmentList().at(0)).find("Kelv\xF6r g ?"), std::string::npos);

    PressAltKey('E');
    EXPECT_EQ(run.Process().WaitForExit(), 0u);
}

// The gateway directory in kelvor.prm holds bytes of the code page: a name with é, ß and the euro
// sign (0x80, which Latin-1 would read as a control character) there is the folder of that
// name, its requests and bodies written whole.
TEST(ExportSelection, IntoAGatewayNamedWithCharactersOfTheCodePage) {
    ASSERT_EQ(GetACP(), 1252u) << "the configuration's bytes are those of code page 1252";
    const MailMessage message{"Report", "Ann", "Text", "Text", {{"notes", "", "noted"}}};
    KelvorRun run(MailboxFile({message}));
    const std::filesystem::path gateway = std::filesystem::path(run.Folder().Root()) /
                                          std::filesystem::path(u"Gat\u00e9way \u00df \u20ac");
    std::filesystem::create_directories(gateway / "API_IN");
    std::filesystem::create_directory(gateway / "ATT_IN");
    run.Folder().WriteConfiguration(run.Folder().Root() +
                                    "\\Gat\xE9way \xDF \x80\r\nkelvor\r\nmail\r\n");

    run.Start(L"jsmith");
    const KelvorWindow window(run.MainWindow());
    ASSERT_TRUE(window.Ready());
    PressKey(VK_RETURN);
    EXPECT_TRUE(WaitForBytes(gateway / "API_IN" / "1.API", RequestBytes(1, message, "jsmith")));
    EXPECT_EQ(FileBytes(gateway / "ATT_IN" / "1.MSG"), "Text");
    EXPECT_EQ(FileBytes(gateway / "ATT_IN" / "1.0"), "noted");
    EXPECT_EQ(run.Folder().Listing("API_IN"), "") << "the ASCII gateway of the other tests";

    ASSERT_TRUE(window.Ready());
    PressAltKey('E');
    EXPECT_EQ(run.Process().WaitForExit(), 0u);
}

} // namespace
} // namespace kelvor::testing_support

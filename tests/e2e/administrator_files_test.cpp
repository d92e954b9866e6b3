// The real kelvor.exe with files as a Windows administrator's tools make them: kelvor.prm saved
// as UTF-8 or UTF-16 with a byte-order mark, a gateway folder named in a two-byte code page, and
// an attachment that is read-only.

#include "support/e2e_export.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace kelvor::testing_support {
namespace {

std::string Utf8File(const std::u16string& text) {
    const std::u8string utf8 = std::filesystem::path(text).u8string();
    return "\xEF\xBB\xBF" + std::string(utf8.begin(), utf8.end());
}

// A gateway tree of the given name beside the program's own.
std::filesystem::path MakeGateway(const KelvorRun& run, const std::filesystem::path& name) {
    const std::filesystem::path gateway = std::filesystem::path(run.Folder().Root()) / name;
    std::filesystem::create_directories(gateway / "API_IN");
    std::filesystem::create_directory(gateway / "ATT_IN");
    return gateway;
}

// Converts the mailbox's one message for the user named on the command line and waits for its
// request file.
void ConvertOnce(KelvorRun& run, const std::filesystem::path& gateway, const std::string& request,
                 const std::wstring& user = L"jsmith") {
    run.Start(user);
    KelvorWindow window(run.MainWindow());
    ASSERT_TRUE(window.Ready());
    PressKey(VK_RETURN);
    const std::filesystem::path path = gateway / "API_IN" / "1.API";
    WaitForBytes(path, request);
    EXPECT_EQ(FileBytes(path), request);
    // Keys made before Convert has ended do nothing.
    ASSERT_TRUE(window.Ready());
    PressAltKey('E');
    EXPECT_EQ(run.Process().WaitForExit(), 0u);
}

const MailMessage Message{"Report", "Ann", "Text", "Text", {}};

TEST(AdministratorFiles, AConfigurationFileInUtf8OrUtf16WithItsByteOrderMark) {
    ASSERT_EQ(GetACP(), 1252u) << "the expected qualifiers are those of code page 1252";
    for (const bool utf16 : {false, true}) {
        SCOPED_TRACE(utf16 ? "UTF-16 LE" : "UTF-8");
        KelvorRun run(MailboxFile({Message}));
        // The folder's name is outside the code page: only the file's own characters find it.
        const std::filesystem::path gateway = MakeGateway(run, u"gw \u4e2d \u0151");
        const std::u16string text = gateway.u16string() + u"\r\nK\u00f6ln\r\n\u20ac \u4e2d\r\n";
        run.Folder().WriteConfiguration(utf16 ? Utf16LeFile(text) : Utf8File(text));
        ConvertOnce(run, gateway, RequestBytes(1, Message, "jsmith", "K\xF6ln.\x80 ?."));
    }
}

// Wine takes the ANSI code page from the Unix locale, and a program started from another keeps
// its starter's: e2e_tests_code_page_932 runs this test under ja_JP.UTF-8, and kelvor.exe with
// it under code page 932, where the last character of line 1, 表 (95 5C), ends in the byte of a
// backslash. Under any other code page these bytes name no folder that exists.
TEST(CodePage932, AGatewayPathEndingInA5cSecondByteGetsItsSeparator) {
    if (GetACP() != 932)
        GTEST_SKIP() << "run by e2e_tests_code_page_932, under the locale ja_JP.UTF-8";
    KelvorRun run(MailboxFile({Message}));
    const std::filesystem::path gateway = MakeGateway(run, u"\u79fb\u884c\u8868");
    const std::string root = run.Folder().Root();
    ASSERT_TRUE(std::all_of(root.begin(), root.end(), [](char c) { return c > 0 && c < 0x7E; }))
        << "the folder's path must read the same in both code pages: " << root;
    run.Folder().WriteConfiguration(root + "\\\x88\xDA\x8D\x73\x95\x5C\r\nkelvor\r\nmail\r\n");
    ConvertOnce(run, gateway, RequestBytes(1, Message, "jsmith"));
}

// A user name on the command line keeps its first 4096 characters, and is never cut inside one.
TEST(CodePage932, ALongUserNameIsCutBetweenTwoCharacters) {
    if (GetACP() != 932)
        GTEST_SKIP() << "run by e2e_tests_code_page_932, under the locale ja_JP.UTF-8";
    KelvorRun run(MailboxFile({Message}));
    // One byte first, so that the 4096th byte is the first half of a character.
    std::string user = "a";
    for (int i = 1; i < 4096; ++i)
        user += "\x95\x5C";
    ConvertOnce(run, run.Folder().Gateway(), RequestBytes(1, Message, user),
                L"a" + std::wstring(4100, L'\u8868'));
}

// The gateway deletes an attachment's copy once it has taken the message.
TEST(AdministratorFiles, TheCopyOfAReadOnlySourceIsAPlainFileTheGatewayCanDelete) {
    KelvorRun run("{}");
    const std::string bytes = std::string("%PDF\0 read-only", 15);
    const std::string path = run.Folder().Attachment("report.pdf", bytes);
    const std::wstring source = std::filesystem::path(path).wstring();
    ASSERT_TRUE(SetFileAttributesW(source.c_str(), FILE_ATTRIBUTE_READONLY));
    const MailMessage message{"Report", "Ann", "Text", "Text", {{"report.pdf", path, bytes}}};
    run.Mailbox().WriteFile("mailbox.json", MailboxFile({message}));

    ConvertOnce(run, run.Folder().Gateway(), RequestBytes(1, message, "jsmith"));
    const std::wstring copy = std::filesystem::path(run.Folder().AttIn("1.0")).wstring();
    EXPECT_EQ(FileBytes(copy), bytes);
    EXPECT_EQ(GetFileAttributesW(copy.c_str()) &
                  (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM),
              0u);
    EXPECT_TRUE(DeleteFileW(copy.c_str())) << GetLastError();
    SetFileAttributesW(source.c_str(), FILE_ATTRIBUTE_NORMAL);
}

} // namespace
} // namespace kelvor::testing_support

// The stand-in's mailbox file: what it serves from each part of the format, and how a missing
// or broken file makes sign-on fail with a description that says why.

#include "mailbox/com/mapi_controls.h"
#include "mailbox/com/ole_error.h"
#include "support/standin_mailbox.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace kelvor {
namespace {

using testing_support::ComApartment;
using testing_support::StandinMailbox;

class StandinMailboxFileTest : public ::testing::Test {
protected:
    static void Open(MapiControls& mapi) {
        mapi.SignOn();
        mapi.SetMessagesSessionID(mapi.SessionID());
        mapi.Fetch();
    }

    static std::wstring Wide(const std::u16string& text) {
        return std::wstring(text.begin(), text.end());
    }

    ComApartment apartment_;
};

TEST_F(StandinMailboxFileTest, AbsentPartsTakeTheirDefaults) {
    const StandinMailbox box(R"({ "messages": [ {} ] })");
    MapiControls mapi;
    Open(mapi);
    EXPECT_EQ(mapi.SessionID(), 1);
    ASSERT_EQ(mapi.MsgCount(), 1);
    EXPECT_EQ(mapi.MsgSubject(), u"");
    EXPECT_EQ(mapi.MsgOrigDisplayName(), u"");
    EXPECT_EQ(mapi.MsgNoteText(), u"");
    EXPECT_EQ(mapi.AttachmentCount(), 0);
}

TEST_F(StandinMailboxFileTest, AnEmptyMailboxHasNoMessages) {
    for (const char* json : {R"({})", R"({ "sessionId": 3, "messages": [] })"}) {
        SCOPED_TRACE(json);
        const StandinMailbox box(json);
        MapiControls mapi;
        Open(mapi);
        EXPECT_EQ(mapi.MsgCount(), 0);
    }
}

TEST_F(StandinMailboxFileTest, TextsCarryAnyCharacterJsonCan) {
    struct Case {
        const char* json;
        std::u16string expected;
    };
    const Case cases[] = {
        {R"("Grüße, Ärger, Straße")", u"Grüße, Ärger, Straße"},
        {R"("Réunion à l'hôtel")", u"Réunion à l'hôtel"},
        {R"("Łódź \u6771\u4eac \ud83d\ude00")", u"Łódź 東京 \U0001F600"},
        {R"("a\r\nb\nc\rd")", u"a\r\nb\nc\rd"},
        {R"("tab\there, quote\" backslash\\ slash\/")", u"tab\there, quote\" backslash\\ slash/"},
        {R"("before\u0000after")", std::u16string(u"before\0after", 12)},
    };
    for (const Case& text : cases) {
        SCOPED_TRACE(text.json);
        const std::string json = std::string(R"({ "messages": [ { "subject": )") + text.json +
                                 R"(, "sender": )" + text.json + R"(, "text": )" + text.json +
                                 R"( } ] })";
        const StandinMailbox box(json);
        MapiControls mapi;
        Open(mapi);
        EXPECT_EQ(mapi.MsgSubject(), text.expected);
        EXPECT_EQ(mapi.MsgOrigDisplayName(), text.expected);
        EXPECT_EQ(mapi.MsgNoteText(), text.expected);
    }
}

TEST_F(StandinMailboxFileTest, AFileWithAByteOrderMarkIsRead) {
    const StandinMailbox box("\xEF\xBB\xBF{ \"messages\": [ { \"subject\": \"marked\" } ] }");
    MapiControls mapi;
    Open(mapi);
    EXPECT_EQ(mapi.MsgSubject(), u"marked");
}

TEST_F(StandinMailboxFileTest, AttachmentPathsBecomeFullWindowsPaths) {
    const StandinMailbox box(R"({ "messages": [ { "attachments": [
        { "name": "a.txt", "path": "files/a.txt" },
        { "name": "b", "path": "files\\sub\\..\\b" },
        { "name": "c.txt", "path": "C:\\windows\\win.ini" },
        { "name": "d.txt", "path": "/tmp/kelvor-no-such-folder/d.txt" },
        { "name": "e.txt", "path": "no such file.txt" } ] } ] })");
    box.WriteFile("files/a.txt", "first");
    box.WriteFile("files/b", "second");
    const std::wstring folder = box.Folder().wstring() + L"\\";
    const std::wstring expected[] = {
        folder + L"files\\a.txt", folder + L"files\\b", L"C:\\windows\\win.ini",
        L"Z:\\tmp\\kelvor-no-such-folder\\d.txt", folder + L"no such file.txt"};
    MapiControls mapi;
    Open(mapi);
    ASSERT_EQ(mapi.AttachmentCount(), 5);
    for (int k = 0; k < 5; ++k) {
        SCOPED_TRACE(k);
        mapi.SetAttachmentIndex(k);
        EXPECT_EQ(Wide(mapi.AttachmentPathName()), expected[k]);
    }
    mapi.SetAttachmentIndex(1);
    EXPECT_EQ(mapi.AttachmentName(), u"b");
    EXPECT_EQ(testing_support::ReadWideFile(Wide(mapi.AttachmentPathName())), "second");
}

TEST_F(StandinMailboxFileTest, ContentIsWrittenAsUtf8AtFetchAndRemovedWithTheControls) {
    const StandinMailbox box(R"({ "messages": [
        { "attachments": [ { "name": "notes.txt", "content": "Grüße\r\nline 2\n" } ] },
        { "attachments": [ { "name": "a:b/c*d?", "content": "" },
                           { "name": "notes.txt", "content": "other" } ] } ] })");
    std::wstring paths[3];
    {
        MapiControls mapi;
        mapi.SignOn();
        mapi.SetMessagesSessionID(mapi.SessionID());
        EXPECT_EQ(mapi.MsgCount(), 0) << "nothing before fetch";
        EXPECT_THROW(mapi.AttachmentCount(), EOleException);
        mapi.Fetch();
        paths[0] = Wide(mapi.AttachmentPathName());
        mapi.SetMsgIndex(1);
        paths[1] = Wide(mapi.AttachmentPathName());
        mapi.SetAttachmentIndex(1);
        paths[2] = Wide(mapi.AttachmentPathName());
        EXPECT_EQ(testing_support::ReadWideFile(paths[0]), "Gr\xC3\xBC\xC3\x9F"
                                                           "e\r\nline 2\n");
        EXPECT_EQ(testing_support::ReadWideFile(paths[1]), "");
        EXPECT_EQ(testing_support::ReadWideFile(paths[2]), "other");
        EXPECT_NE(paths[0], paths[2]) << "equal names, separate files";
        EXPECT_TRUE(paths[0].ends_with(L"notes.txt"));
        mapi.SignOff();
    }
    for (const std::wstring& path : paths)
        EXPECT_FALSE(std::filesystem::exists(path)) << "left behind";
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(paths[0]).parent_path()));
}

// Sign-on's description for a mailbox file.
std::string SignOnFailure() {
    MapiControls mapi;
    mapi.SetLogonUI(true);
    try {
        mapi.SignOn();
    } catch (const EOleException& error) {
        EXPECT_EQ(mapi.SessionID(), 0);
        try {
            mapi.SetMessagesSessionID(1);
            mapi.Fetch();
            ADD_FAILURE() << "fetched after a failed sign-on";
        } catch (const EOleException&) {
        }
        return error.what();
    }
    return "signed on";
}

TEST_F(StandinMailboxFileTest, ABrokenFileMakesSignOnFailWithTheReason) {
    struct Case {
        const char* json;
        const char* reason;
    };
    const Case cases[] = {
        {R"({ "messages": [ { "subject": "unterminated } ] })", "is not valid JSON: parse error"},
        {R"([])", "the top level must be an object"},
        {R"({ "mesages": [] })", "mesages is not a known key"},
        {R"({ "sessionId": 0 })", "sessionId must be a positive 32-bit number"},
        {R"({ "sessionId": 2147483648 })", "sessionId must be a positive 32-bit number"},
        {R"({ "sessionId": "7" })", "sessionId must be a whole number"},
        {R"({ "logonDialog": "yes" })", "logonDialog must be true or false"},
        {R"({ "messages": {} })", "messages must be an array"},
        {R"({ "messages": [ 1 ] })", "messages[0] must be an object"},
        {R"({ "messages": [ {}, { "subject": 5 } ] })", "messages[1].subject must be a string"},
        {R"({ "messages": [ { "attachments": [ { "path": "a" } ] } ] })",
         "messages[0].attachments[0] has no \"name\""},
        {R"({ "messages": [ { "attachments": [ { "name": "a" } ] } ] })",
         "messages[0].attachments[0] needs either a \"path\" or a \"content\""},
        {R"({ "messages": [ { "attachments": [ { "name": "a", "path": "a", "content": "" } ] } ] })",
         "messages[0].attachments[0] needs either a \"path\" or a \"content\""},
        {R"({ "faults": [ { "op": "get Subject", "hresult": "0x80004005" } ] })",
         "faults[0].op \"get Subject\" is not an operation the stand-in knows"},
        {R"({ "faults": [ { "op": "SignOn" } ] })", "faults[0] has no \"hresult\""},
        {R"({ "faults": [ { "op": "SignOn", "hresult": "0x00000001" } ] })",
         "faults[0].hresult is not a failing status"},
        {R"({ "faults": [ { "op": "SignOn", "hresult": "E_FAIL" } ] })",
         "faults[0].hresult must be a status like \"0x80004005\""},
        {R"({ "faults": [ { "op": "SignOn", "hresult": "0x80004005", "via": "mail" } ] })",
         "faults[0].via must be \"exception\" or \"status\""},
        {R"({ "faults": [ { "op": "SignOn", "hresult": "0x80004005", "call": 0 } ] })",
         "faults[0].call must be 1 or more"},
        {R"({ "faults": [ { "op": "Fetch", "hresult": "0x80004005", "mesage": 1 } ] })",
         "faults[0].mesage is not a known key"},
    };
    for (const Case& broken : cases) {
        SCOPED_TRACE(broken.json);
        const StandinMailbox box(broken.json);
        const std::string failure = SignOnFailure();
        EXPECT_NE(failure.find("The mailbox file " + box.Folder().string() + "\\mailbox.json"),
                  std::string::npos)
            << failure;
        EXPECT_NE(failure.find(broken.reason), std::string::npos) << failure;
    }
}

TEST_F(StandinMailboxFileTest, AMissingFileOrVariableMakesSignOnFailWithTheReason) {
    {
        const StandinMailbox box("{}");
        std::filesystem::remove(box.MailboxPath());
        const std::string failure = SignOnFailure();
        EXPECT_EQ(failure.find("Cannot open the mailbox file " + box.Folder().string()), 0u)
            << failure;
    }
    const std::string failure = SignOnFailure();
    EXPECT_NE(failure.find("KELVOR_STANDIN_MAILBOX"), std::string::npos) << failure;
}

TEST_F(StandinMailboxFileTest, ALinuxPathNamesTheMailboxFileToo) {
    const StandinMailbox box("{}");
    // The build tree is where a Linux path reaches under Wine.
    const std::string folder = KELVOR_BINARY_DIR "/tests/standin-linux-path";
    std::filesystem::create_directories("Z:" + folder);
    test::WriteBytes(
        "Z:" + folder + "/mailbox.json",
        R"({ "messages": [ { "attachments": [ { "name": "x", "path": "x.txt" } ] } ] })");
    const std::string linuxPath = folder + "/mailbox.json";
    SetEnvironmentVariableA("KELVOR_STANDIN_MAILBOX", linuxPath.c_str());
    MapiControls mapi;
    Open(mapi);
    std::string expected = "Z:" + folder + "/x.txt";
    for (char& c : expected)
        if (c == '/')
            c = '\\';
    const std::u16string path = mapi.AttachmentPathName();
    EXPECT_EQ(std::string(path.begin(), path.end()), expected);
}

} // namespace
} // namespace kelvor

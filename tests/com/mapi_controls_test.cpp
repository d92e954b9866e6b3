// The COM client against the stand-in controls: every property and method of the mailbox,
// the values that reach the controls (seen in the stand-in's call log) and the errors that
// come back.

#include "mailbox/com/mapi_controls.h"
#include "mailbox/com/mapi_ids.h"
#include "mailbox/com/ole_error.h"
#include "support/standin_mailbox.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace kelvor {
namespace {

using testing_support::ComApartment;
using testing_support::HostedLines;
using testing_support::Joined;
using testing_support::ReleasedLines;
using testing_support::StandinLicensing;
using testing_support::StandinMailbox;
using Lines = std::vector<std::string>;

constexpr const char* TwoMessages = R"({
  "sessionId": 7,
  "messages": [
    { "subject": "Quarterly report", "sender": "Ann Example",
      "text": "Hello,\nthe report is attached.",
      "attachments": [ { "name": "report.pdf", "path": "files/report.pdf" },
                       { "name": "notes.txt", "content": "written at fetch" } ] },
    { "subject": "Grüße aus Łódź 東京", "sender": "Jürgen Weiß" }
  ]
})";

// A temp-folder path as the call log writes it: backslashes doubled.
std::string LogText(const std::u16string& asciiPath) {
    std::string text;
    for (const char16_t c : asciiPath) {
        if (c == u'\\')
            text += '\\';
        text += static_cast<char>(c);
    }
    return text;
}

class MapiControlsTest : public ::testing::Test {
protected:
    void SignOnAndFetch(MapiControls& mapi) {
        mapi.SetLogonUI(true);
        mapi.SetNewSession(true);
        mapi.SignOn();
        mapi.SetMessagesSessionID(mapi.SessionID());
        mapi.Fetch();
    }

    ComApartment apartment_;
};

TEST_F(MapiControlsTest, EveryPropertyAndMethodReachesTheControlsWithItsValue) {
    const StandinMailbox box(TwoMessages);
    MapiControls mapi;
    mapi.SetLogonUI(false);
    mapi.SetNewSession(true);
    EXPECT_EQ(mapi.SessionID(), 0);
    mapi.SignOn();
    EXPECT_EQ(mapi.SessionID(), 7);
    mapi.SetMessagesSessionID(7);
    mapi.Fetch();
    EXPECT_EQ(mapi.MsgCount(), 2);
    mapi.SetMsgIndex(1);
    EXPECT_EQ(mapi.MsgSubject(), u"Grüße aus Łódź 東京");
    EXPECT_EQ(mapi.MsgOrigDisplayName(), u"Jürgen Weiß");
    EXPECT_EQ(mapi.MsgNoteText(), u"");
    EXPECT_EQ(mapi.AttachmentCount(), 0);
    mapi.SetMsgIndex(0);
    EXPECT_EQ(mapi.MsgNoteText(), u"Hello,\nthe report is attached.");
    EXPECT_EQ(mapi.AttachmentCount(), 2);
    mapi.SetAttachmentIndex(1);
    EXPECT_EQ(mapi.AttachmentName(), u"notes.txt");
    const std::u16string written = mapi.AttachmentPathName();
    mapi.SetAttachmentIndex(0);
    EXPECT_EQ(mapi.AttachmentName(), u"report.pdf");
    mapi.SignOff();
    EXPECT_EQ(mapi.SessionID(), 0);

    EXPECT_EQ(box.LogLines(), Joined({HostedLines,
                                      {
                                          "put LogonUI false",
                                          "put NewSession true",
                                          "get SessionID 0",
                                          "SignOn",
                                          "get SessionID 7",
                                          "put SessionID 7",
                                          "Fetch",
                                          "get MsgCount 2",
                                          "put MsgIndex 1",
                                          "get MsgSubject Grüße aus Łódź 東京",
                                          "get MsgOrigDisplayName Jürgen Weiß",
                                          "get MsgNoteText ",
                                          "get AttachmentCount 0",
                                          "put MsgIndex 0",
                                          "get MsgNoteText Hello,\\nthe report is attached.",
                                          "get AttachmentCount 2",
                                          "put AttachmentIndex 1",
                                          "get AttachmentName notes.txt",
                                          "get AttachmentPathName " + LogText(written),
                                          "put AttachmentIndex 0",
                                          "get AttachmentName report.pdf",
                                          "SignOff",
                                          "get SessionID 0",
                                      }}));
}

TEST_F(MapiControlsTest, AttachmentPathNamesAreFullWindowsPaths) {
    const StandinMailbox box(TwoMessages);
    box.WriteFile("files/report.pdf", "%PDF-1.4");
    MapiControls mapi;
    SignOnAndFetch(mapi);
    mapi.SetAttachmentIndex(0);
    const std::u16string byPath = mapi.AttachmentPathName();
    EXPECT_EQ(testing_support::ReadWideFile(std::wstring(byPath.begin(), byPath.end())),
              "%PDF-1.4");
    mapi.SetAttachmentIndex(1);
    const std::u16string byContent = mapi.AttachmentPathName();
    ASSERT_GT(byContent.size(), 3u);
    EXPECT_EQ(byContent.substr(1, 2), u":\\");
    EXPECT_EQ(testing_support::ReadWideFile(std::wstring(byContent.begin(), byContent.end())),
              "written at fetch");
}

// The system's text for a status, read here the narrow way.
std::string SystemText(HRESULT code) {
    char text[512] = {};
    const DWORD length =
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                       static_cast<DWORD>(code), 0, text, sizeof text, nullptr);
    std::string message(text, length);
    while (!message.empty() &&
           (message.back() == '.' || static_cast<unsigned char>(message.back()) <= ' '))
        message.pop_back();
    return message;
}

// Wine has no text for some statuses that Windows has one for.
std::string TextOrCode(HRESULT code, const char* fallback) {
    const std::string text = SystemText(code);
    return text.empty() ? fallback : text;
}

// A mailbox of two messages with the given faults.
std::string WithFaults(const std::string& faults) {
    return R"({ "messages": [ { "subject": "one" }, { "subject": "two" } ], "faults": [)" + faults +
           "] }";
}

TEST_F(MapiControlsTest, AnExceptionOfTheControlBecomesEOleExceptionWithItsTrimmedDescription) {
    const StandinMailbox box(WithFaults(R"({ "op": "get MsgSubject", "message": 1,
        "hresult": "0x80040107", "description": "Invalid message index. . \r\n\t" })"));
    MapiControls mapi;
    SignOnAndFetch(mapi);
    mapi.SetMsgIndex(1);
    try {
        mapi.MsgSubject();
        FAIL() << "no error";
    } catch (const EOleException& error) {
        EXPECT_STREQ(error.what(), "Invalid message index");
        EXPECT_EQ(error.ErrorCode(), static_cast<HRESULT>(0x80040107));
        EXPECT_EQ(error.Source(), "KelvorStandin.Messages");
        EXPECT_EQ(error.HelpFile(), "");
        EXPECT_EQ(error.HelpContext(), 0u);
    }
    mapi.SetMsgIndex(0);
    EXPECT_EQ(mapi.MsgSubject(), u"one") << "the fault is limited to message 1";
}

TEST_F(MapiControlsTest, AnExceptionWithoutDescriptionFallsBackToTheStatusText) {
    const StandinMailbox box(
        WithFaults(R"({ "op": "put MsgIndex", "call": 2, "hresult": "0x80040108" })"));
    MapiControls mapi;
    SignOnAndFetch(mapi);
    mapi.SetMsgIndex(1);
    try {
        mapi.SetMsgIndex(0);
        FAIL() << "no error";
    } catch (const EOleException& error) {
        EXPECT_STREQ(error.what(), "OLE error 80040108");
        EXPECT_EQ(error.ErrorCode(), static_cast<HRESULT>(0x80040108));
    }
    EXPECT_EQ(mapi.MsgSubject(), u"two") << "a failed put leaves the index unchanged";
}

TEST_F(MapiControlsTest, AFailingStatusBecomesEOleSysErrorWithTheSystemsTextOrTheCode) {
    const StandinMailbox box(WithFaults(R"(
        { "op": "get MsgNoteText", "hresult": "0x80070005", "via": "status" },
        { "op": "get AttachmentCount", "hresult": "0x8004ABCD", "via": "status" })"));
    MapiControls mapi;
    SignOnAndFetch(mapi);
    ASSERT_FALSE(SystemText(E_ACCESSDENIED).empty());
    try {
        mapi.MsgNoteText();
        FAIL() << "no error";
    } catch (const EOleException&) {
        FAIL() << "a bare status is no EOleException";
    } catch (const EOleSysError& error) {
        EXPECT_EQ(error.what(), SystemText(E_ACCESSDENIED));
        EXPECT_EQ(error.ErrorCode(), E_ACCESSDENIED);
    }
    ASSERT_TRUE(SystemText(static_cast<HRESULT>(0x8004ABCD)).empty());
    try {
        mapi.AttachmentCount();
        FAIL() << "no error";
    } catch (const EOleException&) {
        FAIL() << "a bare status is no EOleException";
    } catch (const EOleSysError& error) {
        EXPECT_STREQ(error.what(), "OLE error 8004abcd");
    }
}

TEST_F(MapiControlsTest, AFailingMethodBecomesEOleExceptionFromTheErrorInformation) {
    const StandinMailbox box(WithFaults(R"(
        { "op": "SignOff", "hresult": "0x80040111", "description": "Logoff failed." },
        { "op": "Fetch", "call": 2, "hresult": "0x8004ABCE", "via": "status" })"));
    MapiControls mapi;
    SignOnAndFetch(mapi);
    try {
        mapi.Fetch();
        FAIL() << "no error";
    } catch (const EOleException& error) {
        EXPECT_STREQ(error.what(), "OLE error 8004abce") << "no error information: the code";
        EXPECT_EQ(error.ErrorCode(), static_cast<HRESULT>(0x8004ABCE));
        EXPECT_EQ(error.Source(), "");
    }
    try {
        mapi.SignOff();
        FAIL() << "no error";
    } catch (const EOleException& error) {
        EXPECT_STREQ(error.what(), "Logoff failed");
        EXPECT_EQ(error.ErrorCode(), static_cast<HRESULT>(0x80040111));
        EXPECT_EQ(error.Source(), "KelvorStandin.Session");
    }
    EXPECT_EQ(mapi.SessionID(), 1) << "still signed on, with the default SessionID";
}

TEST_F(MapiControlsTest, AClassThatIsNotRegisteredCannotBeCreated) {
    const CLSID unknown = {
        0x6B29FC40, 0xCA47, 0x1067, {0xB3, 0x1D, 0x00, 0xDD, 0x01, 0x06, 0x62, 0xDA}};
    for (const auto& [session, messages, name] :
         {std::tuple{unknown, mapi::MessagesClass, "session"},
          std::tuple{mapi::SessionClass, unknown, "messages"}}) {
        try {
            MapiControls controls(session, messages);
            FAIL() << "created";
        } catch (const EOleException&) {
            FAIL() << "a creation failure is no EOleException";
        } catch (const EOleSysError& error) {
            EXPECT_EQ(error.ErrorCode(), REGDB_E_CLASSNOTREG);
            EXPECT_EQ(error.what(), "Cannot create the MAPI " + std::string(name) + " control: " +
                                        TextOrCode(REGDB_E_CLASSNOTREG, "OLE error 80040154"));
        }
    }
}

// Keys swapped between the classes are refused: each class has its own. (Without a key, and
// with the right ones, the end-to-end tests start kelvor.exe.)
TEST_F(MapiControlsTest, ALicensedControlNeedsItsRunTimeKeyOrTheMachinesLicence) {
    const StandinMailbox box(TwoMessages);
    const std::string refused = TextOrCode(CLASS_E_NOTLICENSED, "OLE error 80040112") +
                                " (the run-time licence key built in was refused)";
    struct Case {
        const wchar_t* sessionKey;
        bool machineLicensed;
        MapiLicenseKeys keys;
        const char* failing;
    } const cases[] = {
        {L"S-1", true, {}, nullptr},
        {L"S-1", false, {u"M-1", u"S-1"}, "session"},
        {L"", false, {u"", u"S-1"}, "messages"},
    };
    for (const Case& row : cases) {
        const StandinLicensing licensing(row.sessionKey, L"M-1", row.machineLicensed);
        std::string error;
        try {
            const MapiControls controls(nullptr, row.keys);
        } catch (const EOleSysError& failure) {
            error = failure.what();
            EXPECT_EQ(failure.ErrorCode(), CLASS_E_NOTLICENSED);
        }
        EXPECT_EQ(error, row.failing ? "Cannot create the MAPI " + std::string(row.failing) +
                                           " control: " + refused
                                     : "");
    }
}

// IPersistStreamInit::InitNew, where offered, is in every other test's log.
TEST_F(MapiControlsTest, AControlTakesItsDefaultsFromAStreamElseAScratchStorage) {
    const Lines storage{"GetMiscStatus", "SetClientSite", "InitNew storage",
                        "GetMiscStatus", "SetClientSite", "InitNew storage"};
    struct Case {
        const char* offer;
        Lines log;
        std::string error;
    } const cases[] = {
        {"IPersistStorage", Joined({storage, ReleasedLines}), ""},
        {"none",
         {"GetMiscStatus", "SetClientSite", "Close", "SetClientSite null"},
         "Cannot create the MAPI session control: it offers neither IPersistStreamInit nor "
         "IPersistStorage to take its design-time defaults"},
    };
    for (const Case& row : cases) {
        const StandinMailbox box(R"({ "persistence": ")" + std::string(row.offer) + R"(" })");
        std::string error;
        try {
            const MapiControls controls;
        } catch (const EOleSysError& failure) {
            error = failure.what();
        }
        EXPECT_EQ(error, row.error);
        EXPECT_EQ(box.LogLines(), row.log) << row.offer;
    }
}

TEST_F(MapiControlsTest, AControlWithoutTheDualInterfaceCannotBeUsed) {
    const StandinMailbox box(TwoMessages);
    try {
        MapiControls swapped(mapi::MessagesClass, mapi::SessionClass);
        FAIL() << "created";
    } catch (const EOleSysError& error) {
        EXPECT_EQ(error.ErrorCode(), E_NOINTERFACE);
        EXPECT_EQ(error.what(), "Cannot create the MAPI session control: " +
                                    TextOrCode(E_NOINTERFACE, "OLE error 80004002"));
    }
}

} // namespace
} // namespace kelvor

// The stand-in's call log: one line per operation, in order, with values in their log form and
// failures in place of the operations they ended.

#include "mailbox/com/mapi_controls.h"
#include "mailbox/com/ole_error.h"
#include "support/standin_mailbox.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace kelvor {
namespace {

using testing_support::ComApartment;
using testing_support::HostedLines;
using testing_support::Joined;
using testing_support::ReleasedLines;
using testing_support::StandinMailbox;
using Lines = std::vector<std::string>;

class StandinCallLogTest : public ::testing::Test {
protected:
    ComApartment apartment_;
};

TEST_F(StandinCallLogTest, TextsStayOnTheirLine) {
    struct Case {
        const char* json;
        const char* logged;
    };
    const Case cases[] = {
        {R"("plain")", "plain"},
        {R"("")", ""},
        {R"("a\r\nb\nc\rd")", R"(a\r\nb\nc\rd)"},
        {R"("C:\\dir\\file")", R"(C:\\dir\\file)"},
        {R"("\\r is not a line end")", R"(\\r is not a line end)"},
        {R"("Grüße Łódź 東京 \ud83d\ude00")", "Grüße Łódź 東京 \xF0\x9F\x98\x80"},
        {R"("tab\tstays")", "tab\tstays"},
    };
    for (const Case& text : cases) {
        SCOPED_TRACE(text.json);
        const StandinMailbox box(std::string(R"({ "messages": [ { "text": )") + text.json +
                                 " } ] }");
        MapiControls mapi;
        mapi.SignOn();
        mapi.SetMessagesSessionID(1);
        mapi.Fetch();
        mapi.MsgNoteText();
        const Lines lines = box.LogLines();
        ASSERT_EQ(lines.size(), HostedLines.size() + 4);
        EXPECT_EQ(lines.back(), std::string("get MsgNoteText ") + text.logged);
    }
}

TEST_F(StandinCallLogTest, FailuresOfEveryKindAreLoggedInPlaceOfTheOperation) {
    const StandinMailbox box(R"({ "messages": [ { "subject": "only" } ],
        "faults": [ { "op": "SignOn", "call": 1, "hresult": "0x80040111" },
                    { "op": "get MsgSubject", "hresult": "0x8004abcd", "via": "status" } ] })");
    {
        MapiControls mapi;
        mapi.SetNewSession(false);
        EXPECT_THROW(mapi.SignOn(), EOleException);
        EXPECT_THROW(mapi.Fetch(), EOleException);
        mapi.SignOn();
        EXPECT_THROW(mapi.SignOn(), EOleException);
        mapi.SetMessagesSessionID(-5);
        EXPECT_THROW(mapi.Fetch(), EOleException);
        mapi.SetMessagesSessionID(1);
        mapi.Fetch();
        EXPECT_THROW(mapi.SetMsgIndex(-1), EOleException);
        EXPECT_THROW(mapi.MsgSubject(), EOleSysError);
        EXPECT_THROW(mapi.AttachmentName(), EOleException);
        mapi.SignOff();
    }
    EXPECT_EQ(box.LogLines(), Joined({HostedLines,
                                      {
                                          "put NewSession false",
                                          "FAIL SignOn 0x80040111",
                                          "FAIL Fetch 0x80070006",
                                          "SignOn",
                                          "FAIL SignOn 0x8000000E",
                                          "put SessionID -5",
                                          "FAIL Fetch 0x80070006",
                                          "put SessionID 1",
                                          "Fetch",
                                          "FAIL put MsgIndex 0x8002000B",
                                          "FAIL get MsgSubject 0x8004ABCD",
                                          "FAIL get AttachmentName 0x8002000B",
                                          "SignOff",
                                      },
                                      ReleasedLines}));
}

TEST_F(StandinCallLogTest, SuccessiveControlsAppendToTheSameLog) {
    const StandinMailbox box("{}");
    for (int round = 0; round < 2; ++round) {
        MapiControls mapi;
        mapi.SignOn();
        mapi.SignOff();
    }
    EXPECT_EQ(box.LogLines(), Joined({HostedLines,
                                      {"SignOn", "SignOff"},
                                      ReleasedLines,
                                      HostedLines,
                                      {"SignOn", "SignOff"},
                                      ReleasedLines}));
}

TEST_F(StandinCallLogTest, TheLogIsClosedWhenTheLastControlIsReleased) {
    const StandinMailbox box("{}");
    {
        MapiControls mapi;
        mapi.SignOn();
    }
    std::filesystem::remove(box.LogPath());
    EXPECT_FALSE(std::filesystem::exists(box.LogPath())) << "still open";
}

TEST_F(StandinCallLogTest, WithoutTheVariableNothingIsLogged) {
    const StandinMailbox box("{}");
    SetEnvironmentVariableW(L"KELVOR_STANDIN_LOG", nullptr);
    {
        MapiControls mapi;
        mapi.SignOn();
        mapi.SignOff();
    }
    EXPECT_FALSE(std::filesystem::exists(box.LogPath()));
}

TEST_F(StandinCallLogTest, ALogThatCannotBeOpenedMakesSignOnFail) {
    const StandinMailbox box("{}");
    const std::wstring folderAsLog = box.Folder().wstring();
    SetEnvironmentVariableW(L"KELVOR_STANDIN_LOG", folderAsLog.c_str());
    MapiControls mapi;
    try {
        mapi.SignOn();
        FAIL() << "signed on";
    } catch (const EOleException& error) {
        EXPECT_EQ(
            std::string(error.what()).find("Cannot open the call log " + box.Folder().string()), 0u)
            << error.what();
    }
}

} // namespace
} // namespace kelvor

// Faults injected into the stand-in: which occurrences of an operation they make fail, how the
// failure reaches the caller, and that a failed operation changes nothing.

#include "mailbox/com/mapi_controls.h"
#include "mailbox/com/ole_error.h"
#include "support/standin_mailbox.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace kelvor {
namespace {

using testing_support::ComApartment;
using testing_support::StandinMailbox;

std::string Mailbox(const std::string& faults) {
    return R"({ "messages": [
        { "subject": "zero", "attachments": [ { "name": "a", "content": "" },
                                              { "name": "b", "content": "" } ] },
        { "subject": "one" }, { "subject": "two" } ],
      "faults": [)" +
           faults + "] }";
}

class StandinFaultsTest : public ::testing::Test {
protected:
    static void Open(MapiControls& mapi) {
        mapi.SignOn();
        mapi.SetMessagesSessionID(mapi.SessionID());
        mapi.Fetch();
    }

    // Which of the calls fail, as a string of '.' (succeeded) and 'F' (failed).
    static std::string Outcomes(const std::vector<std::function<void()>>& calls) {
        std::string outcomes;
        for (const auto& call : calls) {
            try {
                call();
                outcomes += '.';
            } catch (const EOleSysError&) {
                outcomes += 'F';
            }
        }
        return outcomes;
    }

    ComApartment apartment_;
};

TEST_F(StandinFaultsTest, MessageAndCallChooseTheOccurrencesThatFail) {
    struct Case {
        const char* fault;
        const char* outcomes;
    };
    // Subjects read at message indexes 0, 1, 0, 1, 1, 2.
    const Case cases[] = {
        {R"({ "op": "get MsgSubject", "hresult": "0x80004005" })", "FFFFFF"},
        {R"({ "op": "get MsgSubject", "call": 3, "hresult": "0x80004005" })", "..F..."},
        {R"({ "op": "get MsgSubject", "message": 1, "hresult": "0x80004005" })", ".F.FF."},
        {R"({ "op": "get MsgSubject", "message": 1, "call": 2, "hresult": "0x80004005" })",
         "...F.."},
        {R"({ "op": "get MsgSubject", "message": 5, "hresult": "0x80004005" })", "......"},
        {R"({ "op": "get MsgNoteText", "hresult": "0x80004005" })", "......"},
    };
    for (const Case& fault : cases) {
        SCOPED_TRACE(fault.fault);
        const StandinMailbox box(Mailbox(fault.fault));
        MapiControls mapi;
        Open(mapi);
        std::vector<std::function<void()>> calls;
        for (const int index : {0, 1, 0, 1, 1, 2})
            calls.push_back([&mapi, index] {
                mapi.SetMsgIndex(index);
                mapi.MsgSubject();
            });
        EXPECT_EQ(Outcomes(calls), fault.outcomes);
    }
}

TEST_F(StandinFaultsTest, EveryFaultCountsItsOwnOccurrencesAndTheFirstInFileOrderWins) {
    const StandinMailbox box(Mailbox(R"(
        { "op": "get MsgCount", "call": 2, "hresult": "0x80040001", "description": "first" },
        { "op": "get MsgCount", "call": 2, "hresult": "0x80040002", "description": "second" },
        { "op": "get MsgCount", "call": 3, "hresult": "0x80040003", "description": "third" })"));
    MapiControls mapi;
    Open(mapi);
    EXPECT_EQ(mapi.MsgCount(), 3);
    std::vector<std::string> messages;
    for (int i = 0; i < 2; ++i) {
        try {
            mapi.MsgCount();
        } catch (const EOleException& error) {
            messages.push_back(error.what());
        }
    }
    EXPECT_EQ(messages, (std::vector<std::string>{"first", "third"}));
    EXPECT_EQ(mapi.MsgCount(), 3);
}

TEST_F(StandinFaultsTest, SessionOperationsHaveNoCurrentMessage) {
    const StandinMailbox box(Mailbox(R"(
        { "op": "SignOn", "message": 0, "hresult": "0x80004005" },
        { "op": "put LogonUI", "message": 0, "hresult": "0x80004005" })"));
    MapiControls mapi;
    EXPECT_NO_THROW(mapi.SetLogonUI(true));
    EXPECT_NO_THROW(Open(mapi));
}

TEST_F(StandinFaultsTest, AFailedOperationChangesNothing) {
    const StandinMailbox box(Mailbox(R"(
        { "op": "SignOn", "call": 1, "hresult": "0x80040111", "description": "Logon failed" },
        { "op": "put LogonUI", "hresult": "0x80004005" },
        { "op": "put SessionID", "call": 1, "hresult": "0x80004005" },
        { "op": "Fetch", "call": 2, "hresult": "0x80004005", "via": "status" },
        { "op": "put AttachmentIndex", "call": 2, "hresult": "0x80004005" },
        { "op": "SignOff", "call": 1, "hresult": "0x80004005" })"));
    MapiControls mapi;
    EXPECT_THROW(mapi.SetLogonUI(false), EOleException);
    EXPECT_THROW(mapi.SignOn(), EOleException);
    EXPECT_EQ(mapi.SessionID(), 0) << "a failed sign-on leaves no session";
    mapi.SignOn();
    const std::int32_t session = mapi.SessionID();
    EXPECT_THROW(mapi.SetMessagesSessionID(session), EOleException);
    EXPECT_THROW(mapi.Fetch(), EOleException) << "the SessionID put did not take";
    mapi.SetMessagesSessionID(session);
    EXPECT_THROW(mapi.Fetch(), EOleException);
    EXPECT_EQ(mapi.MsgCount(), 0) << "a failed fetch fetches nothing";
    mapi.Fetch();
    mapi.SetAttachmentIndex(1);
    EXPECT_THROW(mapi.SetAttachmentIndex(0), EOleException);
    EXPECT_EQ(mapi.AttachmentName(), u"b");
    EXPECT_THROW(mapi.SignOff(), EOleException);
    EXPECT_EQ(mapi.SessionID(), session) << "still signed on";
    mapi.SignOff();
    EXPECT_EQ(mapi.SessionID(), 0);
}

TEST_F(StandinFaultsTest, HresultsMayBeGivenAsNumbers) {
    const StandinMailbox box(Mailbox(R"(
        { "op": "get MsgCount", "call": 1, "hresult": 2147500037 },
        { "op": "get MsgCount", "call": 2, "hresult": -2147467259 },
        { "op": "get MsgCount", "call": 3, "hresult": "0x8004abcd" })"));
    MapiControls mapi;
    Open(mapi);
    for (const HRESULT expected : {E_FAIL, E_FAIL, static_cast<HRESULT>(0x8004ABCD)}) {
        try {
            mapi.MsgCount();
            ADD_FAILURE() << "no error";
        } catch (const EOleSysError& error) {
            EXPECT_EQ(error.ErrorCode(), expected);
        }
    }
}

TEST_F(StandinFaultsTest, EachNewPairOfControlsCountsAfresh) {
    const StandinMailbox box(
        Mailbox(R"({ "op": "get MsgCount", "call": 1, "hresult": "0x80004005" })"));
    for (int round = 0; round < 2; ++round) {
        MapiControls mapi;
        Open(mapi);
        EXPECT_THROW(mapi.MsgCount(), EOleException) << round;
        EXPECT_EQ(mapi.MsgCount(), 3);
        mapi.SignOff();
    }
}

} // namespace
} // namespace kelvor

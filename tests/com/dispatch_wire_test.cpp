// The COM client against small in-process fakes of the two controls: how the controls are
// created and held, what each mailbox operation sends on the wire, how answers of other types
// are taken, and how every kind of failure becomes an error.

#include "mailbox/com/com_text.h"
#include "mailbox/com/mapi_controls.h"
#include "mailbox/com/mapi_ids.h"
#include "mailbox/com/ole_error.h"
#include "support/standin_fake_control.h"
#include "support/standin_mailbox.h"

#include <gtest/gtest.h>

#include <wrl/client.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace kelvor {
namespace {

using testing_support::ComApartment;
using testing_support::FakeControl;
using testing_support::RecordedCall;

constexpr CLSID FakeSessionClass = {
    0x0E3A59D1, 0x7C44, 0x4B5E, {0x9F, 0x21, 0x3D, 0x8A, 0x61, 0x10, 0xC2, 0x01}};
constexpr CLSID FakeMessagesClass = {
    0x0E3A59D1, 0x7C44, 0x4B5E, {0x9F, 0x21, 0x3D, 0x8A, 0x61, 0x10, 0xC2, 0x02}};

class DispatchWireTest : public ::testing::Test {
protected:
    ComApartment apartment_;
    FakeControl session_{FakeSessionClass, mapi::SessionInterface};
    FakeControl messages_{FakeMessagesClass, mapi::MessagesInterface};

    std::unique_ptr<MapiControls> Create() {
        auto controls = std::make_unique<MapiControls>(FakeSessionClass, FakeMessagesClass);
        session_.calls.clear();
        messages_.calls.clear();
        return controls;
    }
};

TEST_F(DispatchWireTest, ControlsGetTheirDefaultsBeforeFirstUseAndAreHeldForTheirWholeLife) {
    {
        MapiControls controls(FakeSessionClass, FakeMessagesClass);
        for (const FakeControl* control : {&session_, &messages_}) {
            ASSERT_EQ(control->calls.size(), 1u) << "InitNew and nothing else";
            EXPECT_EQ(control->calls[0].kind, RecordedCall::Kind::InitNew);
            EXPECT_GT(control->references, 0);
        }
        controls.SessionID();
        EXPECT_EQ(session_.calls.back().kind, RecordedCall::Kind::Invoke);
    }
    EXPECT_EQ(session_.references, 0);
    EXPECT_EQ(messages_.references, 0);
}

// A control that offers IOleObject is sited on the container window, before its defaults when
// it asks for that, and closed and unsited when it goes; one without IOleObject, as above, is
// used without a site.
TEST_F(DispatchWireTest, ControlsAreSitedOnTheContainerWindowAsTheyAsk) {
    using Kind = RecordedCall::Kind;
    const HWND container = CreateWindowExW(0, L"STATIC", L"container", WS_POPUP, 0, 0, 10, 10,
                                           nullptr, nullptr, nullptr, nullptr);
    session_.offerOleObject = true;
    session_.miscStatus = OLEMISC_SETCLIENTSITEFIRST | OLEMISC_INVISIBLEATRUNTIME;
    messages_.offerOleObject = true;
    messages_.miscStatus = OLEMISC_INVISIBLEATRUNTIME;
    {
        MapiControls controls(FakeSessionClass, FakeMessagesClass, container);
        const auto kinds = [](const FakeControl& control) {
            std::vector<Kind> kinds;
            for (const RecordedCall& call : control.calls)
                kinds.push_back(call.kind);
            return kinds;
        };
        EXPECT_EQ(kinds(session_), (std::vector{Kind::MiscStatus, Kind::SetSite, Kind::InitNew}));
        EXPECT_EQ(kinds(messages_), (std::vector{Kind::MiscStatus, Kind::InitNew, Kind::SetSite}));
        for (const FakeControl* control : {&session_, &messages_}) {
            const auto site =
                std::find_if(control->calls.begin(), control->calls.end(),
                             [](const RecordedCall& c) { return c.kind == Kind::SetSite; });
            ASSERT_NE(site, control->calls.end());
            EXPECT_EQ(site->siteWindow, container);
            EXPECT_EQ(site->userMode, VARIANT_TRUE);
            EXPECT_EQ(site->siteLocale, static_cast<LONG>(GetUserDefaultLCID()));
        }
        session_.calls.clear();
        messages_.calls.clear();
    }
    for (const FakeControl* control : {&session_, &messages_}) {
        ASSERT_EQ(control->calls.size(), 2u);
        EXPECT_EQ(control->calls[0].kind, Kind::Close);
        EXPECT_EQ(control->calls[0].closeOption, static_cast<DWORD>(OLECLOSE_NOSAVE));
        EXPECT_EQ(control->calls[1].kind, Kind::ClearSite);
        EXPECT_EQ(control->references, 0) << "the site or the control was kept";
    }
    DestroyWindow(container);
}

TEST_F(DispatchWireTest, AControlThatCannotTakeItsDefaultsIsNotCreated) {
    messages_.initNewResult = E_UNEXPECTED;
    try {
        MapiControls controls(FakeSessionClass, FakeMessagesClass);
        FAIL() << "created";
    } catch (const EOleSysError& error) {
        EXPECT_EQ(error.ErrorCode(), E_UNEXPECTED);
    }
    EXPECT_EQ(session_.references, 0) << "the session control created first is let go";
    EXPECT_EQ(messages_.references, 0);
}

struct WireCase {
    const char* name;
    std::function<void(MailboxSource&)> operation;
    bool onSession;
    RecordedCall expected;
};

RecordedCall Get(DISPID dispid) {
    RecordedCall call{RecordedCall::Kind::Invoke};
    call.dispid = dispid;
    call.flags = DISPATCH_PROPERTYGET;
    call.resultWanted = true;
    return call;
}

RecordedCall Put(DISPID dispid, VARTYPE type, LONG value) {
    RecordedCall call{RecordedCall::Kind::Invoke};
    call.dispid = dispid;
    call.flags = DISPATCH_PROPERTYPUT;
    call.argumentCount = 1;
    call.namedCount = 1;
    call.named = DISPID_PROPERTYPUT;
    call.type = type;
    call.number = value;
    return call;
}

RecordedCall Entry(int entry) {
    RecordedCall call{RecordedCall::Kind::Entry};
    call.entry = entry;
    return call;
}

TEST_F(DispatchWireTest, EachOperationSendsItsDispidFlagsAndValueTypeOrCallsItsTableEntry) {
    namespace s = mapi::session;
    namespace m = mapi::messages;
    const WireCase cases[] = {
        {"LogonUI := true", [](MailboxSource& x) { x.SetLogonUI(true); }, true,
         Put(s::LogonUI, VT_BOOL, -1)},
        {"LogonUI := false", [](MailboxSource& x) { x.SetLogonUI(false); }, true,
         Put(s::LogonUI, VT_BOOL, 0)},
        {"NewSession := true", [](MailboxSource& x) { x.SetNewSession(true); }, true,
         Put(s::NewSession, VT_BOOL, -1)},
        {"SessionID", [](MailboxSource& x) { x.SessionID(); }, true, Get(s::SessionID)},
        {"sign-on", [](MailboxSource& x) { x.SignOn(); }, true, Entry(21)},
        {"sign-off", [](MailboxSource& x) { x.SignOff(); }, true, Entry(22)},
        {"SessionID := 7", [](MailboxSource& x) { x.SetMessagesSessionID(7); }, false,
         Put(m::SessionID, VT_I4, 7)},
        {"fetch", [](MailboxSource& x) { x.Fetch(); }, false, Entry(78)},
        {"MsgCount", [](MailboxSource& x) { x.MsgCount(); }, false, Get(m::MsgCount)},
        {"MsgIndex := -2", [](MailboxSource& x) { x.SetMsgIndex(-2); }, false,
         Put(m::MsgIndex, VT_I4, -2)},
        {"MsgSubject", [](MailboxSource& x) { x.MsgSubject(); }, false, Get(m::MsgSubject)},
        {"MsgOrigDisplayName", [](MailboxSource& x) { x.MsgOrigDisplayName(); }, false,
         Get(m::MsgOrigDisplayName)},
        {"MsgNoteText", [](MailboxSource& x) { x.MsgNoteText(); }, false, Get(m::MsgNoteText)},
        {"AttachmentCount", [](MailboxSource& x) { x.AttachmentCount(); }, false,
         Get(m::AttachmentCount)},
        {"AttachmentIndex := 2147483647",
         [](MailboxSource& x) { x.SetAttachmentIndex(2147483647); }, false,
         Put(m::AttachmentIndex, VT_I4, 2147483647)},
        {"AttachmentName", [](MailboxSource& x) { x.AttachmentName(); }, false,
         Get(m::AttachmentName)},
        {"AttachmentPathName", [](MailboxSource& x) { x.AttachmentPathName(); }, false,
         Get(m::AttachmentPathName)},
    };
    const auto answerText = [](VARIANT* result, EXCEPINFO*) {
        result->vt = VT_BSTR;
        result->bstrVal = SysAllocString(L"text");
        return S_OK;
    };
    const auto answerNumber = messages_.answer;
    for (const WireCase& wire : cases) {
        SCOPED_TRACE(wire.name);
        const auto controls = Create();
        messages_.answer = wire.expected.dispid == mapi::messages::MsgSubject ||
                                   wire.expected.dispid == mapi::messages::MsgOrigDisplayName ||
                                   wire.expected.dispid == mapi::messages::MsgNoteText ||
                                   wire.expected.dispid == mapi::messages::AttachmentName ||
                                   wire.expected.dispid == mapi::messages::AttachmentPathName
                               ? std::function(answerText)
                               : answerNumber;
        wire.operation(*controls);
        const FakeControl& target = wire.onSession ? session_ : messages_;
        const FakeControl& other = wire.onSession ? messages_ : session_;
        EXPECT_TRUE(other.calls.empty());
        ASSERT_EQ(target.calls.size(), 1u);
        const RecordedCall& call = target.calls[0];
        const RecordedCall& expected = wire.expected;
        EXPECT_EQ(call.kind, expected.kind);
        if (expected.kind == RecordedCall::Kind::Entry) {
            EXPECT_EQ(call.entry, expected.entry);
            continue;
        }
        EXPECT_EQ(call.dispid, expected.dispid);
        EXPECT_TRUE(call.nullIid);
        EXPECT_EQ(call.locale, 0u);
        EXPECT_EQ(call.flags, expected.flags);
        EXPECT_EQ(call.argumentCount, expected.argumentCount);
        EXPECT_EQ(call.namedCount, expected.namedCount);
        EXPECT_EQ(call.named, expected.named);
        EXPECT_EQ(call.type, expected.type);
        EXPECT_EQ(call.number, expected.number);
        EXPECT_EQ(call.resultWanted, expected.resultWanted);
    }
}

// Answers every Invoke with a copy of `value`.
std::function<HRESULT(VARIANT*, EXCEPINFO*)> Answer(VARIANT value) {
    return [value](VARIANT* result, EXCEPINFO*) mutable { return VariantCopy(result, &value); };
}

TEST_F(DispatchWireTest, TextsComeBackWhole) {
    const auto controls = Create();
    const std::u16string text(u"A\0B \U0001F600 \u00C4\r\n", 9);
    const UniqueBstr bstr = MakeBstr(text);
    VARIANT value;
    value.vt = VT_BSTR;
    value.bstrVal = bstr.get();
    messages_.answer = Answer(value);
    EXPECT_EQ(controls->MsgSubject(), text);
    VARIANT empty;
    empty.vt = VT_BSTR;
    empty.bstrVal = nullptr;
    messages_.answer = Answer(empty);
    EXPECT_EQ(controls->MsgNoteText(), u"");
    // An absent value reads as empty text.
    for (const VARTYPE absent : {VT_NULL, VT_EMPTY}) {
        VARIANT nothing;
        VariantInit(&nothing);
        nothing.vt = absent;
        messages_.answer = Answer(nothing);
        EXPECT_EQ(controls->MsgOrigDisplayName(), u"") << "VARTYPE " << absent;
    }
}

TEST_F(DispatchWireTest, AnswersOfAnotherTypeAreConverted) {
    const auto controls = Create();
    VARIANT shortNumber;
    shortNumber.vt = VT_I2;
    shortNumber.iVal = 12;
    messages_.answer = Answer(shortNumber);
    EXPECT_EQ(controls->MsgCount(), 12);
    VARIANT number;
    number.vt = VT_I4;
    number.lVal = 345;
    messages_.answer = Answer(number);
    EXPECT_EQ(controls->AttachmentName(), u"345");
    const UniqueBstr word = MakeBstr(u"twelve");
    VARIANT text;
    text.vt = VT_BSTR;
    text.bstrVal = word.get();
    messages_.answer = Answer(text);
    try {
        controls->MsgCount();
        FAIL() << "no error";
    } catch (const EOleException&) {
        FAIL() << "a conversion failure is no EOleException";
    } catch (const EOleSysError& error) {
        EXPECT_EQ(error.ErrorCode(), DISP_E_TYPEMISMATCH);
    }
}

struct ExceptionCase {
    const char* name;
    const wchar_t* description;
    SCODE scode;
    WORD wCode;
    bool deferred;
    const char* message;
    HRESULT code;
};

// The case the fill-in below fills EXCEPINFO for, directly or deferred.
ExceptionCase filling;

HRESULT STDAPICALLTYPE FillIn(EXCEPINFO* info) {
    info->bstrDescription = SysAllocString(filling.description);
    info->bstrSource = SysAllocString(L"Fake.Source");
    info->bstrHelpFile = SysAllocString(L"C:\\help\\mapi.hlp");
    info->dwHelpContext = 4711;
    info->scode = filling.scode;
    info->wCode = filling.wCode;
    info->pfnDeferredFillIn = nullptr;
    return S_OK;
}

TEST_F(DispatchWireTest, ADispatchExceptionBecomesEOleExceptionWithAllItsParts) {
    const ExceptionCase cases[] = {
        {"trailing blanks, periods and control characters", L"Invalid message index. . .\r\n\t ",
         static_cast<SCODE>(0x80040107), 0, false, "Invalid message index",
         static_cast<HRESULT>(0x80040107)},
        {"inner periods stay", L"Fehler bei Nachricht 3. Bitte erneut versuchen.", E_FAIL, 0, false,
         "Fehler bei Nachricht 3. Bitte erneut versuchen", E_FAIL},
        {"deferred fill-in", L"Later.", static_cast<SCODE>(0x80040110), 0, true, "Later",
         static_cast<HRESULT>(0x80040110)},
        {"an application code", L"Application code", 0, 1001, false, "Application code", 1001},
        {"nothing but periods", L"...", static_cast<SCODE>(0x8004ABCD), 0, false,
         "OLE error 8004abcd", static_cast<HRESULT>(0x8004ABCD)},
        {"characters the code page lacks", L"Błąd \u6771", E_FAIL, 0, false, "Blad ?", E_FAIL},
    };
    for (const ExceptionCase& exception : cases) {
        SCOPED_TRACE(exception.name);
        const auto controls = Create();
        messages_.answer = [&](VARIANT*, EXCEPINFO* info) {
            *info = EXCEPINFO{};
            filling = exception;
            if (exception.deferred)
                info->pfnDeferredFillIn = &FillIn;
            else
                FillIn(info);
            return DISP_E_EXCEPTION;
        };
        try {
            controls->MsgSubject();
            FAIL() << "no error";
        } catch (const EOleException& error) {
            EXPECT_STREQ(error.what(), exception.message);
            EXPECT_EQ(error.ErrorCode(), exception.code);
            EXPECT_EQ(error.Source(), "Fake.Source");
            EXPECT_EQ(error.HelpFile(), "C:\\help\\mapi.hlp");
            EXPECT_EQ(error.HelpContext(), 4711u);
        }
    }
}

TEST_F(DispatchWireTest, AnyOtherFailingStatusBecomesEOleSysErrorEvenWithExceptionTexts) {
    const auto controls = Create();
    session_.answer = [](VARIANT*, EXCEPINFO* info) {
        info->bstrDescription = SysAllocString(L"not to be used");
        return static_cast<HRESULT>(0x8004ABCD);
    };
    try {
        controls->SetLogonUI(true);
        FAIL() << "no error";
    } catch (const EOleException&) {
        FAIL() << "a bare status is no EOleException";
    } catch (const EOleSysError& error) {
        EXPECT_STREQ(error.what(), "OLE error 8004abcd");
        EXPECT_EQ(error.ErrorCode(), static_cast<HRESULT>(0x8004ABCD));
    }
}

// Sets the thread's error information as a failing component does.
void SetErrorInformation(const wchar_t* description) {
    Microsoft::WRL::ComPtr<ICreateErrorInfo> create;
    ASSERT_HRESULT_SUCCEEDED(CreateErrorInfo(&create));
    create->SetDescription(const_cast<LPOLESTR>(description));
    create->SetSource(const_cast<LPOLESTR>(L"Fake.Session"));
    create->SetHelpFile(const_cast<LPOLESTR>(L"mapi.hlp"));
    create->SetHelpContext(12);
    Microsoft::WRL::ComPtr<IErrorInfo> info;
    ASSERT_HRESULT_SUCCEEDED(create.As(&info));
    SetErrorInfo(0, info.Get());
}

TEST_F(DispatchWireTest, AFailingMethodTakesTheThreadsErrorInformation) {
    const auto controls = Create();
    session_.entryAnswer = [] {
        SetErrorInformation(L"MAPI logon failed.  ");
        return static_cast<HRESULT>(0x80040111);
    };
    try {
        controls->SignOn();
        FAIL() << "no error";
    } catch (const EOleException& error) {
        EXPECT_STREQ(error.what(), "MAPI logon failed");
        EXPECT_EQ(error.ErrorCode(), static_cast<HRESULT>(0x80040111));
        EXPECT_EQ(error.Source(), "Fake.Session");
        EXPECT_EQ(error.HelpFile(), "mapi.hlp");
        EXPECT_EQ(error.HelpContext(), 12u);
    }
    Microsoft::WRL::ComPtr<IErrorInfo> left;
    EXPECT_EQ(GetErrorInfo(0, &left), S_FALSE) << "the error information is taken";
}

TEST_F(DispatchWireTest, AFailingMethodWithoutErrorInformationFallsBackToTheStatus) {
    const auto controls = Create();
    SetErrorInformation(L"left over from an earlier call");
    messages_.entryAnswer = [] { return static_cast<HRESULT>(0x8004ABCE); };
    try {
        controls->Fetch();
        FAIL() << "no error";
    } catch (const EOleException& error) {
        EXPECT_STREQ(error.what(), "OLE error 8004abce");
        EXPECT_EQ(error.ErrorCode(), static_cast<HRESULT>(0x8004ABCE));
        EXPECT_EQ(error.Source(), "");
    }
}

TEST_F(DispatchWireTest, AMethodThatSucceedsWithAWarningStatusIsNoFailure) {
    const auto controls = Create();
    session_.entryAnswer = [] { return S_FALSE; };
    EXPECT_NO_THROW(controls->SignOff());
}

} // namespace
} // namespace kelvor

// The stand-in controls as COM objects: their registration, the function-table layout of the
// dual interfaces, what IDispatch::Invoke accepts, the session and index rules a mail store
// keeps, and what they answer a container that hosts them, the logon dialog included.

#include "mailbox/com/com_text.h"
#include "mailbox/com/mapi_ids.h"
#include "platform/unique_handle.h"
#include "support/standin_dispatch.h"
#include "support/standin_dll.h"
#include "support/standin_mailbox.h"
#include "support/win32_dialog_watch.h"

#include <gtest/gtest.h>

#include <ocidl.h>
#include <olectl.h>

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

namespace kelvor {
namespace {

using Microsoft::WRL::ComPtr;
using testing_support::CallEntry;
using testing_support::ComApartment;
using testing_support::CreateStandin;
using testing_support::InvokeGet;
using testing_support::InvokePut;
using testing_support::StandinMailbox;
using testing_support::Variant;
using Lines = std::vector<std::string>;
namespace s = mapi::session;
namespace m = mapi::messages;

constexpr const char* ThreeMessages = R"({ "sessionId": 9, "messages": [
    { "subject": "zero", "attachments": [ { "name": "a.txt", "content": "A" },
                                          { "name": "b.txt", "content": "B" } ] },
    { "subject": "one" },
    { "subject": "two", "attachments": [ { "name": "c", "content": "C" } ] } ] })";

class StandinProtocolTest : public ::testing::Test {
protected:
    StandinProtocolTest()
        : box_(ThreeMessages), session_(CreateStandin(mapi::SessionClass, mapi::SessionInterface)),
          messages_(CreateStandin(mapi::MessagesClass, mapi::MessagesInterface)) {}

    LONG GetNumber(IDispatch& control, DISPID dispid) {
        const auto result = InvokeGet(control, dispid);
        EXPECT_EQ(result.status, S_OK);
        EXPECT_EQ((*result.value).vt, VT_I4);
        return (*result.value).lVal;
    }

    std::wstring GetText(DISPID dispid) {
        const auto result = InvokeGet(*messages_.Get(), dispid);
        EXPECT_EQ(result.status, S_OK)
            << std::string(result.description.begin(), result.description.end());
        EXPECT_EQ((*result.value).vt, VT_BSTR);
        return std::wstring((*result.value).bstrVal, SysStringLen((*result.value).bstrVal));
    }

    void Open() {
        ASSERT_EQ(CallEntry(*session_.Get(), mapi::SignOnEntry), S_OK);
        ASSERT_EQ(InvokePut(*messages_.Get(), m::SessionID, Variant(VT_I4, 9)).status, S_OK);
        ASSERT_EQ(CallEntry(*messages_.Get(), mapi::FetchEntry), S_OK);
    }

    ComApartment apartment_;
    StandinMailbox box_;
    ComPtr<IDispatch> session_;
    ComPtr<IDispatch> messages_;
};

struct WindowDestroyer {
    void operator()(HWND window) const { DestroyWindow(window); }
};
using UniqueWindow = std::unique_ptr<std::remove_pointer_t<HWND>, WindowDestroyer>;

// A shown top-level window standing for the host's main window.
UniqueWindow HostWindow() {
    UniqueWindow window(CreateWindowExW(0, L"STATIC", L"KELVOR", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                        0, 0, 400, 300, nullptr, nullptr, nullptr, nullptr));
    if (!window)
        throw std::runtime_error("cannot create the host window");
    return window;
}

// A container's client site offering IOleClientSite and IOleWindow, which reports `window` or,
// when that is null, fails. It counts the references held on it.
class FakeSite final : public IOleClientSite, public IOleWindow {
public:
    explicit FakeSite(HWND window) : window_(window) {}

    long references = 0;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IOleClientSite))
            *object = static_cast<IOleClientSite*>(this);
        else if (IsEqualIID(riid, IID_IOleWindow))
            *object = static_cast<IOleWindow*>(this);
        else {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override { return --references; }

    HRESULT STDMETHODCALLTYPE SaveObject() override { return E_NOTIMPL; }
    // The stand-in asks its site for nothing but the window.
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ShowObject() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return E_NOTIMPL; }

    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override {
        *window = window_;
        return window_ ? S_OK : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

private:
    HWND window_;
};

std::wstring RegistryText(const std::wstring& key, const wchar_t* name) {
    wchar_t value[1024] = {};
    DWORD size = sizeof value;
    if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), name, RRF_RT_REG_SZ, nullptr, value, &size) !=
        ERROR_SUCCESS)
        return L"(missing)";
    return value;
}

TEST(StandinRegistration, BothClassesAreInProcessAndApartmentThreaded) {
    for (const CLSID* id : {&mapi::SessionClass, &mapi::MessagesClass}) {
        wchar_t text[40];
        StringFromGUID2(*id, text, 40);
        const std::wstring key = std::wstring(L"CLSID\\") + text + L"\\InprocServer32";
        EXPECT_TRUE(RegistryText(key, nullptr).ends_with(L"kelvor_standin.dll"));
        EXPECT_EQ(RegistryText(key, L"ThreadingModel"), L"Apartment");
    }
}

void CloseKey(HKEY key) noexcept {
    RegCloseKey(key);
}
void CloseFile(HANDLE file) noexcept {
    CloseHandle(file);
}
HANDLE NoFile() noexcept {
    return INVALID_HANDLE_VALUE;
}

// HKEY_CLASSES_ROOT of this process is an empty key of the test's own while it lives, so that the
// registration the other tests need stays as it is.
class ScratchClassesRoot {
public:
    ScratchClassesRoot() {
        RegDeleteTreeW(HKEY_CURRENT_USER, Key);
        HKEY created = nullptr;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, Key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &created, nullptr) != ERROR_SUCCESS ||
            RegOverridePredefKey(HKEY_CLASSES_ROOT, UniqueHandle<HKEY, CloseKey>(created).get()) !=
                ERROR_SUCCESS)
            throw std::runtime_error("cannot redirect HKEY_CLASSES_ROOT");
    }
    ScratchClassesRoot(const ScratchClassesRoot&) = delete;
    ScratchClassesRoot& operator=(const ScratchClassesRoot&) = delete;
    ~ScratchClassesRoot() {
        RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
        RegDeleteTreeW(HKEY_CURRENT_USER, Key);
    }

private:
    static constexpr const wchar_t* Key = L"Software\\Kelvor registration test";
};

void SetServer(const std::wstring& key, const std::wstring& server) {
    ASSERT_EQ(RegSetKeyValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, REG_SZ, server.c_str(),
                              static_cast<DWORD>((server.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
}

// Registers as regsvr32 does, with standard error sent to a file; what was written there.
std::string RegisterReadingErrors(const testing_support::StandinDll& standin, HRESULT& status) {
    const test::TempDir folder;
    const HANDLE previous = GetStdHandle(STD_ERROR_HANDLE);
    {
        const UniqueHandle<HANDLE, CloseFile, NoFile> errors(CreateFileW(
            (folder / "errors").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        SetStdHandle(STD_ERROR_HANDLE, errors.get());
        status = standin.Register();
        SetStdHandle(STD_ERROR_HANDLE, previous);
    }
    return test::ReadBytes(folder / "errors");
}

TEST(StandinRegistration, NeverTakesAClassFromAnotherServer) {
    const testing_support::StandinDll standin;
    const ScratchClassesRoot classes;
    const std::wstring session = L"CLSID\\{20C62CA0-15DA-101B-B9A8-444553540000}\\InprocServer32";
    const std::wstring messages = L"CLSID\\{20C62CAB-15DA-101B-B9A8-444553540000}\\InprocServer32";
    const std::wstring other = L"C:\\Program Files\\Other\\mapi controls.ocx";
    SetServer(messages, other);
    HRESULT status = S_OK;
    EXPECT_TRUE(RegisterReadingErrors(standin, status)
                    .ends_with("kelvor_standin.dll is not registered: the class "
                               "{20C62CAB-15DA-101B-B9A8-444553540000} (MAPI messages control) "
                               "belongs to another server, C:\\Program Files\\Other\\mapi "
                               "controls.ocx, and the stand-in never takes the place of a "
                               "registered control\n"));
    EXPECT_EQ(status, SELFREG_E_CLASS);
    EXPECT_EQ(RegistryText(messages, nullptr), other);
    EXPECT_EQ(RegistryText(session, nullptr), L"(missing)") << "nothing registered by halves";
    EXPECT_EQ(standin.Unregister(), S_OK);
    EXPECT_EQ(RegistryText(messages, nullptr), other);

    // Over its own registration it registers again; unregistering removes only its own class.
    ASSERT_EQ(RegDeleteKeyW(HKEY_CLASSES_ROOT, messages.c_str()), ERROR_SUCCESS);
    ASSERT_EQ(standin.Register(), S_OK);
    EXPECT_EQ(standin.Register(), S_OK);
    EXPECT_TRUE(RegistryText(messages, nullptr).ends_with(L"kelvor_standin.dll"));
    EXPECT_EQ(RegistryText(messages, L"ThreadingModel"), L"Apartment");
    SetServer(messages, other);
    EXPECT_EQ(standin.Unregister(), S_OK);
    EXPECT_EQ(RegistryText(session, nullptr), L"(missing)");
    EXPECT_EQ(RegistryText(messages, nullptr), other);
}

TEST_F(StandinProtocolTest, TheFunctionTablesHaveTheControlsLayout) {
    VARIANT_BOOL flag = 0;
    ASSERT_EQ(CallEntry(*session_.Get(), mapi::GetEntry(s::LogonUI), &flag), S_OK);
    EXPECT_EQ(flag, VARIANT_TRUE) << "the default";
    ASSERT_EQ(CallEntry(*session_.Get(), mapi::PutEntry(s::LogonUI), VARIANT_BOOL(VARIANT_FALSE)),
              S_OK);
    EXPECT_EQ((*InvokeGet(*session_.Get(), s::LogonUI).value).boolVal, VARIANT_FALSE);
    ASSERT_EQ(CallEntry(*session_.Get(), mapi::SignOnEntry), S_OK);
    LONG number = 0;
    ASSERT_EQ(CallEntry(*session_.Get(), mapi::GetEntry(s::SessionID), &number), S_OK);
    EXPECT_EQ(number, 9);
    ASSERT_EQ(CallEntry(*messages_.Get(), mapi::PutEntry(m::SessionID), LONG(9)), S_OK);
    ASSERT_EQ(CallEntry(*messages_.Get(), mapi::FetchEntry), S_OK);
    ASSERT_EQ(CallEntry(*messages_.Get(), mapi::GetEntry(m::MsgCount), &number), S_OK);
    EXPECT_EQ(number, 3);
    ASSERT_EQ(CallEntry(*messages_.Get(), mapi::PutEntry(m::MsgIndex), LONG(2)), S_OK);
    BSTR text = nullptr;
    ASSERT_EQ(CallEntry(*messages_.Get(), mapi::GetEntry(m::MsgSubject), &text), S_OK);
    const UniqueBstr subject(text);
    EXPECT_EQ(std::wstring(subject.get()), L"two");
    ASSERT_EQ(CallEntry(*messages_.Get(), mapi::GetEntry(m::AttachmentCount), &number), S_OK);
    EXPECT_EQ(number, 1);
    EXPECT_EQ(CallEntry(*messages_.Get(), mapi::PutEntry(m::MsgIndex), LONG(3)), DISP_E_BADINDEX);
    for (const DISPID unused : {1, 10, 21, 33, 34}) {
        void* nothing = nullptr;
        EXPECT_EQ(CallEntry(*messages_.Get(), mapi::GetEntry(unused), &nothing), E_NOTIMPL);
    }
    ASSERT_EQ(CallEntry(*session_.Get(), mapi::SignOffEntry), S_OK);
    EXPECT_EQ(box_.LogLines().back(), "SignOff");
}

TEST_F(StandinProtocolTest, InvokeAcceptsOnlyTheControlsOwnCalls) {
    EXPECT_EQ(InvokeGet(*messages_.Get(), 33).status, DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(InvokeGet(*session_.Get(), m::MsgCount).status, DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(testing_support::RawInvoke(*session_.Get(), s::SessionID, DISPATCH_PROPERTYGET,
                                         {nullptr, nullptr, 0, 0}, IID_IDispatch)
                  .status,
              DISP_E_UNKNOWNINTERFACE);
    VARIANT value = Variant(VT_BOOL, 1);
    EXPECT_EQ(testing_support::RawInvoke(*session_.Get(), s::LogonUI, DISPATCH_PROPERTYPUT,
                                         {&value, nullptr, 1, 0})
                  .status,
              DISP_E_PARAMNOTOPTIONAL);
    for (const auto& [control, dispid, type] :
         {std::tuple{session_.Get(), s::LogonUI, VT_I4},
          std::tuple{messages_.Get(), m::MsgIndex, VT_I2},
          std::tuple{messages_.Get(), m::SessionID, VT_BOOL}}) {
        const auto result = InvokePut(*control, dispid, Variant(type, 1));
        EXPECT_EQ(result.status, DISP_E_TYPEMISMATCH) << dispid;
        EXPECT_EQ(result.argumentError, 0u);
    }
    const auto readOnly = InvokePut(*messages_.Get(), m::MsgCount, Variant(VT_I4, 1));
    EXPECT_EQ(readOnly.status, DISP_E_EXCEPTION);
    EXPECT_EQ(readOnly.scode, CTL_E_SETNOTSUPPORTED);
    EXPECT_EQ(readOnly.description, L"MsgCount is read-only");
    EXPECT_EQ(readOnly.source, L"KelvorStandin.Messages");
    EXPECT_EQ(box_.LogLines().back(), "FAIL put MsgCount 0x800A017F");
}

TEST_F(StandinProtocolTest, InitNewGivesTheDesignTimeDefaults) {
    ComPtr<IPersistStreamInit> persist;
    ASSERT_EQ(session_.As(&persist), S_OK);
    CLSID id;
    ASSERT_EQ(persist->GetClassID(&id), S_OK);
    EXPECT_TRUE(IsEqualCLSID(id, mapi::SessionClass));
    ASSERT_EQ(InvokePut(*session_.Get(), s::LogonUI, Variant(VT_BOOL, 0)).status, S_OK);
    ASSERT_EQ(InvokePut(*session_.Get(), s::NewSession, Variant(VT_BOOL, 1)).status, S_OK);
    ASSERT_EQ(persist->InitNew(), S_OK);
    EXPECT_EQ((*InvokeGet(*session_.Get(), s::LogonUI).value).boolVal, VARIANT_TRUE);
    EXPECT_EQ((*InvokeGet(*session_.Get(), s::NewSession).value).boolVal, VARIANT_FALSE);
    ComPtr<ISupportErrorInfo> errors;
    ASSERT_EQ(messages_.As(&errors), S_OK);
    EXPECT_EQ(errors->InterfaceSupportsErrorInfo(mapi::MessagesInterface), S_OK);
}

TEST_F(StandinProtocolTest, TheSessionIdIsPositiveExactlyWhileSignedOn) {
    EXPECT_EQ(GetNumber(*session_.Get(), s::SessionID), 0);
    EXPECT_EQ(CallEntry(*session_.Get(), mapi::SignOffEntry), static_cast<HRESULT>(0x8000000E));
    ASSERT_EQ(CallEntry(*session_.Get(), mapi::SignOnEntry), S_OK);
    EXPECT_EQ(GetNumber(*session_.Get(), s::SessionID), 9);
    EXPECT_EQ(CallEntry(*session_.Get(), mapi::SignOnEntry), static_cast<HRESULT>(0x8000000E));
    EXPECT_EQ(GetNumber(*session_.Get(), s::SessionID), 9);
    ASSERT_EQ(CallEntry(*session_.Get(), mapi::SignOffEntry), S_OK);
    EXPECT_EQ(GetNumber(*session_.Get(), s::SessionID), 0);
    EXPECT_EQ(InvokePut(*session_.Get(), s::SessionID, Variant(VT_I4, 5)).status, DISP_E_EXCEPTION)
        << "the session's SessionID is read-only";
}

TEST_F(StandinProtocolTest, FetchNeedsTheIdOfASignedOnSession) {
    ASSERT_EQ(CallEntry(*session_.Get(), mapi::SignOnEntry), S_OK);
    for (const LONG id : {0, 8, -9}) {
        ASSERT_EQ(InvokePut(*messages_.Get(), m::SessionID, Variant(VT_I4, id)).status, S_OK);
        EXPECT_EQ(CallEntry(*messages_.Get(), mapi::FetchEntry), E_HANDLE) << id;
    }
    ComPtr<IErrorInfo> info;
    ASSERT_EQ(GetErrorInfo(0, &info), S_OK);
    BSTR raw = nullptr;
    info->GetDescription(&raw);
    const UniqueBstr description(raw);
    EXPECT_EQ(std::wstring(description.get()), L"No session with SessionID -9 is signed on");
    ASSERT_EQ(InvokePut(*messages_.Get(), m::SessionID, Variant(VT_I4, 9)).status, S_OK);
    ASSERT_EQ(CallEntry(*messages_.Get(), mapi::FetchEntry), S_OK);
    ASSERT_EQ(CallEntry(*session_.Get(), mapi::SignOffEntry), S_OK);
    EXPECT_EQ(CallEntry(*messages_.Get(), mapi::FetchEntry), E_HANDLE) << "signed off";
    EXPECT_EQ(GetNumber(*messages_.Get(), m::MsgCount), 3) << "what was fetched stays";
}

TEST_F(StandinProtocolTest, IndexesStayWithinTheMessagesAndTheirAttachments) {
    EXPECT_EQ(GetNumber(*messages_.Get(), m::MsgCount), 0);
    EXPECT_EQ(InvokeGet(*messages_.Get(), m::MsgSubject).status, DISP_E_EXCEPTION);
    Open();
    EXPECT_EQ(GetNumber(*messages_.Get(), m::MsgIndex), 0);
    EXPECT_EQ(GetText(m::MsgSubject), L"zero");
    struct Put {
        DISPID dispid;
        LONG value;
        const wchar_t* description;
    };
    const Put refused[] = {
        {m::MsgIndex, -1, L"MsgIndex -1 is outside 0 to 2"},
        {m::MsgIndex, 3, L"MsgIndex 3 is outside 0 to 2"},
        {m::AttachmentIndex, 2, L"AttachmentIndex 2 is outside 0 to 1"},
        {m::AttachmentIndex, -1, L"AttachmentIndex -1 is outside 0 to 1"},
    };
    for (const Put& put : refused) {
        const auto result = InvokePut(*messages_.Get(), put.dispid, Variant(VT_I4, put.value));
        EXPECT_EQ(result.status, DISP_E_EXCEPTION);
        EXPECT_EQ(result.scode, DISP_E_BADINDEX);
        EXPECT_EQ(result.description, put.description);
    }
    ASSERT_EQ(InvokePut(*messages_.Get(), m::AttachmentIndex, Variant(VT_I4, 1)).status, S_OK);
    EXPECT_EQ(GetText(m::AttachmentName), L"b.txt");
    ASSERT_EQ(InvokePut(*messages_.Get(), m::MsgIndex, Variant(VT_I4, 2)).status, S_OK);
    EXPECT_EQ(GetNumber(*messages_.Get(), m::AttachmentIndex), 0) << "reset with the message";
    EXPECT_EQ(GetText(m::AttachmentName), L"c");
    ASSERT_EQ(InvokePut(*messages_.Get(), m::MsgIndex, Variant(VT_I4, 1)).status, S_OK);
    EXPECT_EQ(GetNumber(*messages_.Get(), m::AttachmentCount), 0);
    const auto none = InvokeGet(*messages_.Get(), m::AttachmentPathName);
    EXPECT_EQ(none.status, DISP_E_EXCEPTION);
    EXPECT_EQ(none.description, L"AttachmentIndex 0 is not valid: message 1 has no attachments");
    EXPECT_EQ(InvokePut(*messages_.Get(), m::AttachmentIndex, Variant(VT_I4, 0)).status,
              DISP_E_EXCEPTION);
}

TEST_F(StandinProtocolTest, BothControlsAreHostedSiteFirstAndLogTheHostingCalls) {
    FakeSite site(nullptr);
    for (const auto& [control, property] :
         {std::pair{session_.Get(), s::SessionID}, std::pair{messages_.Get(), m::MsgCount}}) {
        ComPtr<IOleObject> ole;
        ASSERT_EQ(control->QueryInterface(IID_PPV_ARGS(&ole)), S_OK);
        DWORD status = 0;
        ASSERT_EQ(ole->GetMiscStatus(DVASPECT_CONTENT, &status), S_OK);
        EXPECT_EQ(status, DWORD{OLEMISC_SETCLIENTSITEFIRST | OLEMISC_INVISIBLEATRUNTIME});
        ASSERT_EQ(ole->SetClientSite(&site), S_OK);
        ComPtr<IPersistStreamInit> persist;
        ASSERT_EQ(ole.As(&persist), S_OK);
        ASSERT_EQ(persist->InitNew(), S_OK);
        ComPtr<IOleClientSite> held;
        ASSERT_EQ(ole->GetClientSite(&held), S_OK);
        EXPECT_EQ(held.Get(), static_cast<IOleClientSite*>(&site));
        EXPECT_EQ(site.references, 2) << "the control's and ours";
        EXPECT_EQ(InvokeGet(*control, property).status, S_OK);
        EXPECT_EQ(ole->Close(OLECLOSE_NOSAVE), S_OK);
        ASSERT_EQ(ole->SetClientSite(nullptr), S_OK);
        ASSERT_EQ(ole->GetClientSite(&held), S_OK);
        EXPECT_EQ(held.Get(), nullptr);
        EXPECT_EQ(site.references, 0);
    }
    EXPECT_EQ(box_.LogLines(),
              (Lines{"GetMiscStatus", "SetClientSite", "InitNew", "get SessionID 0", "Close",
                     "SetClientSite null", "GetMiscStatus", "SetClientSite", "InitNew",
                     "get MsgCount 0", "Close", "SetClientSite null"}));
}

TEST(StandinLogonDialog, SignOnShowsItWhenAskedOwnedByTheSitesWindowAndThenSignsOn) {
    using testing_support::Answer;
    const ComApartment apartment;
    const UniqueWindow window = HostWindow();
    enum class Site { None, WithWindow, WithoutWindow };
    struct Case {
        const char* json;
        bool logonUI;
        Site site;
        Answer answer;
        bool shown;
    };
    const Case cases[] = {
        {R"({ "logonDialog": true })", true, Site::WithWindow, Answer::Ok, true},
        {R"({ "logonDialog": true })", true, Site::WithWindow, Answer::Enter, true},
        {R"({ "logonDialog": true })", true, Site::None, Answer::Escape, true},
        {R"({ "logonDialog": true })", true, Site::WithoutWindow, Answer::CloseBox, true},
        {R"({ "logonDialog": true })", false, Site::WithWindow, Answer::Ok, false},
        {R"({ "logonDialog": false })", true, Site::WithWindow, Answer::Ok, false},
        {R"({})", true, Site::WithWindow, Answer::Ok, false},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(::testing::Message() << "case " << &row - cases);
        const StandinMailbox box(row.json);
        FakeSite site(row.site == Site::WithWindow ? window.get() : nullptr);
        {
            const ComPtr<IDispatch> session =
                CreateStandin(mapi::SessionClass, mapi::SessionInterface);
            if (row.site != Site::None) {
                ComPtr<IOleObject> ole;
                ASSERT_EQ(session.As(&ole), S_OK);
                ASSERT_EQ(ole->SetClientSite(&site), S_OK);
            }
            ASSERT_EQ(InvokePut(*session.Get(), s::LogonUI, Variant(VT_BOOL, row.logonUI)).status,
                      S_OK);
            testing_support::DialogWatch watch(row.answer);
            ASSERT_EQ(CallEntry(*session.Get(), mapi::SignOnEntry), S_OK);
            EXPECT_EQ((*InvokeGet(*session.Get(), s::SessionID).value).lVal, 1);
            ASSERT_EQ(watch.Seen().size(), row.shown ? 1u : 0u);
            if (row.shown) {
                const auto& dialog = watch.Seen().front();
                const bool owned = row.site == Site::WithWindow;
                EXPECT_EQ(dialog.caption, L"Stand-in logon");
                EXPECT_EQ(dialog.texts.size(), 1u);
                EXPECT_EQ(dialog.defaultId, IDOK);
                EXPECT_EQ(dialog.owner, owned ? window.get() : nullptr);
                EXPECT_EQ(std::ranges::count(dialog.disabledTopLevel, window.get()), owned ? 1 : 0)
                    << "modal to its owner only";
                EXPECT_FALSE(IsWindow(dialog.window));
            }
            EXPECT_TRUE(IsWindowEnabled(window.get()));
        }
        EXPECT_EQ(site.references, 0) << "let go with the control";
        Lines expected;
        if (row.site != Site::None)
            expected.push_back("SetClientSite");
        expected.push_back(row.logonUI ? "put LogonUI true" : "put LogonUI false");
        if (row.shown)
            expected.insert(expected.end(), {"LogonDialog shown", "LogonDialog closed"});
        expected.insert(expected.end(), {"SignOn", "get SessionID 1"});
        EXPECT_EQ(box.LogLines(), expected);
    }
}

} // namespace
} // namespace kelvor

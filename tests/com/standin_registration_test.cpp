// The stand-in's registration as regsvr32 makes it, in a registry of the test's own:
// HKEY_CLASSES_ROOT of this process is an empty key for the test's life, so the registration the
// other tests need stays as it is.

#include "platform/unique_handle.h"
#include "support/standin_dll.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <olectl.h>

#include <optional>
#include <stdexcept>
#include <string>

namespace kelvor {
namespace {

using testing_support::StandinDll;

const wchar_t ScratchKey[] = L"Software\\Kelvor registration test";
const std::wstring SessionServer = L"CLSID\\{20C62CA0-15DA-101B-B9A8-444553540000}\\InprocServer32";
const std::wstring MessagesClassKey = L"CLSID\\{20C62CAB-15DA-101B-B9A8-444553540000}";
const std::wstring MessagesServer = MessagesClassKey + L"\\InprocServer32";
const std::wstring OtherServer = L"C:\\Program Files\\Other\\mapi controls.ocx";

void CloseKey(HKEY key) noexcept {
    RegCloseKey(key);
}
using UniqueKey = UniqueHandle<HKEY, CloseKey>;

void CloseFile(HANDLE file) noexcept {
    CloseHandle(file);
}
HANDLE NoFile() noexcept {
    return INVALID_HANDLE_VALUE;
}
using UniqueFile = UniqueHandle<HANDLE, CloseFile, NoFile>;

// HKEY_CLASSES_ROOT of this process is an empty key under HKEY_CURRENT_USER while it lives.
class ScratchClassesRoot {
public:
    ScratchClassesRoot() {
        RegDeleteTreeW(HKEY_CURRENT_USER, ScratchKey);
        HKEY created = nullptr;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, ScratchKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &created, nullptr) != ERROR_SUCCESS)
            throw std::runtime_error("cannot create the scratch key");
        // The system keeps a handle of its own.
        if (RegOverridePredefKey(HKEY_CLASSES_ROOT, UniqueKey(created).get()) != ERROR_SUCCESS)
            throw std::runtime_error("cannot redirect HKEY_CLASSES_ROOT");
    }
    ScratchClassesRoot(const ScratchClassesRoot&) = delete;
    ScratchClassesRoot& operator=(const ScratchClassesRoot&) = delete;
    ~ScratchClassesRoot() {
        RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
        RegDeleteTreeW(HKEY_CURRENT_USER, ScratchKey);
    }
};

void SetValue(const std::wstring& key, const wchar_t* name, const std::wstring& value) {
    ASSERT_EQ(RegSetKeyValueW(HKEY_CLASSES_ROOT, key.c_str(), name, REG_SZ, value.c_str(),
                              static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
}

std::optional<std::wstring> Value(const std::wstring& key, const wchar_t* name = nullptr) {
    wchar_t value[1024];
    DWORD size = sizeof value;
    if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), name, RRF_RT_REG_SZ, nullptr, value, &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

bool KeyExists(const std::wstring& key) {
    HKEY opened = nullptr;
    const LSTATUS status = RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &opened);
    const UniqueKey owner(opened);
    return status == ERROR_SUCCESS;
}

std::string Utf8(const std::wstring& text) {
    std::string bytes(text.size() * 3, '\0');
    bytes.resize(WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                     bytes.data(), static_cast<int>(bytes.size()), nullptr,
                                     nullptr));
    return bytes;
}

// What registering writes to standard error, as regsvr32 would show it on a console.
std::string RegisterReadingErrors(const StandinDll& standin, HRESULT& status) {
    const test::TempDir folder;
    const std::filesystem::path file = folder / "errors.txt";
    {
        const UniqueFile errors(CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                            CREATE_ALWAYS, 0, nullptr));
        if (!errors)
            throw std::runtime_error("cannot create " + file.string());
        const HANDLE previous = GetStdHandle(STD_ERROR_HANDLE);
        SetStdHandle(STD_ERROR_HANDLE, errors.get());
        status = standin.Register();
        SetStdHandle(STD_ERROR_HANDLE, previous);
    }
    return test::ReadBytes(file);
}

TEST(StandinRegistration, AClassOfAnotherServerIsNeverTakenOver) {
    const StandinDll standin;
    const ScratchClassesRoot classes;
    SetValue(MessagesServer, nullptr, OtherServer);
    SetValue(MessagesServer, L"ThreadingModel", std::wstring(L"Both"));

    HRESULT status = S_OK;
    EXPECT_EQ(RegisterReadingErrors(standin, status),
              Utf8(standin.Path()) +
                  " is not registered: the class {20C62CAB-15DA-101B-B9A8-444553540000} (MAPI "
                  "messages control) belongs to another server, C:\\Program Files\\Other\\mapi "
                  "controls.ocx, and the stand-in never takes the place of a registered control\n");
    EXPECT_EQ(status, SELFREG_E_CLASS);
    EXPECT_EQ(Value(MessagesServer), OtherServer);
    EXPECT_EQ(Value(MessagesServer, L"ThreadingModel"), std::wstring(L"Both"));
    // Nothing is registered by halves.
    EXPECT_FALSE(KeyExists(L"CLSID\\{20C62CA0-15DA-101B-B9A8-444553540000}"));

    EXPECT_EQ(standin.Unregister(), S_OK);
    EXPECT_EQ(Value(MessagesServer), OtherServer);
    EXPECT_EQ(Value(MessagesServer, L"ThreadingModel"), std::wstring(L"Both"));
}

TEST(StandinRegistration, RegistersOverItsOwnAndUnregistersOnlyItsOwn) {
    const StandinDll standin;
    const ScratchClassesRoot classes;
    EXPECT_EQ(standin.Register(), S_OK);
    EXPECT_EQ(standin.Register(), S_OK);
    EXPECT_EQ(Value(SessionServer), standin.Path());
    EXPECT_EQ(Value(MessagesServer), standin.Path());
    EXPECT_EQ(Value(MessagesServer, L"ThreadingModel"), std::wstring(L"Apartment"));

    // Another server takes the messages class over; the stand-in leaves it.
    SetValue(MessagesServer, nullptr, OtherServer);
    EXPECT_EQ(standin.Unregister(), S_OK);
    EXPECT_FALSE(KeyExists(L"CLSID\\{20C62CA0-15DA-101B-B9A8-444553540000}"));
    EXPECT_EQ(Value(MessagesServer), OtherServer);
    EXPECT_EQ(Value(MessagesClassKey), std::wstring(L"Kelvor stand-in MAPI messages control"));
}

} // namespace
} // namespace kelvor

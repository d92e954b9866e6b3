#include "standin/registration.h"

#include "mailbox/com/mapi_ids.h"
#include "standin/module.h"
#include "standin/unique_handle.h"

#include <objbase.h>

#include <string>

namespace kelvor::standin {
namespace {

struct ClassEntry {
    const CLSID& id;
    const wchar_t* description;
};

const ClassEntry Classes[] = {
    {mapi::SessionClass, L"Kelvor stand-in MAPI session control"},
    {mapi::MessagesClass, L"Kelvor stand-in MAPI messages control"},
};

std::wstring ClassKey(const CLSID& id) {
    wchar_t text[40];
    StringFromGUID2(id, text, 40);
    return std::wstring(L"CLSID\\") + text;
}

void CloseKey(HKEY key) noexcept {
    RegCloseKey(key);
}

class Key {
public:
    Key(HKEY parent, const std::wstring& path) {
        HKEY key = nullptr;
        status_ =
            RegCreateKeyExW(parent, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
        if (status_ == ERROR_SUCCESS)
            key_.reset(key);
    }

    LSTATUS Set(const wchar_t* name, const std::wstring& value) {
        if (status_ != ERROR_SUCCESS)
            return status_;
        return RegSetValueExW(key_.get(), name, 0, REG_SZ,
                              reinterpret_cast<const BYTE*>(value.c_str()),
                              static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    }

private:
    UniqueHandle<HKEY, CloseKey> key_;
    LSTATUS status_;
};

std::wstring ModulePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(ModuleHandle(), path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            return {};
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

} // namespace

HRESULT RegisterClasses() {
    const std::wstring server = ModulePath();
    if (server.empty())
        return HRESULT_FROM_WIN32(GetLastError());
    for (const ClassEntry& entry : Classes) {
        const std::wstring key = ClassKey(entry.id);
        LSTATUS status = Key(HKEY_CLASSES_ROOT, key).Set(nullptr, entry.description);
        if (status == ERROR_SUCCESS) {
            Key inproc(HKEY_CLASSES_ROOT, key + L"\\InprocServer32");
            status = inproc.Set(nullptr, server);
            if (status == ERROR_SUCCESS)
                status = inproc.Set(L"ThreadingModel", L"Apartment");
        }
        if (status != ERROR_SUCCESS)
            return HRESULT_FROM_WIN32(status);
    }
    return S_OK;
}

HRESULT UnregisterClasses() {
    for (const ClassEntry& entry : Classes) {
        const LSTATUS status = RegDeleteTreeW(HKEY_CLASSES_ROOT, ClassKey(entry.id).c_str());
        if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND)
            return HRESULT_FROM_WIN32(status);
    }
    return S_OK;
}

} // namespace kelvor::standin

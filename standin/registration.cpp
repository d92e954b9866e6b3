#include "standin/registration.h"

#include "mailbox/com/mapi_ids.h"
#include "standin/module.h"
#include "standin/text.h"
#include "standin/unique_handle.h"

#include <objbase.h>
#include <olectl.h>

#include <optional>
#include <string>

namespace kelvor::standin {
namespace {

struct ClassEntry {
    const CLSID& id;
    const wchar_t* name;
    const wchar_t* description;
};

const ClassEntry Classes[] = {
    {mapi::SessionClass, L"MAPI session control", L"Kelvor stand-in MAPI session control"},
    {mapi::MessagesClass, L"MAPI messages control", L"Kelvor stand-in MAPI messages control"},
};

std::wstring ClassId(const CLSID& id) {
    wchar_t text[40];
    StringFromGUID2(id, text, 40);
    return text;
}

std::wstring ClassKey(const CLSID& id) {
    return L"CLSID\\" + ClassId(id);
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

// The default value of a key under HKEY_CLASSES_ROOT, none when there is no such key or value. A
// value that cannot be read is named by its key and the reason.
std::optional<std::wstring> DefaultValue(const std::wstring& key) {
    std::wstring value(MAX_PATH, L'\0');
    for (;;) {
        DWORD size = static_cast<DWORD>(value.size() * sizeof(wchar_t));
        const LSTATUS status = RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ,
                                            nullptr, value.data(), &size);
        if (status == ERROR_MORE_DATA) {
            value.resize(size / sizeof(wchar_t));
            continue;
        }
        if (status == ERROR_FILE_NOT_FOUND)
            return std::nullopt;
        if (status != ERROR_SUCCESS)
            return key + L" (" + SystemMessage(status) + L")";
        value.resize(size / sizeof(wchar_t));
        while (!value.empty() && value.back() == L'\0')
            value.pop_back();
        return value;
    }
}

// The server a class is registered to: its in-process server, else its local server; none when
// it has neither.
std::optional<std::wstring> RegisteredServer(const CLSID& id) {
    if (auto server = DefaultValue(ClassKey(id) + L"\\InprocServer32"))
        return server;
    return DefaultValue(ClassKey(id) + L"\\LocalServer32");
}

bool IsThisServer(const std::optional<std::wstring>& server, const std::wstring& self) {
    return server &&
           CompareStringOrdinal(server->c_str(), -1, self.c_str(), -1, TRUE) == CSTR_EQUAL;
}

// regsvr32 shows no more than the failing status, so the reason goes to standard error, as UTF-8.
HRESULT Refuse(const std::wstring& self, const ClassEntry& entry, const std::wstring& server) {
    const std::string text =
        Narrow(self + L" is not registered: the class " + ClassId(entry.id) + L" (" + entry.name +
               L") belongs to another server, " + server +
               L", and the stand-in never takes the place of a registered control\n");
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), text.data(), static_cast<DWORD>(text.size()),
              &written, nullptr);
    return SELFREG_E_CLASS;
}

} // namespace

HRESULT RegisterClasses() {
    const std::wstring server = ModulePath();
    if (server.empty())
        return HRESULT_FROM_WIN32(GetLastError());
    // Every class is looked at before any is written: a refusal leaves the registry as it was.
    for (const ClassEntry& entry : Classes) {
        const std::optional<std::wstring> registered = RegisteredServer(entry.id);
        if (registered && !IsThisServer(registered, server))
            return Refuse(server, entry, *registered);
    }
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
    const std::wstring server = ModulePath();
    if (server.empty())
        return HRESULT_FROM_WIN32(GetLastError());
    for (const ClassEntry& entry : Classes) {
        // Another server's class is not the stand-in's to remove.
        if (!IsThisServer(RegisteredServer(entry.id), server))
            continue;
        const LSTATUS status = RegDeleteTreeW(HKEY_CLASSES_ROOT, ClassKey(entry.id).c_str());
        if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND)
            return HRESULT_FROM_WIN32(status);
    }
    return S_OK;
}

} // namespace kelvor::standin

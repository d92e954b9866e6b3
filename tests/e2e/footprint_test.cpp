// What a run of kelvor.exe leaves behind outside the gateway: nothing in its own folder and
// nothing in the registry.

#include "platform/unique_handle.h"
#include "support/e2e_export.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kelvor::testing_support {
namespace {

using namespace win32;

using Snapshot = std::map<std::wstring, std::string>;
using UniqueKey = UniqueHandle<HKEY, RegCloseKey>;
using UniqueEvent = UniqueHandle<HANDLE, CloseHandle>;

// Every key and value under `key`, each value with its type and bytes.
void ReadTree(HKEY key, const std::wstring& name, Snapshot& snapshot) {
    snapshot[name] = "(key)";
    DWORD subkeys = 0, values = 0, longestKey = 0, longestValue = 0, largestData = 0;
    if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, &longestKey, nullptr, &values,
                         &longestValue, &largestData, nullptr, nullptr) != ERROR_SUCCESS)
        return;
    for (DWORD i = 0; i < values; ++i) {
        std::wstring value(longestValue + 1, L'\0');
        std::string data(largestData, '\0');
        DWORD valueLength = static_cast<DWORD>(value.size());
        DWORD dataLength = static_cast<DWORD>(data.size());
        DWORD type = 0;
        if (RegEnumValueW(key, i, value.data(), &valueLength, nullptr, &type,
                          reinterpret_cast<BYTE*>(data.data()), &dataLength) != ERROR_SUCCESS)
            continue;
        value.resize(valueLength);
        data.resize(dataLength);
        snapshot[name + L"|" + value] = std::to_string(type) + ":" + data;
    }
    for (DWORD i = 0; i < subkeys; ++i) {
        std::wstring subkey(longestKey + 1, L'\0');
        DWORD length = static_cast<DWORD>(subkey.size());
        if (RegEnumKeyExW(key, i, subkey.data(), &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            continue;
        subkey.resize(length);
        HKEY opened = nullptr;
        if (RegOpenKeyExW(key, subkey.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS)
            continue;
        const UniqueKey child(opened);
        ReadTree(child.get(), name + L"\\" + subkey, snapshot);
    }
}

Snapshot Registry() {
    Snapshot snapshot;
    ReadTree(HKEY_CURRENT_USER, L"HKCU", snapshot);
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software", 0, KEY_READ, &opened) == ERROR_SUCCESS) {
        const UniqueKey software(opened);
        ReadTree(software.get(), L"HKLM\\Software", snapshot);
    }
    return snapshot;
}

// Every file and folder under `folder`, each file with the size and a hash of its bytes.
std::map<std::filesystem::path, std::string> Files(const std::filesystem::path& folder) {
    std::map<std::filesystem::path, std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        const std::string bytes = entry.is_directory() ? "" : FileBytes(entry.path());
        files[entry.path()] = entry.is_directory()
                                  ? "(folder)"
                                  : std::to_string(bytes.size()) + " bytes, hash " +
                                        std::to_string(std::hash<std::string>{}(bytes));
    }
    return files;
}

// Wine's own registration of fonts, which the first process to start after a change of the
// screen resolution (the layout tests make some) writes anew.
constexpr const wchar_t* FontPaths[] = {
    L"HKCU\\Software\\Wine\\Fonts",
    L"HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts",
    L"HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Fonts",
    L"HKLM\\Software\\Wow6432Node\\Microsoft\\Windows NT\\CurrentVersion\\Fonts",
    L"HKLM\\Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Fonts",
};

bool WinesFonts(const std::wstring& name) {
    return std::any_of(std::begin(FontPaths), std::end(FontPaths), [&](const wchar_t* font) {
        return name == font || name.starts_with(std::wstring(font) + L"\\") ||
               name.starts_with(std::wstring(font) + L"|");
    });
}

std::vector<std::wstring> Differences(const Snapshot& before, const Snapshot& after) {
    std::vector<std::wstring> differences;
    for (const auto& [name, value] : after) {
        if (WinesFonts(name))
            continue;
        const auto found = before.find(name);
        if (found == before.end())
            differences.push_back(L"added " + name);
        else if (found->second != value)
            differences.push_back(L"changed " + name);
    }
    for (const auto& [name, value] : before)
        if (!WinesFonts(name) && !after.contains(name))
            differences.push_back(L"removed " + name);
    return differences;
}

// Signalled by any write to a key, or under it, the same value written again included: such a
// write leaves no difference behind once an earlier run has made it.
class KeyWatch {
public:
    KeyWatch(HKEY key, bool subtree) : event_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
        if (RegNotifyChangeKeyValue(key, subtree,
                                    REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET,
                                    event_.get(), TRUE) != ERROR_SUCCESS)
            throw std::runtime_error("cannot watch a key");
    }
    bool Written() const { return WaitForSingleObject(event_.get(), 0) == WAIT_OBJECT_0; }

private:
    UniqueEvent event_;
};

// Watches everything under a key but Wine's font registration: a key that holds it is watched
// for its own values and subkeys, each of its subkeys on its own.
class RegistryWatch {
public:
    // `path` names the key for the report.
    RegistryWatch(HKEY root, const wchar_t* subkey, const std::wstring& path) {
        Watch(root, subkey, path);
    }

    // The keys written to, by their paths.
    std::vector<std::wstring> Written() const {
        std::vector<std::wstring> written;
        for (const auto& [path, watch] : watches_)
            if (watch.Written())
                written.push_back(path);
        return written;
    }

private:
    void Watch(HKEY parent, const wchar_t* subkey, const std::wstring& path) {
        if (WinesFonts(path))
            return;
        HKEY opened = nullptr;
        if (RegOpenKeyExW(parent, subkey, 0, KEY_NOTIFY | KEY_READ, &opened) != ERROR_SUCCESS)
            return;
        keys_.emplace_back(opened);
        const bool holdsFonts =
            std::any_of(std::begin(FontPaths), std::end(FontPaths), [&](const wchar_t* font) {
                return std::wstring_view(font).starts_with(path + L"\\");
            });
        watches_.emplace_back(path, KeyWatch(opened, !holdsFonts));
        if (!holdsFonts)
            return;
        wchar_t name[256];
        for (DWORD i = 0;; ++i) {
            DWORD length = 256;
            if (RegEnumKeyExW(opened, i, name, &length, nullptr, nullptr, nullptr, nullptr) !=
                ERROR_SUCCESS)
                break;
            Watch(opened, name, path + L"\\" + name);
        }
    }

    std::vector<UniqueKey> keys_;
    std::vector<std::pair<std::wstring, KeyWatch>> watches_;
};

TEST(Footprint, ARunWritesNothingBesideTheProgramAndNoRegistryEntries) {
    const MailMessage second{"Second", "Bob", "Two", "Two", {}};
    KelvorRun run(MailboxFile({{"First", "Ann", "One", "One", {}}, second}), KELVOR_EXE, "program");
    const std::filesystem::path program = run.Folder().ExecutablePath().parent_path();
    const auto files = Files(program);
    ASSERT_EQ(files.size(), 2u) << "kelvor.exe and kelvor.prm";
    const Snapshot registry = Registry();
    const RegistryWatch user(HKEY_CURRENT_USER, L"", L"HKCU");
    const RegistryWatch machine(HKEY_LOCAL_MACHINE, L"Software", L"HKLM\\Software");

    run.Start(L"jsmith");
    const KelvorWindow window(run.MainWindow());
    ASSERT_TRUE(window.Ready());
    PressKey(VK_RETURN);
    ASSERT_TRUE(WaitForBytes(run.Folder().ApiIn("2.API"), RequestBytes(2, second, "jsmith")));
    // Keys made before Convert has ended do nothing.
    ASSERT_TRUE(window.Ready());
    PressAltKey('E');
    ASSERT_EQ(run.Process().WaitForExit(), 0u);

    EXPECT_EQ(Files(program), files);
    EXPECT_EQ(Differences(registry, Registry()), std::vector<std::wstring>{});
    EXPECT_EQ(user.Written(), std::vector<std::wstring>{});
    EXPECT_EQ(machine.Written(), std::vector<std::wstring>{});
}

} // namespace
} // namespace kelvor::testing_support

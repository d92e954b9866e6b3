// What a run of kelvor.exe leaves behind outside the gateway: nothing in its own folder and
// nothing in the registry.

#include "platform/unique_handle.h"
#include "support/e2e_export.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <string>

namespace kelvor::testing_support {
namespace {

using namespace win32;

using Snapshot = std::map<std::wstring, std::string>;
using UniqueKey = UniqueHandle<HKEY, RegCloseKey>;

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
bool WinesFonts(const std::wstring& name) {
    return name.starts_with(L"HKCU\\Software\\Wine\\Fonts") ||
           name.find(L"\\CurrentVersion\\Fonts") != std::wstring::npos;
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

TEST(Footprint, ARunWritesNothingBesideTheProgramAndNoRegistryEntries) {
    const MailMessage second{"Second", "Bob", "Two", "Two", {}};
    KelvorRun run(MailboxFile({{"First", "Ann", "One", "One", {}}, second}), KELVOR_EXE, "program");
    const std::filesystem::path program = run.Folder().ExecutablePath().parent_path();
    const auto files = Files(program);
    ASSERT_EQ(files.size(), 2u) << "kelvor.exe and kelvor.prm";
    const Snapshot registry = Registry();

    run.Start(L"jsmith");
    const KelvorWindow window(run.MainWindow());
    ASSERT_TRUE(window.Ready());
    PressKey(VK_RETURN);
    ASSERT_TRUE(WaitForBytes(run.Folder().ApiIn("2.API"), RequestBytes(2, second, "jsmith")));
    PressAltKey('E');
    ASSERT_EQ(run.Process().WaitForExit(), 0u);

    EXPECT_EQ(Files(program), files);
    EXPECT_EQ(Differences(registry, Registry()), std::vector<std::wstring>{});
}

} // namespace
} // namespace kelvor::testing_support

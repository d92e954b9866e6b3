#pragma once

// Serving a mailbox through the stand-in MAPI controls in a test: the JSON file, the two
// environment variables that name it and the call log, and a COM apartment for the test thread.

#include "support/temp_dir.h"

#include <windows.h>

#include <objbase.h>

#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace kelvor::testing_support {

// The call log's lines of a host creating the two controls on their sites, and of its letting
// them go.
inline const std::vector<std::string> HostedLines{"GetMiscStatus", "SetClientSite", "InitNew",
                                                  "GetMiscStatus", "SetClientSite", "InitNew"};
inline const std::vector<std::string> ReleasedLines{"Close", "SetClientSite null", "Close",
                                                    "SetClientSite null"};

inline std::vector<std::string> Joined(std::initializer_list<std::vector<std::string>> parts) {
    std::vector<std::string> all;
    for (const auto& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

// The test thread's single-threaded apartment.
class ComApartment {
public:
    ComApartment() {
        if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
            throw std::runtime_error("cannot enter a single-threaded apartment");
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    ~ComApartment() { CoUninitialize(); }
};

// Writes `json` (UTF-8) as the mailbox file in a fresh folder and points KELVOR_STANDIN_MAILBOX
// at it, and KELVOR_STANDIN_LOG at a log file beside it, for as long as it lives. The stand-in
// reads them when a session control is created.
class StandinMailbox {
public:
    explicit StandinMailbox(std::string_view json) {
        WriteFile("mailbox.json", json);
        SetEnvironmentVariableW(L"KELVOR_STANDIN_MAILBOX", MailboxPath().c_str());
        SetEnvironmentVariableW(L"KELVOR_STANDIN_LOG", LogPath().c_str());
    }
    StandinMailbox(const StandinMailbox&) = delete;
    StandinMailbox& operator=(const StandinMailbox&) = delete;
    ~StandinMailbox() {
        SetEnvironmentVariableW(L"KELVOR_STANDIN_MAILBOX", nullptr);
        SetEnvironmentVariableW(L"KELVOR_STANDIN_LOG", nullptr);
    }

    const std::filesystem::path& Folder() const { return folder_.Path(); }
    std::wstring MailboxPath() const { return (Folder() / "mailbox.json").wstring(); }
    std::wstring LogPath() const { return (Folder() / "calls.log").wstring(); }

    // Writes a file relative to the mailbox file's folder.
    void WriteFile(const std::string& name, std::string_view bytes) const {
        std::filesystem::create_directories((Folder() / name).parent_path());
        test::WriteBytes((Folder() / name).string(), bytes);
    }

    // The call log so far, line by line (UTF-8).
    std::vector<std::string> LogLines() const {
        std::vector<std::string> lines;
        if (!std::filesystem::exists(LogPath()))
            return lines;
        std::istringstream text(test::ReadBytes((Folder() / "calls.log").string()));
        for (std::string line; std::getline(text, line);)
            lines.push_back(line);
        return lines;
    }

private:
    test::TempDir folder_;
};

// Makes both stand-in classes licensed, each requiring its own run-time key (an empty one leaves
// its class unlicensed), for as long as it lives; `machineLicensed` installs their design-time
// licence too, and `runTimeKeys` false makes them hand out no run-time key even then.
class StandinLicensing {
public:
    StandinLicensing(const std::wstring& sessionKey, const std::wstring& messagesKey,
                     bool machineLicensed = false, bool runTimeKeys = true) {
        SetEnvironmentVariableW(Variables[0], sessionKey.c_str());
        SetEnvironmentVariableW(Variables[1], messagesKey.c_str());
        SetEnvironmentVariableW(Variables[2], machineLicensed ? L"1" : nullptr);
        SetEnvironmentVariableW(Variables[3], runTimeKeys ? nullptr : L"0");
    }
    StandinLicensing(const StandinLicensing&) = delete;
    StandinLicensing& operator=(const StandinLicensing&) = delete;
    ~StandinLicensing() {
        for (const wchar_t* variable : Variables)
            SetEnvironmentVariableW(variable, nullptr);
    }

private:
    static constexpr const wchar_t* Variables[] = {
        L"KELVOR_STANDIN_SESSION_LICENSE_KEY", L"KELVOR_STANDIN_MESSAGES_LICENSE_KEY",
        L"KELVOR_STANDIN_LICENSED", L"KELVOR_STANDIN_RUNTIME_KEYS"};
};

// The bytes of a file named by a wide path.
inline std::string ReadWideFile(const std::wstring& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + std::filesystem::path(path).string());
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace kelvor::testing_support

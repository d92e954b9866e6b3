#pragma once

// A program folder for tests of the form on real files: the executable's place with a
// kelvor.prm beside it, a gateway tree, and attachment files for the scripted mailbox.

#include "support/temp_dir.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace kelvor::testing_support {

// Bytes of Latin-1 text (paths, names) as the UTF-16 text a mailbox hands out.
inline std::u16string Widen(std::string_view bytes) {
    std::u16string wide;
    for (const char c : bytes)
        wide += static_cast<char16_t>(static_cast<unsigned char>(c));
    return wide;
}

// A path's own characters for Latin-1 bytes: the bytes themselves where paths are bytes, each
// widened where paths are UTF-16.
inline std::filesystem::path::string_type NativeText(std::string_view latin1) {
    std::filesystem::path::string_type text;
    for (const char c : latin1)
        text += static_cast<std::filesystem::path::value_type>(static_cast<unsigned char>(c));
    return text;
}

// A text saved as UTF-16 LE with its byte-order mark, as Windows' own tools save kelvor.prm.
inline std::string Utf16LeFile(std::u16string_view text) {
    std::string bytes = "\xFF\xFE";
    for (const char16_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

// Names of the files in a directory, sorted, joined by spaces.
inline std::string ListingOf(const std::filesystem::path& directory) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(directory))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    std::string listing;
    for (const auto& name : names)
        listing += (listing.empty() ? "" : " ") + name;
    return listing;
}

class ProgramFolder {
public:
    // The program lies in the temporary folder itself, or in a folder of the given name there.
    explicit ProgramFolder(const std::filesystem::path& programFolder = {})
        : program_(programFolder.empty() ? dir_.Path() : dir_.Path() / programFolder) {
        std::filesystem::create_directories(program_);
    }

    std::string Root() const { return dir_.Path().string(); }
    // The executable's path; nothing lies there, only its folder matters.
    std::filesystem::path ExecutablePath() const { return program_ / "kelvor.exe"; }
    std::string Gateway() const { return (dir_ / "gw").string(); }
    std::string ApiIn(std::string_view name) const { return Under("API_IN", name); }
    std::string AttIn(std::string_view name) const { return Under("ATT_IN", name); }

    void WriteConfiguration(std::string_view bytes) const {
        test::WriteBytes(program_ / "kelvor.prm", bytes);
    }
    // kelvor.prm naming the gateway (without a final separator) and the two qualifiers.
    void WriteConfiguration(std::string_view qualifier1, std::string_view qualifier2) const {
        WriteConfiguration(Gateway() + "\r\n" + std::string(qualifier1) + "\r\n" +
                           std::string(qualifier2) + "\r\n");
    }
    void MakeGatewayTree(bool apiIn = true, bool attIn = true) const {
        std::filesystem::create_directories(Gateway());
        if (apiIn)
            std::filesystem::create_directory(std::filesystem::path(Gateway()) / "API_IN");
        if (attIn)
            std::filesystem::create_directory(std::filesystem::path(Gateway()) / "ATT_IN");
    }
    // Writes an attachment file and returns its path.
    std::string Attachment(std::string_view name, std::string_view bytes) const {
        std::filesystem::create_directories(dir_.Path() / "src");
        const std::string path = (dir_.Path() / "src" / name).string();
        test::WriteBytes(path, bytes);
        return path;
    }
    std::string MissingAttachment(std::string_view name) const {
        return (dir_.Path() / "src" / name).string();
    }
    // Names of the files in a gateway directory, sorted.
    std::string Listing(std::string_view directory) const {
        return ListingOf(std::filesystem::path(Gateway()) / directory);
    }

private:
    std::string Under(std::string_view directory, std::string_view name) const {
        return (std::filesystem::path(Gateway()) / directory / name).string();
    }

    test::TempDir dir_;
    std::filesystem::path program_;
};

} // namespace kelvor::testing_support

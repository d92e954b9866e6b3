#pragma once

// A file's path as the system names it: UTF-16 on Windows, so that a path the system hands over
// keeps every character, the ANSI code page's or not; bytes elsewhere. The names follow
// std::filesystem::path, which would do as well but whose implementation brings the standard
// library's whole locale machinery into a statically linked Windows program.

#include <filesystem>
#include <string>
#include <utility>

namespace kelvor {

class Path {
public:
#ifdef _WIN32
    using string_type = std::wstring;
#else
    using string_type = std::string;
#endif
    using value_type = string_type::value_type;

    Path() = default;
    explicit Path(string_type native) : native_(std::move(native)) {}
    // For tests and tools, which hold the standard library's paths. Inline, so that a program
    // that never calls it does not link the standard library's path.
    Path(const std::filesystem::path& path) : native_(path.native()) {}
    operator std::filesystem::path() const {
        return std::filesystem::path(native_);
    }

    const string_type& native() const noexcept {
        return native_;
    }
    const value_type* c_str() const noexcept {
        return native_.c_str();
    }
    bool empty() const noexcept {
        return native_.empty();
    }

    // Joins as text: no separator is put in between.
    Path& operator+=(const Path& tail) {
        native_ += tail.native_;
        return *this;
    }

private:
    string_type native_;
};

} // namespace kelvor

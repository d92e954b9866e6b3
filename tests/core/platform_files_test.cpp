#include "platform/files.h"
#include "platform/io_error.h"
#include "platform/name_refusal.h"
#include "platform/paths.h"
#include "support/program_folder.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <span>
#include <string>
#include <tuple>

#ifdef _WIN32
#include <windows.h>
#endif

namespace kelvor {
namespace {

using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

std::string ReadAll(InputFile& file) {
    std::string bytes;
    char buffer[7];
    while (const std::size_t got = file.Read(buffer, sizeof buffer)) {
        bytes.append(buffer, got);
    }
    return bytes;
}

TEST(ExecutablePath, NamesTheRunningTestProgram) {
    const std::filesystem::path path = ExecutablePath();
    EXPECT_TRUE(path.is_absolute()) << path;
    EXPECT_EQ(path.stem(), "core_tests");
    EXPECT_TRUE(std::filesystem::is_regular_file(path)) << path;
    EXPECT_EQ(DirectoryOf(path.string()).back(), PathSeparator);
}

TEST(InputFile, ReadsAWholeFile) {
    TempDir dir;
    WriteBytes(dir / "in.txt", std::string("line 1\r\nline\0 2\x1a\xff", 17));
    InputFile file;
    ASSERT_TRUE(file.Open(dir / "in.txt"));
    EXPECT_TRUE(file.IsOpen());
    EXPECT_EQ(ReadAll(file), std::string("line 1\r\nline\0 2\x1a\xff", 17));
    file.Close();
    EXPECT_FALSE(file.IsOpen());
}

TEST(InputFile, DoesNotOpenWhatIsNoReadableFile) {
    TempDir dir;
    std::filesystem::create_directory(dir.Path() / "folder");
    InputFile file;
    EXPECT_FALSE(file.Open(dir / "missing.txt"));
    EXPECT_FALSE(file.Open(dir / "no-such-dir/in.txt"));
    EXPECT_FALSE(file.Open(dir / "folder"));
    EXPECT_FALSE(file.IsOpen());
    // Never created by trying.
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "missing.txt"));
}

TEST(InputFile, MovesItsHandle) {
    TempDir dir;
    WriteBytes(dir / "in.txt", "abc");
    InputFile first;
    ASSERT_TRUE(first.Open(dir / "in.txt"));
    InputFile second = std::move(first);
    EXPECT_FALSE(first.IsOpen());
    EXPECT_EQ(ReadAll(second), "abc");
}

#ifdef _WIN32
struct HandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using UniqueHandle = std::unique_ptr<std::remove_pointer_t<HANDLE>, HandleCloser>;

UniqueHandle OpenOther(const std::filesystem::path& path, DWORD access, DWORD share) {
    const HANDLE handle = CreateFileW(path.c_str(), access, share, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(handle, INVALID_HANDLE_VALUE);
    return UniqueHandle(handle);
}

TEST(InputFile, RefusesAFileHeldOpenForWriting) {
    TempDir dir;
    WriteBytes(dir / "in.txt", "abc");
    const auto writer =
        OpenOther(dir / "in.txt", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE);
    InputFile file;
    EXPECT_FALSE(file.Open(dir / "in.txt"));
}

TEST(InputFile, SharesWithReadersButKeepsWritersOut) {
    TempDir dir;
    WriteBytes(dir / "in.txt", "abc");
    const auto reader = OpenOther(dir / "in.txt", GENERIC_READ, FILE_SHARE_READ);
    InputFile file;
    ASSERT_TRUE(file.Open(dir / "in.txt"));
    EXPECT_EQ(ReadAll(file), "abc");
    const HANDLE writer =
        CreateFileW((dir / "in.txt").c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_EQ(writer, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
}

#endif

TEST(OutputFile, CreatesANewFile) {
    TempDir dir;
    OutputFile file;
    ASSERT_TRUE(file.CreateNew(dir / "out.txt"));
    file.Write("new");
    file.Write("");
    file.Write(std::string("\r\n\0", 3));
    file.Keep();
    EXPECT_EQ(ReadBytes(dir / "out.txt"), std::string("new\r\n\0", 6));
}

TEST(OutputFile, CannotCreateInAMissingDirectory) {
    TempDir dir;
    OutputFile file;
    EXPECT_FALSE(file.CreateNew(dir / "missing/out.txt"));
    EXPECT_FALSE(file.IsOpen());
}

// A file takes its name once whole, never another file's, and keeps the files it names with it:
// a name that exists, or cannot be given, leaves them all for Discard; files neither kept nor
// published go with their owner, and a file when its owner creates the next.
TEST(OutputFile, TakesItsNameOnlyWhereNoFileHoldsIt) {
    const std::string tooLong = std::string(300, 'n') + ".API";
    // The name to give ("": none; "2.tmp": the next file created instead), and whether a file
    // holds it; part of the error; the names in the folder then, and once the owners are gone.
    const std::tuple<std::string, bool, std::string, std::string, std::string> rows[] = {
        {"1.API", false, "", "1.API 1.MSG", "1.API 1.MSG"},
        {"1.API", true, "1.API exists already", "1.API 1.MSG 1.tmp", "1.API"},
        {tooLong, false, "Cannot rename ", "1.MSG 1.tmp", ""},
        {"", false, "", "1.MSG 1.tmp", ""},
        {"2.tmp", false, "", "1.MSG 2.tmp", ""},
    };
    for (std::size_t row = 0; row < std::size(rows); ++row) {
        const auto& [name, held, error, then, after] = rows[row];
        SCOPED_TRACE(row);
        testing_support::ProgramFolder folder;
        folder.MakeGatewayTree();
        if (held)
            WriteBytes(folder.ApiIn(name), "held");
        {
            OutputFile files[2];
            for (OutputFile& file : files) {
                ASSERT_TRUE(file.CreateNew(
                    std::filesystem::path(folder.ApiIn(&file == files ? "1.tmp" : "1.MSG"))));
                file.Write("whole");
                file.Flush();
            }
            std::string raised;
            try {
                const std::filesystem::path path = folder.ApiIn(name);
                if (name.ends_with(".tmp")) {
                    ASSERT_TRUE(files[0].CreateNew(path));
                } else if (!name.empty()) {
                    files[0].Publish(path, std::span(files + 1, 1));
                }
            } catch (const Error& e) {
                raised = e.what();
            }
            EXPECT_EQ(raised.empty(), error.empty()) << raised;
            EXPECT_NE(raised.find(error), std::string::npos) << raised;
            EXPECT_EQ(folder.Listing("API_IN"), then);
            if (!error.empty()) {
                EXPECT_TRUE(files[1].Discard());
                EXPECT_TRUE(files[0].Discard());
            }
        }
        EXPECT_EQ(folder.Listing("API_IN"), after);
        if (after != "") {
            EXPECT_EQ(ReadBytes(folder.ApiIn("1.API")), held ? "held" : "whole");
        }
    }
}

// A name the system refuses: taken when it exists or is listed, tried again a few times when
// nothing holds it any more, a failure of the folder after that or for any other reason.
TEST(JudgeRefusal, TakesTriesAgainOrFails) {
    using enum Refusal;
    // exists, denied, listed, attempt: the answer.
    const std::tuple<bool, bool, bool, int, Refusal> rows[] = {
        {true, false, false, 1, Taken},
        {false, true, true, 1, Taken},
        {false, true, true, RefusalAttempts, Taken},
        {false, true, false, 1, TryAgain},
        {false, true, false, RefusalAttempts - 1, TryAgain},
        {false, true, false, RefusalAttempts, Failure},
        {false, false, false, 1, Failure},
        {false, false, true, 1, Failure},
    };
    for (const auto& [exists, denied, listed, attempt, refusal] : rows)
        EXPECT_EQ(JudgeRefusal(exists, denied, listed, attempt), refusal)
            << exists << denied << listed << attempt;
    std::chrono::milliseconds total{};
    for (int attempt = 1; attempt < RefusalAttempts; ++attempt)
        total += RefusalPause(attempt);
    EXPECT_GT(total, std::chrono::milliseconds(50)) << "a scanner lets go within a few hundredths";
    EXPECT_LT(total, std::chrono::milliseconds(500)) << "a folder that denies writing fails soon";
}

TEST(WriteNewFile, WritesExactlyTheText) {
    TempDir dir;
    WriteNewFile(dir / "text.txt", "one\r\ntwo").Keep();
    EXPECT_EQ(ReadBytes(dir / "text.txt"), "one\r\ntwo");
    WriteNewFile(dir / "empty.txt", "").Keep();
    EXPECT_EQ(std::filesystem::file_size(dir.Path() / "empty.txt"), 0u);
}

TEST(WriteNewFile, NamesTheFileItCannotCreate) {
    TempDir dir;
    const std::filesystem::path path = dir / "missing/1.MSG";
    try {
        WriteNewFile(path, "text").Keep();
        FAIL() << "no error";
    } catch (const Error& error) {
        EXPECT_EQ(std::string(error.what()), "Cannot create file " + path.string());
    }
}

TEST(CopyToNewFile, CopiesByteForByteInPiecesOfAtMost256KiB) {
    TempDir dir;
    std::string content(600000, '\0');
    for (std::size_t i = 0; i < content.size(); ++i) {
        content[i] = static_cast<char>(i * 7 % 251);
    }
    WriteBytes(dir / "source.bin", content);
    int pieces = 0;
    CopyToNewFile(dir / "source.bin", dir / "1.0", [&] { ++pieces; }).Keep();
    EXPECT_EQ(ReadBytes(dir / "1.0"), content);
    EXPECT_GE(pieces, 3);
    EXPECT_EQ(ReadBytes(dir / "source.bin"), content);
}

TEST(CopyToNewFile, CopiesAnEmptyFile) {
    TempDir dir;
    WriteBytes(dir / "empty", "");
    CopyToNewFile(dir / "empty", dir / "1.0").Keep();
    EXPECT_EQ(ReadBytes(dir / "1.0"), "");
}

void ExpectCopyFails(const std::filesystem::path& from, const std::filesystem::path& to) {
    try {
        CopyToNewFile(from, to).Keep();
        ADD_FAILURE() << "no error copying " << from << " to " << to;
    } catch (const CopyFailed& error) {
        EXPECT_FALSE(error.Reason().empty());
        EXPECT_EQ(std::string(error.what()), "Cannot copy attachment " + from.string() + " to " +
                                                 to.string() + ": " + error.Reason());
        // The reason is the system's text, without a line end of its own.
        EXPECT_NE(error.Reason().back(), '\n');
        EXPECT_NE(error.Reason().back(), '\r');
    }
}

TEST(CopyToNewFile, ReportsTheReasonWhenItCannotCopy) {
    TempDir dir;
    WriteBytes(dir / "source.bin", "data");
    std::filesystem::create_directory(dir.Path() / "folder");
    ExpectCopyFails(dir / "missing.bin", dir / "1.0");
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "1.0"));
    ExpectCopyFails(dir / "source.bin", dir / "missing/1.0");
    ExpectCopyFails(dir / "folder", dir / "1.1");
    EXPECT_THROW(CopyToNewFile(dir / "source.bin", dir / "source.bin").Keep(), NameTaken);
    EXPECT_EQ(ReadBytes(dir / "source.bin"), "data");
}

TEST(RemoveFile, RemovesAFileAndReportsWhatItCannot) {
    TempDir dir;
    WriteBytes(dir / "gone", "x");
    EXPECT_TRUE(RemoveFile(dir / "gone"));
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "gone"));
    EXPECT_FALSE(RemoveFile(dir / "gone"));
}

#ifndef _WIN32
// Reading /proc/self/mem from its start fails: nothing is mapped at address 0.
TEST(InputFile, ReportsAFailedRead) {
    InputFile file;
    ASSERT_TRUE(file.Open(std::filesystem::path("/proc/self/mem")));
    char buffer[16];
    try {
        file.Read(buffer, sizeof buffer);
        FAIL() << "no error";
    } catch (const EInOutError& error) {
        EXPECT_EQ(error.Code(), ApplicationErrorFlag | EIO);
    }
}
#endif

} // namespace
} // namespace kelvor

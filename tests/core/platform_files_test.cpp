#include "platform/files.h"
#include "platform/io_error.h"
#include "platform/paths.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <string>

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

TEST(OutputFile, LetsOthersReadWhileItWrites) {
    TempDir dir;
    OutputFile file;
    ASSERT_TRUE(file.CreateNew(dir / "out.txt"));
    file.Write("partial");
    const auto reader =
        OpenOther(dir / "out.txt", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE);
    char buffer[16];
    DWORD got = 0;
    ASSERT_TRUE(ReadFile(reader.get(), buffer, sizeof buffer, &got, nullptr));
    EXPECT_EQ(std::string(buffer, got), "partial");
    file.Close();
}

TEST(OutputFile, ClosesItsFileWhenItTakesAnother) {
    TempDir dir;
    OutputFile first;
    OutputFile second;
    ASSERT_TRUE(first.CreateNew(dir / "first.txt"));
    ASSERT_TRUE(second.CreateNew(dir / "second.txt"));
    first = std::move(second);
    EXPECT_FALSE(second.IsOpen());
    // Shared with nobody: only a file that nothing holds open any more.
    OpenOther(dir / "first.txt", GENERIC_WRITE, 0);
    first.Close();
}
#endif

TEST(OutputFile, CreatesANewFile) {
    TempDir dir;
    OutputFile file;
    ASSERT_TRUE(file.CreateNew(dir / "out.txt"));
    file.Write("new");
    file.Write("");
    file.Write(std::string("\r\n\0", 3));
    file.Close();
    EXPECT_EQ(ReadBytes(dir / "out.txt"), std::string("new\r\n\0", 6));
}

TEST(OutputFile, CannotCreateInAMissingDirectory) {
    TempDir dir;
    OutputFile file;
    EXPECT_FALSE(file.CreateNew(dir / "missing/out.txt"));
    EXPECT_FALSE(file.IsOpen());
}

TEST(WriteNewFile, WritesExactlyTheText) {
    TempDir dir;
    WriteNewFile(dir / "text.txt", "one\r\ntwo");
    EXPECT_EQ(ReadBytes(dir / "text.txt"), "one\r\ntwo");
    WriteNewFile(dir / "empty.txt", "");
    EXPECT_EQ(std::filesystem::file_size(dir.Path() / "empty.txt"), 0u);
}

TEST(WriteNewFile, NamesTheFileItCannotCreate) {
    TempDir dir;
    const std::filesystem::path path = dir / "missing/1.MSG";
    try {
        WriteNewFile(path, "text");
        FAIL() << "no error";
    } catch (const Error& error) {
        EXPECT_EQ(std::string(error.what()), "Cannot create file " + path.string());
    }
}

// Every way a file is written claims its name: where a file or a folder holds the name already,
// it is NameTaken, and what holds the name stays as it was.
using Writer =
    std::function<void(const std::filesystem::path& source, const std::filesystem::path& target)>;

class NewNames : public testing::TestWithParam<std::pair<const char*, Writer>> {};

TEST_P(NewNames, NeverReplaceAFileOrFolderOfTheName) {
    TempDir dir;
    WriteBytes(dir / "source", "new");
    WriteBytes(dir / "1.MSG", "earlier");
    std::filesystem::create_directories(dir / "2.MSG" / "inside");
    for (const char* taken : {"1.MSG", "2.MSG"}) {
        SCOPED_TRACE(taken);
        try {
            GetParam().second(dir / "source", dir / taken);
            ADD_FAILURE() << "no error";
        } catch (const NameTaken& error) {
            EXPECT_EQ(std::string(error.what()), (dir / taken).string() + " exists already");
        }
    }
    EXPECT_EQ(ReadBytes(dir / "1.MSG"), "earlier");
    EXPECT_TRUE(std::filesystem::is_directory(dir / "2.MSG" / "inside"));
    EXPECT_EQ(ReadBytes(dir / "source"), "new");
    GetParam().second(dir / "source", dir / "3.MSG");
    EXPECT_EQ(ReadBytes(dir / "3.MSG"), "new") << "a name that is free is taken";
}

INSTANTIATE_TEST_SUITE_P(
    Writers, NewNames,
    testing::Values(std::pair<const char*, Writer>{"OutputFile",
                                                   [](const auto&, const auto& target) {
                                                       OutputFile file;
                                                       ASSERT_TRUE(file.CreateNew(target));
                                                       file.Write("new");
                                                       file.Close();
                                                   }},
                    std::pair<const char*, Writer>{
                        "WriteNewFile",
                        [](const auto&, const auto& target) { WriteNewFile(target, "new"); }},
                    std::pair<const char*, Writer>{"CopyToNewFile",
                                                   [](const auto& source, const auto& target) {
                                                       CopyToNewFile(source, target);
                                                   }},
                    std::pair<const char*, Writer>{"RenameToNewName",
                                                   [](const auto& source, const auto& target) {
                                                       auto temporary = source;
                                                       temporary += ".tmp";
                                                       WriteBytes(temporary, "new");
                                                       RenameToNewName(temporary, target);
                                                   }}),
    [](const auto& info) { return std::string(info.param.first); });

TEST(CopyToNewFile, CopiesByteForByteInPiecesOfAtMost256KiB) {
    TempDir dir;
    std::string content(600000, '\0');
    for (std::size_t i = 0; i < content.size(); ++i) {
        content[i] = static_cast<char>(i * 7 % 251);
    }
    WriteBytes(dir / "source.bin", content);
    int pieces = 0;
    CopyToNewFile(dir / "source.bin", dir / "1.0", [&] { ++pieces; });
    EXPECT_EQ(ReadBytes(dir / "1.0"), content);
    EXPECT_GE(pieces, 3);
    EXPECT_EQ(ReadBytes(dir / "source.bin"), content);
}

TEST(CopyToNewFile, CopiesAnEmptyFile) {
    TempDir dir;
    WriteBytes(dir / "empty", "");
    CopyToNewFile(dir / "empty", dir / "1.0");
    EXPECT_EQ(ReadBytes(dir / "1.0"), "");
}

// Whatever ends a copy part-way, a failure of its own or what its caller throws between two
// pieces, leaves no part of it behind.
TEST(CopyToNewFile, RemovesAPartialCopy) {
    TempDir dir;
    WriteBytes(dir / "source.bin", std::string(600000, 'x'));
    struct Stopped {};
    EXPECT_THROW(CopyToNewFile(dir / "source.bin", dir / "1.0", [] { throw Stopped(); }), Stopped);
    EXPECT_FALSE(std::filesystem::exists(dir / "1.0"));
}

void ExpectCopyFails(const std::filesystem::path& from, const std::filesystem::path& to) {
    try {
        CopyToNewFile(from, to);
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
    EXPECT_THROW(CopyToNewFile(dir / "source.bin", dir / "source.bin"), NameTaken);
    EXPECT_EQ(ReadBytes(dir / "source.bin"), "data");
}

TEST(RemoveFile, RemovesAFileAndReportsWhatItCannot) {
    TempDir dir;
    WriteBytes(dir / "gone", "x");
    EXPECT_TRUE(RemoveFile(dir / "gone"));
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "gone"));
    EXPECT_FALSE(RemoveFile(dir / "gone"));
}

TEST(RenameToNewName, ReportsWhatItCannotRename) {
    TempDir dir;
    WriteBytes(dir / "3.tmp", "request");
    const std::filesystem::path tooLong = dir / (std::string(300, 'n') + ".API");
    try {
        RenameToNewName(dir / "3.tmp", tooLong);
        FAIL() << "no error";
    } catch (const NameTaken&) {
        FAIL() << "taken for a name that exists";
    } catch (const Error& error) {
        const std::string start =
            "Cannot rename " + (dir / "3.tmp").string() + " to " + tooLong.string() + ": ";
        EXPECT_EQ(std::string(error.what()).substr(0, start.size()), start);
        EXPECT_GT(std::string(error.what()).size(), start.size());
    }
    EXPECT_EQ(ReadBytes(dir / "3.tmp"), "request");
}

// Every entry once, folders told from files; a missing directory is none, and one that cannot be
// listed is an error that names it with the system's reason.
TEST(VisitDirectory, VisitsEveryEntryAndTellsFoldersFromFiles) {
    TempDir dir;
    std::map<std::string, bool> expected;
    for (int i = 0; i < 300; ++i) {
        const std::string name = std::to_string(i) + (i % 3 ? ".API" : ".MSG");
        if (i % 7 == 0)
            std::filesystem::create_directory(dir / name);
        else
            WriteBytes(dir / name, "");
        expected[name] = i % 7 == 0;
    }
    std::map<std::string, bool> seen;
    EXPECT_TRUE(VisitDirectory(std::filesystem::path(dir.Path().string() + PathSeparator),
                               [&](const Path& name, bool isDirectory) {
                                   EXPECT_TRUE(seen.emplace(AnsiText(name), isDirectory).second);
                               }));
    EXPECT_EQ(seen, expected);
    EXPECT_FALSE(VisitDirectory(dir / "missing", [](const Path&, bool) { ADD_FAILURE(); }));
    EXPECT_FALSE(VisitDirectory(dir / "missing/deeper", [](const Path&, bool) { ADD_FAILURE(); }));
}

TEST(VisitDirectory, AFileIsNoDirectoryToList) {
    TempDir dir;
    WriteBytes(dir / "API_IN", "a file");
    try {
        VisitDirectory(dir / "API_IN", [](const Path&, bool) { ADD_FAILURE(); });
        FAIL() << "no error";
    } catch (const ListingFailed& error) {
        const std::string start = "Cannot list " + (dir / "API_IN").string() + ": ";
        EXPECT_EQ(std::string(error.what()).substr(0, start.size()), start);
        EXPECT_GT(std::string(error.what()).size(), start.size()) << "no reason given";
    }
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

#include "config/configuration.h"
#include "config/configuration_lines.h"
#include "platform/files.h"
#include "platform/io_error.h"
#include "platform/paths.h"
#include "support/program_folder.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace kelvor {
namespace {

using test::TempDir;
using test::WriteBytes;
using testing_support::NativeText;
using testing_support::Utf16LeFile;

// Case texts write the path separator as "|", so that each case holds on every platform.
std::string Sep(std::string text) {
    std::replace(text.begin(), text.end(), '|', PathSeparator);
    return text;
}

// How a case writes the gateway directory it expects: Latin-1 bytes for a file read as ANSI
// text, UTF-8 for a file with a byte-order mark.
enum class PathText { Latin1, Utf8 };

struct FileCase {
    std::string name;
    std::string bytes;
    std::string gatewayDir;
    std::string qualifier1;
    std::string qualifier2;
    PathText pathText = PathText::Latin1;
};

std::filesystem::path::string_type ExpectedGatewayDir(const FileCase& file) {
    const std::string text = Sep(file.gatewayDir);
    if (file.pathText == PathText::Latin1)
        return NativeText(text);
    return std::filesystem::path(std::u8string(text.begin(), text.end())).native();
}

std::string CaseName(const testing::TestParamInfo<FileCase>& info) {
    return info.param.name;
}

class ConfigurationFileTest : public testing::TestWithParam<FileCase> {};

TEST_P(ConfigurationFileTest, ReadsTheThreeValues) {
    TempDir dir;
    WriteBytes(dir / "kelvor.prm", Sep(GetParam().bytes));
    const Configuration configuration = LoadConfiguration(dir / "kelvor.exe");
    EXPECT_EQ(configuration.ProgramDir.native(), NativeText(dir.Path().string() + PathSeparator));
    EXPECT_EQ(configuration.GatewayDir.native(), ExpectedGatewayDir(GetParam()));
    EXPECT_EQ(configuration.RecipientQualifier1, GetParam().qualifier1);
    EXPECT_EQ(configuration.RecipientQualifier2, GetParam().qualifier2);
}

// The same bytes through the line splitter, fed in two pieces split at every position and then
// byte by byte, so that a CR at the end of a piece is seen together with an LF at the start of
// the next, and a byte-order mark or a UTF-16 unit is cut in two.
TEST_P(ConfigurationFileTest, SplitsLinesWhereverThePiecesEnd) {
    const std::string bytes = Sep(GetParam().bytes);
    const auto expectLines = [&](ConfigurationLines& lines, const std::string& how) {
        lines.End();
        EXPECT_EQ(WithTrailingSeparator(lines.PathValue(0)).native(),
                  ExpectedGatewayDir(GetParam()))
            << how;
        EXPECT_EQ(lines.Value(1), GetParam().qualifier1) << how;
        EXPECT_EQ(lines.Value(2), GetParam().qualifier2) << how;
    };
    for (std::size_t split = 0; split <= bytes.size(); ++split) {
        ConfigurationLines lines;
        lines.Feed(std::string_view(bytes).substr(0, split));
        lines.Feed(std::string_view(bytes).substr(split));
        expectLines(lines, "split at " + std::to_string(split));
    }
    ConfigurationLines lines;
    for (const char byte : bytes) {
        lines.Feed(std::string_view(&byte, 1));
    }
    expectLines(lines, "byte by byte");
}

INSTANTIATE_TEST_SUITE_P(
    Bytes, ConfigurationFileTest,
    testing::Values(
        FileCase{"CrLf", "C:|gw\r\nPO1\r\nDOMAIN\r\n", "C:|gw|", "PO1", "DOMAIN"},
        FileCase{"LoneCr", "gw\rPO1\rDOMAIN\r", "gw|", "PO1", "DOMAIN"},
        FileCase{"LastLineWithoutEnd", "gw\r\nPO1\r\nDOMAIN", "gw|", "PO1", "DOMAIN"},
        // CR CR LF ends a line and then an empty one: the values move down by one.
        FileCase{"CrCrLf", "gw\r\r\nPO1\r\nDOMAIN\r\n", "gw|", "", "PO1"},
        // LF alone ends nothing: the whole file is line 1.
        FileCase{"LoneLf", "gw\nPO1\nDOMAIN\n", "gw\nPO1\nDOMAIN\n|", "", ""},
        FileCase{"LoneLfEndingInSeparator", "a\nb|", "a\nb|", "", ""},
        FileCase{"LfCr", "gw\n\rPO1", "gw\n|", "PO1", ""},
        FileCase{"CrLfLf", "gw\r\n\nPO1\r\nX", "gw|", "\nPO1", "X"},
        FileCase{"EndMarkInLine2",
                 "gw\r\nPO\x1a"
                 "1\r\nDOMAIN\r\n",
                 "gw|", "PO", ""},
        FileCase{"EndMarkInLine1", "g\x1aw\r\nPO1\r\nDOMAIN\r\n", "g|", "", ""},
        FileCase{"EndMarkBetweenCrAndLf", "gw\r\x1a\nPO1", "gw|", "", ""},
        FileCase{"EndMarkAtStartOfLine3",
                 "gw\r\nPO1\r\n\x1a"
                 "DOMAIN",
                 "gw|", "PO1", ""},
        FileCase{"OneTrailingSeparator", "C:|gw|\r\nA\r\nB", "C:|gw|", "A", "B"},
        FileCase{"TwoTrailingSeparators", "C:|gw||\r\nA\r\nB", "C:|gw||", "A", "B"},
        // The blank is the last byte, so one more separator follows it.
        FileCase{"BlankAfterSeparator", "C:|gw| \r\nA\r\nB", "C:|gw| |", "A", "B"},
        FileCase{"BlanksAndTabsKept", " gw\t\r\n PO 1 \r\n\tDOM.AIN\t", " gw\t|", " PO 1 ",
                 "\tDOM.AIN\t"},
        FileCase{"LaterLinesIgnored", "gw\r\nA\r\nB\r\nC\r\n\x1a", "gw|", "A", "B"},
        FileCase{"OnlyLine1", "gw", "gw|", "", ""},
        FileCase{"OnlyLine1WithEnd", "gw\r\n", "gw|", "", ""},
        FileCase{"EmptyQualifiers", "gw\r\n\r\n\r\n", "gw|", "", ""},
        FileCase{"EightBitAndNul", std::string("g\xe9\0w\r\nq\xff\r\n\x7f", 11),
                 std::string("g\xe9\0w|", 5), "q\xff", "\x7f"},
        // A byte-order mark makes the file UTF-8 or UTF-16 LE and is no part of line 1;
        // the path keeps every character, the qualifiers are converted to code page
        // 1252 (best fit, "?" for what it lacks).
        FileCase{"Utf8Mark",
                 "\xef\xbb\xbf"
                 "C:|gw\xc3\xa9\xe7\xa7\xbb\r\nP\xc3\xb6\xc5\x90\r\n\xe2\x82\xac\xe7\xa7\xbb",
                 "C:|gw\xc3\xa9\xe7\xa7\xbb|", "P\xf6O", "\x80?", PathText::Utf8},
        FileCase{"Utf8MarkLineRules",
                 "\xef\xbb\xbfgw\nx\r\r\nPO\x1a"
                 "1\r\nB",
                 "gw\nx|", "", "PO", PathText::Utf8},
        // An ill-formed sequence becomes one U+FFFD up to the byte where it goes wrong.
        FileCase{"Utf8MarkIllFormed", "\xef\xbb\xbfg\xff\xe7\xa7w\r\n\xc3",
                 "g\xef\xbf\xbd\xef\xbf\xbdw|", "?", "", PathText::Utf8},
        FileCase{"Utf16Mark", Utf16LeFile(u"C:|gw\u00e9\u79fb\r\nP\u00f6\u0150\r\n\u20ac\u79fb"),
                 "C:|gw\xc3\xa9\xe7\xa7\xbb|", "P\xf6O", "\x80?", PathText::Utf8},
        FileCase{"Utf16MarkLineRules",
                 Utf16LeFile(u"gw\nx\r\r\nPO\x1a"
                             u"1\r\nB"),
                 "gw\nx|", "", "PO", PathText::Utf8},
        // Units that hold CR, LF or 1A in one of their bytes are ordinary characters.
        FileCase{"Utf16MarkControlBytesInUnits", Utf16LeFile(u"g\u0d0a\u0a0d\u1a00\r\nQ"),
                 "g\xe0\xb4\x8a\xe0\xa8\x8d\xe1\xa8\x80|", "Q", "", PathText::Utf8},
        // The odd last byte of a UTF-16 file is a character it could not hold.
        FileCase{"Utf16MarkOddLastByte", Utf16LeFile(u"gw\r\nA") + "B", "gw|", "A?", "",
                 PathText::Utf8},
        // A start too short for a mark, or that differs from one, is ANSI text.
        FileCase{"PartOfUtf8Mark", "\xef\xbb", "\xef\xbb|", "", ""},
        FileCase{"PartOfUtf16Mark", "\xff\r\nA", "\xff|", "A", ""},
        FileCase{"BigEndianUtf16Mark", std::string("\xfe\xff\0g", 4),
                 std::string("\xfe\xff\0g|", 5), "", ""}),
    CaseName);

TEST(LoadConfiguration, ReadsALineOfSeveralMegabytes) {
    TempDir dir;
    std::string longLine(5 * 1024 * 1024 + 3, 'x');
    for (std::size_t i = 0; i < longLine.size(); i += 4099) {
        longLine[i] = static_cast<char>('a' + i % 26);
    }
    WriteBytes(dir / "kelvor.prm", "gw\r\n" + longLine + "\r\nlast");
    const Configuration configuration = LoadConfiguration(dir / "kelvor.exe");
    EXPECT_EQ(configuration.RecipientQualifier1, longLine);
    EXPECT_EQ(configuration.RecipientQualifier2, "last");
}

void ExpectNoGatewayDirectory(const std::string& bytes) {
    TempDir dir;
    WriteBytes(dir / "kelvor.prm", bytes);
    try {
        LoadConfiguration(dir / "kelvor.exe");
        ADD_FAILURE() << "no error for " << testing::PrintToString(bytes);
    } catch (const NoGatewayDirectory& error) {
        EXPECT_STREQ(error.what(), "No gateway directory in configuration file.");
    }
}

TEST(LoadConfiguration, RefusesAnEmptyFirstLine) {
    ExpectNoGatewayDirectory("");
    ExpectNoGatewayDirectory("\r\nPO1\r\nDOMAIN\r\n");
    ExpectNoGatewayDirectory("\rPO1");
    ExpectNoGatewayDirectory("\x1agw\r\nPO1");
    ExpectNoGatewayDirectory("\xef\xbb\xbf");
    ExpectNoGatewayDirectory(std::string("\xff\xfe\r\0", 4));
}

void ExpectNoConfigurationFile(const std::filesystem::path& executablePath) {
    try {
        LoadConfiguration(executablePath);
        ADD_FAILURE() << "no error for " << executablePath;
    } catch (const NoConfigurationFile& error) {
        EXPECT_STREQ(error.what(), "No configuration file found.");
    }
}

TEST(LoadConfiguration, NeedsTheFileBesideTheExecutable) {
    TempDir dir;
    ExpectNoConfigurationFile(dir / "kelvor.exe");
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "kelvor.prm"));
    ExpectNoConfigurationFile(dir.Path() / "missing" / "kelvor.exe");
    WriteBytes(dir / "kelvor.prm", "gw");
    ExpectNoConfigurationFile(dir.Path() / "sub" / "kelvor.exe");
}

TEST(LoadConfiguration, TakesNoDirectoryForTheFile) {
    TempDir dir;
    std::filesystem::create_directory(dir.Path() / "kelvor.prm");
    ExpectNoConfigurationFile(dir / "kelvor.exe");
}

TEST(LoadConfiguration, FindsTheFileOfTheRunningProgram) {
    const std::filesystem::path executable = ExecutablePath();
    // The program's folder, with the separator after it.
    const std::filesystem::path folder = executable.parent_path() / "";
    const std::filesystem::path path = folder / "kelvor.prm";
    struct Remover {
        std::filesystem::path path;
        ~Remover() { std::filesystem::remove(path); }
    } remover{path};
    WriteBytes(path, "gw\r\nPO1\r\nDOMAIN");
    const Configuration configuration = LoadConfiguration(executable);
    EXPECT_EQ(configuration.ProgramDir.native(), folder.native());
    EXPECT_EQ(configuration.RecipientQualifier2, "DOMAIN");
}

#ifdef _WIN32
TEST(LoadConfiguration, RefusesAFileHeldOpenForWriting) {
    TempDir dir;
    WriteBytes(dir / "kelvor.prm", "gw\r\nPO1\r\nDOMAIN");
    const HANDLE writer =
        CreateFileW((dir / "kelvor.prm").c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    ExpectNoConfigurationFile(dir / "kelvor.exe");
    CloseHandle(writer);
    EXPECT_EQ(LoadConfiguration(dir / "kelvor.exe").RecipientQualifier2, "DOMAIN");
}

TEST(LoadConfiguration, ReadsAFileAnotherProgramReads) {
    TempDir dir;
    WriteBytes(dir / "kelvor.prm", "gw\r\nPO1\r\nDOMAIN");
    const HANDLE reader = CreateFileW((dir / "kelvor.prm").c_str(), GENERIC_READ, FILE_SHARE_READ,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    EXPECT_EQ(LoadConfiguration(dir / "kelvor.exe").GatewayDir.native(), L"gw\\");
    CloseHandle(reader);
}

TEST(LoadConfiguration, GivesProgramDirItsBackslashRules) {
    TempDir dir;
    WriteBytes(dir / "kelvor.prm", "gw");
    // A doubled backslash before the program's name still leaves one.
    const std::filesystem::path doubled = dir.Path().string() + "\\\\kelvor.exe";
    EXPECT_EQ(LoadConfiguration(doubled).ProgramDir.native(),
              NativeText(dir.Path().string() + "\\"));
}
#else
// Tests run as root natively, and root reads everything: the read is tried by a child process
// that gave up its privileges first.
TEST(LoadConfiguration, TakesAnUnreadableFileForAMissingOne) {
    TempDir dir;
    WriteBytes(dir / "kelvor.prm", "gw\r\nPO1\r\nDOMAIN");
    ASSERT_EQ(::chmod((dir / "kelvor.prm").c_str(), 0), 0);
    ASSERT_EQ(::chmod(dir.Path().c_str(), 0755), 0);
    const pid_t child = ::fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) {
            ::_exit(3);
        }
        try {
            LoadConfiguration(dir / "kelvor.exe");
            ::_exit(1);
        } catch (const NoConfigurationFile&) {
            ::_exit(0);
        } catch (...) {
            ::_exit(2);
        }
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

// A read after a successful open that fails: /proc/self/mem opens, but nothing is mapped at its
// start.
TEST(LoadConfiguration, ReportsAReadErrorWithItsCode) {
    TempDir dir;
    std::filesystem::create_symlink("/proc/self/mem", dir.Path() / "kelvor.prm");
    try {
        LoadConfiguration(dir / "kelvor.exe");
        FAIL() << "no error";
    } catch (const EInOutError& error) {
        EXPECT_EQ(error.Code(), ApplicationErrorFlag | EIO);
        EXPECT_EQ(std::string(error.what()), "I/O error " + std::to_string(error.Code()));
    }
}
#endif

} // namespace
} // namespace kelvor

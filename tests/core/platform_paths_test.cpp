#include "platform/paths.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <utility>

namespace kelvor {
namespace {

struct DirectoryCase {
    std::string filePath;
    std::string directory;
};

class WindowsDirectoryTest : public testing::TestWithParam<DirectoryCase> {};

TEST_P(WindowsDirectoryTest, EndsInOneBackslash) {
    EXPECT_EQ(DirectoryOf(GetParam().filePath, '\\'), GetParam().directory);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, WindowsDirectoryTest,
    testing::Values(
        DirectoryCase{"C:\\Program Files\\Kelvor\\kelvor.exe", "C:\\Program Files\\Kelvor\\"},
        DirectoryCase{"C:\\kelvor.exe", "C:\\"}, DirectoryCase{"c:\\KELVOR.EXE", "c:\\"},
        DirectoryCase{"\\\\server\\share\\kelvor.exe", "\\\\server\\share\\"},
        DirectoryCase{"\\\\server\\share\\tools\\kelvor.exe", "\\\\server\\share\\tools\\"},
        DirectoryCase{"\\\\?\\C:\\tools\\kelvor.exe", "\\\\?\\C:\\tools\\"},
        // A drive without a backslash ends the directory part at its colon.
        DirectoryCase{"D:kelvor.exe", "D:\\"}, DirectoryCase{"\\kelvor.exe", "\\"},
        // Slashes are ordinary bytes of a Windows name here.
        DirectoryCase{"C:\\a/b\\kelvor.exe", "C:\\a/b\\"},
        DirectoryCase{"C:\\dir\\\\kelvor.exe", "C:\\dir\\"},
        DirectoryCase{"C:\\dir.d\\sub dir \\kelvor.exe", "C:\\dir.d\\sub dir \\"},
        DirectoryCase{"kelvor.exe", "\\"}));

class PosixDirectoryTest : public testing::TestWithParam<DirectoryCase> {};

TEST_P(PosixDirectoryTest, EndsInOneSlash) {
    EXPECT_EQ(DirectoryOf(GetParam().filePath, '/'), GetParam().directory);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, PosixDirectoryTest,
    testing::Values(DirectoryCase{"/opt/kelvor/bin/kelvor", "/opt/kelvor/bin/"},
                    DirectoryCase{"/kelvor", "/"}, DirectoryCase{"/a:b/kelvor", "/a:b/"},
                    DirectoryCase{"/a\\b/kelvor", "/a\\b/"}, DirectoryCase{"C:kelvor", "/"}));

TEST(DirectoryOf, UsesThePlatformSeparatorByDefault) {
    const std::string file = std::string("top") + PathSeparator + "kelvor.exe";
    EXPECT_EQ(DirectoryOf(file), std::string("top") + PathSeparator);
}

// Path text with "|" for the platform's separator and "~" for the other one.
Path::string_type Native(std::string_view text) {
    const char other = PathSeparator == '\\' ? '/' : '\\';
    Path::string_type native;
    for (const char c : text)
        native += static_cast<Path::value_type>(c == '|' ? PathSeparator : c == '~' ? other : c);
    return native;
}

TEST(WithTrailingSeparator, AppendsOnlyWhenTheLastCharacterIsNotOne) {
    const std::pair<std::string_view, std::string_view> cases[] = {
        {"C:|gw", "C:|gw|"},     {"C:|gw|", "C:|gw|"},  {"C:|gw||", "C:|gw||"},
        {"C:|gw| ", "C:|gw| |"}, {"C:|gw~", "C:|gw~|"}, {"", "|"}};
    for (const auto& [path, expected] : cases)
        EXPECT_EQ(WithTrailingSeparator(Path(Native(path))).native(), Native(expected)) << path;
}

} // namespace
} // namespace kelvor

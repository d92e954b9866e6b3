#include "app/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kelvor {
namespace {

struct SplitCase {
    std::string line;
    std::vector<std::string> arguments;
};

class SplitCommandLineTest : public testing::TestWithParam<SplitCase> {};

TEST_P(SplitCommandLineTest, SplitsIntoArguments) {
    EXPECT_EQ(SplitCommandLine(GetParam().line), GetParam().arguments);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, SplitCommandLineTest,
    testing::Values(SplitCase{"", {}}, SplitCase{"kelvor.exe", {"kelvor.exe"}},
                    SplitCase{"kelvor.exe jsmith", {"kelvor.exe", "jsmith"}},
                    SplitCase{"kelvor.exe  \t jsmith  other", {"kelvor.exe", "jsmith", "other"}},
                    SplitCase{"\"C:\\Program Files\\kelvor.exe\" \"John Smith\"",
                              {"C:\\Program Files\\kelvor.exe", "John Smith"}},
                    // The argument goes on after the closing quote up to the next separator.
                    SplitCase{"k a\"b c\"d e", {"k", "ab cd", "e"}},
                    // An empty pair of quotes is no argument.
                    SplitCase{"k \"\" jsmith", {"k", "jsmith"}},
                    // Argument 0 is the program's, whatever it holds.
                    SplitCase{"\"\" jsmith", {"", "jsmith"}},
                    // An unclosed quote runs to the end of the line.
                    SplitCase{"k \"John Smith", {"k", "John Smith"}},
                    // No escape character: a backslash is an ordinary byte.
                    SplitCase{"k a\\\"b c\"", {"k", "a\\b c"}},
                    // Control characters separate like blanks.
                    SplitCase{std::string("k\x01one\x1ftwo\x7fx"), {"k", "one", "two\x7fx"}}));

TEST(SplitCommandLine, KeepsAtMost4096CharactersOfAnArgument) {
    const std::string longName(5000, 'n');
    const auto arguments = SplitCommandLine("k " + longName + " next");
    ASSERT_EQ(arguments.size(), 3u);
    EXPECT_EQ(arguments[1], std::string(MaxArgumentLength, 'n'));
    EXPECT_EQ(arguments[2], "next");
}

} // namespace
} // namespace kelvor

#include "gateway/body_file.h"
#include "platform/error.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace kelvor {
namespace {

using test::ReadBytes;
using test::TempDir;

struct BodyCase {
    std::string text;
    std::string body;
};

class BodyFileTest : public testing::TestWithParam<BodyCase> {};

TEST_P(BodyFileTest, HoldsTheTextWithCrLfLineEnds) {
    EXPECT_EQ(NormalizeLineEnds(GetParam().text), GetParam().body);
    TempDir dir;
    SaveBodyFile(dir / "1.MSG", GetParam().text).Keep();
    EXPECT_EQ(ReadBytes(dir / "1.MSG"), GetParam().body);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, BodyFileTest,
    testing::Values(
        BodyCase{"", ""}, BodyCase{"no line end", "no line end"},
        BodyCase{"a\nb\nc", "a\r\nb\r\nc"}, BodyCase{"a\rb\r", "a\r\nb\r\n"},
        BodyCase{"a\r\nb\r\n", "a\r\nb\r\n"},
        // Mixed: each CR LF pair, lone CR and lone LF is one line end.
        BodyCase{"1\r\n2\n3\r4\n\r5\r\r\n6\n\n7", "1\r\n2\r\n3\r\n4\r\n\r\n5\r\n\r\n6\r\n\r\n7"},
        BodyCase{"\n", "\r\n"}, BodyCase{"\r", "\r\n"}, BodyCase{"\n\r\n\r", "\r\n\r\n\r\n"},
        // The text ends before its first NUL.
        BodyCase{std::string("before\nNUL\0after\n", 17), "before\r\nNUL"},
        BodyCase{std::string("\0text", 5), ""}, BodyCase{std::string("a\r\0\nb", 5), "a\r\n"},
        BodyCase{"tab\there \x1a\xff\x80", "tab\there \x1a\xff\x80"}));

TEST(BodyFile, KeepsLongLinesWhole) {
    std::string text(3 * 1024 * 1024, 'w');
    text += "\nend";
    EXPECT_EQ(NormalizeLineEnds(text), std::string(3 * 1024 * 1024, 'w') + "\r\nend");
}

TEST(BodyFile, NamesTheFileItCannotCreate) {
    TempDir dir;
    const std::filesystem::path path = dir / "ATT_IN/1.MSG";
    try {
        SaveBodyFile(path, "text").Keep();
        FAIL() << "no error";
    } catch (const Error& error) {
        EXPECT_EQ(std::string(error.what()), "Cannot create file " + path.string());
    }
}

} // namespace
} // namespace kelvor

#include "platform/cp1252.h"
#include "platform/text_conversion.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#ifdef _WIN32
#include <windows.h>
#endif

namespace kelvor {
namespace {

struct ConversionCase {
    std::u16string wide;
    std::string ansi;
};

class ToAnsiTest : public testing::TestWithParam<ConversionCase> {};

TEST_P(ToAnsiTest, GivesTheCodePageBytes) {
    EXPECT_EQ(ToAnsi(GetParam().wide), GetParam().ansi);
}

INSTANTIATE_TEST_SUITE_P(
    Characters, ToAnsiTest,
    testing::Values(ConversionCase{u"", ""}, ConversionCase{u"Plain text; 1.2", "Plain text; 1.2"},
                    ConversionCase{u"Gr\u00fc\u00dfe \u00e9t\u00e9", "Gr\xfc\xdf"
                                                                     "e \xe9t\xe9"},
                    // Best fit: the letter without its accent.
                    ConversionCase{u"\u0151\u0150\u0107\u0141", "oOcL"},
                    // Characters the code page holds above 0x7F.
                    ConversionCase{u"\u20ac\u2026\u2018\u201d\u2122\u0160\u0178",
                                   "\x80\x85\x91\x94\x99\x8a\x9f"},
                    // No equivalent at all: the default character.
                    ConversionCase{u"\u4e2d\u6587\u0416", "???"},
                    // Lone surrogates.
                    ConversionCase{{u'a', 0xD800, u'b'}, "a?b"},
                    ConversionCase{{u'a', 0xDC00, u'b'}, "a?b"},
                    ConversionCase{{0xDC00, 0xD800}, "??"},
                    // A pair outside the basic plane gives one default character per unit.
                    ConversionCase{u"\U0001F600", "??"},
                    ConversionCase{std::u16string(u"a\0b", 3), std::string("a\0b", 3)},
                    ConversionCase{u"\r\n\x1a\x7f\u00a0\u00ff", "\r\n\x1a\x7f\xa0\xff"}));

// A text longer than one piece of the system's conversion, with a surrogate pair across the
// boundary of a piece: the pair must come out as it does inside a piece.
TEST(ToAnsi, ConvertsTextsOfManyMegabytes) {
    constexpr std::size_t Piece = 1u << 24;
    std::u16string text(Piece - 1, u'a');
    text += u"\U0001F600\u0151";
    text += std::u16string(Piece, u'\u00e9');
    const std::string ansi = ToAnsi(text);
    ASSERT_EQ(ansi.size(), text.size());
    EXPECT_EQ(ansi.substr(Piece - 2, 5), "a??o\xe9");
    EXPECT_EQ(ansi.find_first_not_of('a'), Piece - 1);
    EXPECT_EQ(ansi.find_first_not_of('\xe9', Piece + 2), std::string::npos);
}

// A path keeps every character the system handed over; only what the user reads takes the code
// page's form. A path given in ANSI bytes becomes the characters they stand for. Where paths are
// UTF-8, a surrogate without its partner becomes U+FFFD.
TEST(PathText, KeepsEveryCharacterAndShowsTheCodePageForm) {
    const std::u16string wide = u"C:\\G\u00fcl \u011f \u4e2d \U0001F600 \xD800\\a.pdf";
    const std::filesystem::path path = PathFromUtf16(wide);
#ifdef _WIN32
    EXPECT_EQ(path.native(), std::wstring(wide.begin(), wide.end()));
    EXPECT_EQ(AnsiText(path), "C:\\G\xfcl g ? ?? ?\\a.pdf");
    EXPECT_EQ(PathFromAnsi("G:\\\x80 \xfc\x81\\").native(), L"G:\\\u20ac \u00fc\u0081\\");
#else
    EXPECT_EQ(path.native(),
              "C:\\G\xc3\xbcl \xc4\x9f \xe4\xb8\xad \xf0\x9f\x98\x80 \xef\xbf\xbd\\a.pdf");
    EXPECT_EQ(AnsiText(path), path.native());
    EXPECT_EQ(PathFromAnsi("gw/\x80\xfc/").native(), "gw/\x80\xfc/");
#endif
}

#ifdef _WIN32
// The native build's table is the system's own conversion for code page 1252.
TEST(Cp1252, AgreesWithTheSystemForEveryCodeUnit) {
    ASSERT_EQ(GetACP(), 1252u);
    int differences = 0;
    for (char32_t unit = 0; unit <= 0xFFFF; ++unit) {
        const std::u16string one(1, static_cast<char16_t>(unit));
        const std::string system = ToAnsi(one);
        const std::string table(1, static_cast<char>(Cp1252FromUtf16(static_cast<char16_t>(unit))));
        if (system != table && ++differences <= 10) {
            ADD_FAILURE() << "U+" << std::hex << static_cast<unsigned>(unit);
        }
    }
    EXPECT_EQ(differences, 0);
}
#endif

} // namespace
} // namespace kelvor

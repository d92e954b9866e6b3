#include "app/win32/artwork.h"

namespace kelvor::win32 {
namespace {

// Legend in pixel_art.h: K black, s silver, d grey, W white, . transparent.
constexpr std::string_view CogRows[] = {
    "................................", ".............KKKKKK.............",
    ".............KWWWsK.............", ".......K.....KWssdK.....K.......",
    "......KsK....KWssdK....KsK......", ".....KWWsK..KWWssssK..KWWsK.....",
    "....KWWsssKKWWssssssKKWWsssK....", "...KsWssssWWWsssssssWWWsssdsK...",
    "....KssssssssssssssssssssddK....", ".....KsssssssdddddssssssddK.....",
    "......KWssssddKKKKssssssdK......", "......KWsssddK....KsssssdK......",
    ".....KWWssddK......KssssssK.....", ".KKKKWWssddK........KssssssKKKK.",
    ".KWWWWsssdK..........KWssssWWsK.", ".KWssssssdK..........KWssssssdK.",
    ".KWssssssdK..........KWssssssdK.", ".KsddssssdK..........KWsssddddK.",
    ".KKKKssssssK........KWWssddKKKK.", ".....KssssssK......KWWssddK.....",
    "......KWsssssK....KWWsssdK......", "......KWssssssKKKKWWssssdK......",
    ".....KWWssssssWWWWWsssssssK.....", "....KWWssssssssssssssssssssK....",
    "...KsWsssdddsssssssdddssssdsK...", "....KsssddKKssssssddKKsssddK....",
    ".....KsddK..KssssddK..KsddK.....", "......KsK....KWssdK....KsK......",
    ".......K.....KWssdK.....K.......", ".............KsdddK.............",
    ".............KKKKKK.............", "................................",
};

// A sheet of paper with text lines and a folded corner, a red arrow over its lower right part.
constexpr std::string_view ConvertRows[] = {
    "................................", "..KKKKKKKK........dddddddd......",
    "..KWWWWWWKK.......dWWWWWWdd.....", "..KWWWWWWKWK......dW.....dWd....",
    "..KWKKKKWKKKK.....dWdddd.dddd...", "..KWWWWWWWWWK.....dW.WWWW.WWdW..",
    "..KWKKKKKKKWK.....dWddddddd.dW..", "..KWWWWWWWWWK.....dW.WWWWWWWdW..",
    "..KWKKKKKRKWK.....dWddddddd.dW..", "..KWWWWWWRRWK.....dW.WWWWddWdW..",
    "..KWKRRRRRRRR.....dWdddddddddW..", "..KWWRRRRRRRRR....dW.ddddddddd..",
    "..KWKRRRRRRRR.....dWdddddddddWW.", "..KWWWWWWRRWK.....dW.WWWWddWdW..",
    "..KKKKKKKRKKK.....dddddddddddW..", "...................WWWWWWWWWWW..",
};

// A dark-red door in a black frame, a cyan pane near its top and a yellow knob on its right.
constexpr std::string_view ExitRows[] = {
    "................................", "...KKKKKKKKKK......dddddddddd...",
    "...KrrrrrrrrK......dWWWWWWWWdW..", "...KrKKKKKKrK......dWdddddd.dW..",
    "...KrKCCCCKrK......dWdWWWWdWdW..", "...KrKCCCCKrK......dWdW...dWdW..",
    "...KrKKKKKKrK......dWddddddWdW..", "...KrrrrrrrrK......dW.WWWWWWdW..",
    "...KrrrrrrrrK......dW.......dW..", "...KrrrrrrYYK......dW.....dddW..",
    "...KrrrrrrYYK......dW.....dddW..", "...KrrrrrrrrK......dW......WdW..",
    "...KrrrrrrrrK......dW.......dW..", "...KrrrrrrrrK......dW.......dW..",
    "...KrrrrrrrrK......dW.......dW..", "..KKKKKKKKKKKK....dddddddddddd..",
};

} // namespace

const PixelArt CogIcon{32, 32, CogRows};
const PixelArt ConvertGlyph{32, 16, ConvertRows};
const PixelArt ExitGlyph{32, 16, ExitRows};

} // namespace kelvor::win32

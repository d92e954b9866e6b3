#include "app/win32/pixel_art.h"

#include "platform/error.h"

#include <array>
#include <cstring>

namespace kelvor::win32 {
namespace {

constexpr std::string_view Legend = "KrgnptsdRGYBPCW";
static_assert(Legend.size() == 15, "olive is the sixteenth, spelt '.'");

constexpr std::array<COLORREF, 16> Palette = {
    RGB(0, 0, 0),       RGB(128, 0, 0),   RGB(0, 128, 0),   RGB(128, 128, 0),
    RGB(0, 0, 128),     RGB(128, 0, 128), RGB(0, 128, 128), RGB(192, 192, 192),
    RGB(128, 128, 128), RGB(255, 0, 0),   RGB(0, 255, 0),   RGB(255, 255, 0),
    RGB(0, 0, 255),     RGB(255, 0, 255), RGB(0, 255, 255), RGB(255, 255, 255)};
constexpr int OliveIndex = 3;

// Row strides of the bottom-up bitmaps an icon is made of.
int ColourStride(int width) {
    return (width * 4 + 31) / 32 * 4;
}
int MaskStride(int width) {
    return (width + 31) / 32 * 4;
}

struct IconBits {
    std::vector<std::uint8_t> colour; // 4 bits a pixel, transparent pixels black
    std::vector<std::uint8_t> mask;   // 1 bit a pixel, set where transparent
};

// Both bitmaps bottom-up, as DIBs and icon files keep them.
IconBits MakeIconBits(const PixelArt& art, bool keepOlive) {
    CheckArt(art);
    const int colourStride = ColourStride(art.width);
    const int maskStride = MaskStride(art.width);
    IconBits bits{std::vector<std::uint8_t>(static_cast<std::size_t>(colourStride * art.height)),
                  std::vector<std::uint8_t>(static_cast<std::size_t>(maskStride * art.height))};
    for (int y = 0; y < art.height; ++y) {
        const std::string_view row = art.rows[static_cast<std::size_t>(art.height - 1 - y)];
        for (int x = 0; x < art.width; ++x) {
            int index = PaletteIndex(row[static_cast<std::size_t>(x)]);
            if (index == OliveIndex) {
                bits.mask[static_cast<std::size_t>(y * maskStride + x / 8)] |=
                    static_cast<std::uint8_t>(0x80 >> (x % 8));
                if (!keepOlive)
                    index = 0;
            }
            const int shift = x % 2 == 0 ? 4 : 0;
            bits.colour[static_cast<std::size_t>(y * colourStride + x / 2)] |=
                static_cast<std::uint8_t>(index << shift);
        }
    }
    return bits;
}

struct Bitmap16Info {
    BITMAPINFOHEADER header;
    RGBQUAD colours[16];
};

Bitmap16Info MakeBitmapInfo(int width, int height) {
    Bitmap16Info info{};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = width;
    info.header.biHeight = height;
    info.header.biPlanes = 1;
    info.header.biBitCount = 4;
    info.header.biCompression = BI_RGB;
    for (std::size_t i = 0; i < Palette.size(); ++i)
        info.colours[i] =
            RGBQUAD{GetBValue(Palette[i]), GetGValue(Palette[i]), GetRValue(Palette[i]), 0};
    return info;
}

UniqueBitmap CreateDib(const PixelArt& art, const std::vector<std::uint8_t>& bits) {
    const Bitmap16Info info = MakeBitmapInfo(art.width, art.height);
    void* pixels = nullptr;
    UniqueBitmap bitmap(CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO*>(&info),
                                         DIB_RGB_COLORS, &pixels, nullptr, 0));
    if (!bitmap)
        throw Error("Cannot create a bitmap");
    std::memcpy(pixels, bits.data(), bits.size());
    return bitmap;
}

void Append16(std::vector<std::uint8_t>& out, unsigned value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

void Append32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    Append16(out, value & 0xFFFF);
    Append16(out, value >> 16);
}

} // namespace

int PaletteIndex(char pixel) {
    if (pixel == TransparentPixel)
        return OliveIndex;
    const std::size_t found = Legend.find(pixel);
    if (found == std::string_view::npos)
        throw Error(std::string("Unknown pixel colour '") + pixel + "'");
    // The legend skips olive, so the indexes after it move up by one.
    const int index = static_cast<int>(found);
    return index < OliveIndex ? index : index + 1;
}

COLORREF PaletteColour(int index) {
    return Palette.at(static_cast<std::size_t>(index));
}

void CheckArt(const PixelArt& art) {
    if (art.width <= 0 || art.height <= 0 || art.width > 256 || art.height > 256 ||
        art.rows.size() != static_cast<std::size_t>(art.height))
        throw Error("Pixel art has the wrong number of rows");
    for (const std::string_view row : art.rows) {
        if (row.size() != static_cast<std::size_t>(art.width))
            throw Error("Pixel art row has the wrong width");
        for (const char pixel : row)
            PaletteIndex(pixel);
    }
}

UniqueBitmap CreateArtBitmap(const PixelArt& art) {
    return CreateDib(art, MakeIconBits(art, true).colour);
}

UniqueIcon CreateArtIcon(const PixelArt& art) {
    const IconBits bits = MakeIconBits(art, false);
    UniqueBitmap colour = CreateDib(art, bits.colour);
    // CreateBitmap wants top-down rows aligned to 16 bits.
    const int dibStride = MaskStride(art.width);
    const int ddbStride = (art.width + 15) / 16 * 2;
    std::vector<std::uint8_t> mask(static_cast<std::size_t>(ddbStride * art.height));
    for (int y = 0; y < art.height; ++y)
        std::memcpy(&mask[static_cast<std::size_t>(y * ddbStride)],
                    &bits.mask[static_cast<std::size_t>((art.height - 1 - y) * dibStride)],
                    static_cast<std::size_t>(ddbStride));
    UniqueBitmap monochrome(CreateBitmap(art.width, art.height, 1, 1, mask.data()));
    if (!monochrome)
        throw Error("Cannot create a bitmap");
    ICONINFO info{TRUE, 0, 0, monochrome.get(), colour.get()};
    UniqueIcon icon(CreateIconIndirect(&info));
    if (!icon)
        throw Error("Cannot create an icon");
    return icon;
}

std::vector<std::uint8_t> EncodeIconFile(const PixelArt& art) {
    const IconBits bits = MakeIconBits(art, false);
    const auto imageSize =
        static_cast<std::uint32_t>(sizeof(Bitmap16Info) + bits.colour.size() + bits.mask.size());
    constexpr std::uint32_t DirectorySize = 6 + 16;
    std::vector<std::uint8_t> out;
    Append16(out, 0); // reserved
    Append16(out, 1); // an icon, not a cursor
    Append16(out, 1); // one image
    out.push_back(static_cast<std::uint8_t>(art.width % 256));
    out.push_back(static_cast<std::uint8_t>(art.height % 256));
    out.push_back(16); // colours
    out.push_back(0);
    Append16(out, 1); // planes
    Append16(out, 4); // bits a pixel
    Append32(out, imageSize);
    Append32(out, DirectorySize);

    // The header counts the colour and the mask bitmaps together in its height.
    Bitmap16Info info = MakeBitmapInfo(art.width, art.height * 2);
    info.header.biSizeImage = static_cast<DWORD>(bits.colour.size() + bits.mask.size());
    const auto* header = reinterpret_cast<const std::uint8_t*>(&info);
    out.insert(out.end(), header, header + sizeof info);
    out.insert(out.end(), bits.colour.begin(), bits.colour.end());
    out.insert(out.end(), bits.mask.begin(), bits.mask.end());
    return out;
}

} // namespace kelvor::win32

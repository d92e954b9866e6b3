// What kelvor.exe carries besides its code: the cog as its icon, a version resource and an
// application manifest.

#include "app/win32/artwork.h"
#include "support/native_path.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace kelvor::testing_support {
namespace {

using namespace win32;

class ExecutableResources : public ::testing::Test {
protected:
    ExecutableResources()
        : path_(std::filesystem::path(NativePath(KELVOR_EXE)).wstring()),
          module_(LoadLibraryExW(path_.c_str(), nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE)) {}
    ~ExecutableResources() override { FreeLibrary(module_); }

    std::wstring path_;
    HMODULE module_;
};

TEST_F(ExecutableResources, IconIsTheCog) {
    ASSERT_TRUE(module_);
    const auto icon =
        static_cast<HICON>(LoadImageW(module_, MAKEINTRESOURCEW(1), IMAGE_ICON, 32, 32, 0));
    ASSERT_TRUE(icon);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    const HDC dc = CreateCompatibleDC(nullptr);
    int mismatches = 0;
    HGDIOBJ old = SelectObject(dc, info.hbmColor);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const char pixel =
                CogIcon.rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)];
            if (pixel != TransparentPixel)
                mismatches += GetPixel(dc, x, y) != PaletteColour(PaletteIndex(pixel));
        }
    SelectObject(dc, info.hbmMask);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const char pixel =
                CogIcon.rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)];
            mismatches += (GetPixel(dc, x, y) == RGB(255, 255, 255)) != (pixel == TransparentPixel);
        }
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    DestroyIcon(icon);
    EXPECT_EQ(mismatches, 0);
}

TEST_F(ExecutableResources, VersionNamesTheProduct) {
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(path_.c_str(), &handle);
    ASSERT_GT(size, 0u);
    std::string data(size, '\0');
    ASSERT_TRUE(GetFileVersionInfoW(path_.c_str(), 0, size, data.data()));
    wchar_t* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(data.data(), L"\\StringFileInfo\\040904B0\\ProductName",
                               reinterpret_cast<void**>(&value), &length));
    EXPECT_STREQ(value, L"Kelvor");
    ASSERT_TRUE(VerQueryValueW(data.data(), L"\\StringFileInfo\\040904B0\\OriginalFilename",
                               reinterpret_cast<void**>(&value), &length));
    EXPECT_STREQ(value, L"kelvor.exe");
    VS_FIXEDFILEINFO* fixed = nullptr;
    ASSERT_TRUE(VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
}

TEST_F(ExecutableResources, ManifestAsksForCommonControls6AndSystemDpiAwareness) {
    ASSERT_TRUE(module_);
    const HRSRC found = FindResourceW(module_, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    ASSERT_TRUE(found);
    const auto* bytes = static_cast<const char*>(LockResource(LoadResource(module_, found)));
    const std::string manifest(bytes, SizeofResource(module_, found));
    EXPECT_NE(manifest.find("Microsoft.Windows.Common-Controls"), std::string::npos);
    EXPECT_NE(manifest.find("version=\"6.0.0.0\""), std::string::npos);
    EXPECT_NE(manifest.find(">true</dpiAware>"), std::string::npos);
    EXPECT_NE(manifest.find("asInvoker"), std::string::npos);
}

} // namespace
} // namespace kelvor::testing_support

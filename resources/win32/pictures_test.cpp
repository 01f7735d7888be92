// The pictures, icon, version and manifest of quorel.exe, compiled into this
// test program and loaded as the program loads them.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "resource.h"

namespace {

HINSTANCE instance() {
    return GetModuleHandleW(nullptr);
}

// ---------------------------------------------------------------------------
// Pictures

struct Picture {
    HBITMAP bitmap = nullptr;
    HDC dc = nullptr;
    HGDIOBJ old = nullptr;
    int width = 0;
    int height = 0;

    explicit Picture(const std::wstring& name) {
        bitmap = static_cast<HBITMAP>(LoadImageW(instance(), name.c_str(), IMAGE_BITMAP, 0, 0, 0));
        if (bitmap != nullptr) {
            BITMAP info{};
            GetObjectW(bitmap, sizeof info, &info);
            width = info.bmWidth;
            height = info.bmHeight;
            dc = CreateCompatibleDC(nullptr);
            old = SelectObject(dc, bitmap);
        }
    }
    ~Picture() {
        if (dc != nullptr) {
            SelectObject(dc, old);
            DeleteDC(dc);
        }
        if (bitmap != nullptr) {
            DeleteObject(bitmap);
        }
    }
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;

    COLORREF at(int x, int y) const { return GetPixel(dc, x, y); }
};

struct PictureSize {
    const wchar_t* name;
    int width;
    int height;
};

TEST(Pictures, EveryBitmapExistsAtItsSizeAndAtDoubleSize) {
    const PictureSize pictures[] = {
        {L"LOGO", 320, 640},
        {L"ICONBUTTON0", 64, 64},
        {L"ICONBUTTON1", 64, 64},
        {L"ICONBUTTON2", 64, 64},
        {L"ICONBUTTON3", 64, 64},
        {L"ICONBUTTON4", 64, 64},
        {L"ICONBUTTON0PRESSED", 64, 64},
        {L"ICONBUTTON1PRESSED", 64, 64},
        {L"ICONBUTTON2PRESSED", 64, 64},
        {L"ICONBUTTON3PRESSED", 64, 64},
        {L"ICONBUTTON4PRESSED", 64, 64},
        {L"HOOKON", 14, 14},
        {L"HOOKOFF", 14, 14},
        {L"HOOKONBLUE", 14, 14},
        {L"HOOKOFFBLUE", 14, 14},
        {L"FILESBLACK", 31, 14},
        {L"FILESGHOSTED", 31, 14},
        {L"FOLDERSBLACK", 31, 14},
        {L"FOLDERSGHOSTED", 31, 14},
    };
    for (const PictureSize& p : pictures) {
        for (int scale : {1, 2}) {
            const std::wstring name = std::wstring(p.name) + (scale == 2 ? L"_2X" : L"");
            SCOPED_TRACE(testing::PrintToString(name));
            Picture picture(name);
            ASSERT_NE(picture.bitmap, nullptr);
            EXPECT_EQ(picture.width, p.width * scale);
            EXPECT_EQ(picture.height, p.height * scale);
        }
    }
    EXPECT_EQ(Picture(L"LOGO_3X").bitmap, nullptr);
}

int red(COLORREF c) {
    return GetRValue(c);
}
int green(COLORREF c) {
    return GetGValue(c);
}
int blue(COLORREF c) {
    return GetBValue(c);
}
int brightness(COLORREF c) {
    return red(c) + green(c) + blue(c);
}

// A point of a picture in its own units, sampled at both sizes.
struct Sample {
    int x;
    int y;
};

void forBothSizes(const wchar_t* name, Sample at, const std::function<void(COLORREF)>& check) {
    for (int scale : {1, 2}) {
        const std::wstring full = std::wstring(name) + (scale == 2 ? L"_2X" : L"");
        SCOPED_TRACE(testing::PrintToString(full));
        Picture picture(full);
        ASSERT_NE(picture.bitmap, nullptr);
        check(picture.at(at.x * scale + scale / 2, at.y * scale + scale / 2));
    }
}

TEST(Pictures, EachNameHoldsItsOwnPicture) {
    // On the tick (5, 9) and on the left edge of the box (1, 7).
    forBothSizes(L"HOOKON", {5, 9}, [](COLORREF c) { EXPECT_LT(brightness(c), 150); });
    forBothSizes(L"HOOKOFF", {5, 9}, [](COLORREF c) { EXPECT_EQ(c, RGB(255, 255, 255)); });
    forBothSizes(L"HOOKOFF", {1, 7}, [](COLORREF c) { EXPECT_EQ(c, RGB(0, 0, 0)); });
    forBothSizes(L"HOOKONBLUE", {5, 9}, [](COLORREF c) { EXPECT_GT(blue(c), red(c) + 80); });
    forBothSizes(L"HOOKOFFBLUE", {5, 9}, [](COLORREF c) { EXPECT_EQ(c, RGB(255, 255, 255)); });
    forBothSizes(L"HOOKOFFBLUE", {1, 7}, [](COLORREF c) { EXPECT_GT(blue(c), red(c) + 80); });
    // (12, 8) is the front sheet's edge, inside the front folder; (8, 10) the
    // front folder's edge, left of the sheets.
    forBothSizes(L"FILESBLACK", {12, 8}, [](COLORREF c) { EXPECT_EQ(c, RGB(0, 0, 0)); });
    forBothSizes(L"FILESBLACK", {8, 10}, [](COLORREF c) { EXPECT_EQ(c, RGB(255, 255, 255)); });
    forBothSizes(L"FILESGHOSTED", {12, 8}, [](COLORREF c) { EXPECT_EQ(c, RGB(160, 160, 160)); });
    forBothSizes(L"FOLDERSBLACK", {8, 10}, [](COLORREF c) { EXPECT_EQ(c, RGB(0, 0, 0)); });
    forBothSizes(L"FOLDERSBLACK", {12, 8}, [](COLORREF c) { EXPECT_EQ(c, RGB(255, 255, 255)); });
    forBothSizes(L"FOLDERSGHOSTED", {8, 10}, [](COLORREF c) { EXPECT_EQ(c, RGB(160, 160, 160)); });
}

TEST(Pictures, StartButtonsHaveTheirColoursAndLookPressed) {
    // Left part of each face, clear of the symbols: scan blue, start green,
    // exit red, open amber, compare violet.
    const std::function<void(COLORREF)> hue[5] = {
        [](COLORREF c) { EXPECT_GT(blue(c), red(c) + 80); },
        [](COLORREF c) { EXPECT_GT(green(c), red(c) + 60); },
        [](COLORREF c) { EXPECT_GT(red(c), green(c) + 80); },
        [](COLORREF c) { EXPECT_GT(green(c), blue(c) + 80); },
        [](COLORREF c) { EXPECT_GT(blue(c), green(c) + 60); },
    };
    for (int i = 0; i < 5; ++i) {
        const std::wstring normal = L"ICONBUTTON" + std::to_wstring(i);
        const std::wstring pressed = normal + L"PRESSED";
        forBothSizes(normal.c_str(), {7, 32}, hue[i]);
        forBothSizes(pressed.c_str(), {7, 32}, hue[i]);
        for (const wchar_t* suffix : {L"", L"_2X"}) {
            Picture up(normal + suffix);
            Picture down(pressed + suffix);
            const int scale = up.width / 64;
            SCOPED_TRACE(testing::PrintToString(normal + suffix));
            EXPECT_LT(brightness(down.at(7 * scale, 32 * scale)),
                      brightness(up.at(7 * scale, 32 * scale)));
            // Outside the face both are white.
            EXPECT_EQ(up.at(0, 0), RGB(255, 255, 255));
            EXPECT_EQ(down.at(0, 0), RGB(255, 255, 255));
        }
    }
    forBothSizes(L"LOGO", {10, 10}, [](COLORREF c) { EXPECT_GT(blue(c), red(c) + 50); });
}

TEST(Pictures, IconHasEveryStandardSize) {
    for (int size : {16, 24, 32, 48, 256}) {
        SCOPED_TRACE(size);
        HICON icon = static_cast<HICON>(
            LoadImageW(instance(), MAKEINTRESOURCEW(IDI_QUOREL), IMAGE_ICON, size, size, 0));
        ASSERT_NE(icon, nullptr);
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP colour{};
        GetObjectW(info.hbmColor, sizeof colour, &colour);
        EXPECT_EQ(colour.bmWidth, size);
        EXPECT_EQ(colour.bmHeight, size);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
    // The image picked for each size is the one drawn for it, not a scaled
    // neighbour: the resource holds exactly these five.
    HRSRC group = FindResourceW(instance(), MAKEINTRESOURCEW(IDI_QUOREL),
                                MAKEINTRESOURCEW(14));  // RT_GROUP_ICON
    ASSERT_NE(group, nullptr);
    const auto* dir = static_cast<const WORD*>(LockResource(LoadResource(instance(), group)));
    EXPECT_EQ(dir[2], 5) << "images in the icon";
}

// ---------------------------------------------------------------------------
// Version and manifest

std::wstring versionString(const std::vector<char>& block, const wchar_t* name) {
    void* value = nullptr;
    UINT length = 0;
    const std::wstring path = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
    if (!VerQueryValueW(block.data(), path.c_str(), &value, &length) || value == nullptr) {
        return L"(missing)";
    }
    return static_cast<const wchar_t*>(value);
}

TEST(Version, Is1_4_251) {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(path, &handle);
    ASSERT_GT(size, 0u);
    std::vector<char> block(size);
    ASSERT_TRUE(GetFileVersionInfoW(path, 0, size, block.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(4, 1));
    EXPECT_EQ(fixed->dwFileVersionLS, MAKELONG(0, 251));
    EXPECT_EQ(fixed->dwProductVersionMS, MAKELONG(4, 1));
    EXPECT_EQ(fixed->dwProductVersionLS, MAKELONG(0, 251));
    EXPECT_EQ(fixed->dwFileOS, static_cast<DWORD>(VOS_NT_WINDOWS32));
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
    EXPECT_EQ(versionString(block, L"ProductName"), L"Quorel");
    EXPECT_EQ(versionString(block, L"FileVersion"), L"1.4.251");
    EXPECT_EQ(versionString(block, L"ProductVersion"), L"1.4.251");
    EXPECT_EQ(versionString(block, L"OriginalFilename"), L"quorel.exe");
}

TEST(Manifest, AsksForCommonControls6DpiAwarenessLongPathsAndNoElevation) {
    HRSRC found =
        FindResourceW(instance(), MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));  // RT_MANIFEST
    ASSERT_NE(found, nullptr);
    const char* bytes = static_cast<const char*>(LockResource(LoadResource(instance(), found)));
    const std::string manifest(bytes, SizeofResource(instance(), found));
    for (const char* part : {
             "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"",
             "<dpiAware "
             "xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true/pm</dpiAware>",
             ">PerMonitorV2, PerMonitor</dpiAwareness>",
             "<longPathAware "
             "xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">true</longPathAware>",
             "<requestedExecutionLevel level=\"asInvoker\" uiAccess=\"false\"/>",
             "<supportedOS Id=\"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}\"/>",
         }) {
        EXPECT_NE(manifest.find(part), std::string::npos) << part;
    }
    // The manifest is in force: the process gets version 6 of the common
    // controls from the side-by-side store, not the system folder's version 5.
    HMODULE controls = LoadLibraryW(L"comctl32.dll");
    ASSERT_NE(controls, nullptr);
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(controls, path, MAX_PATH);
    std::wstring lower = path;
    CharLowerW(lower.data());
    EXPECT_NE(lower.find(L"common-controls"), std::wstring::npos) << testing::PrintToString(lower);
    EXPECT_NE(lower.find(L"_6."), std::wstring::npos) << testing::PrintToString(lower);
    FreeLibrary(controls);
}

}  // namespace

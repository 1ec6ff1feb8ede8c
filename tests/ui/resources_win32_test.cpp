// The compiled resources: the tray menu against the table the console tray uses, the icons and
// their colours, the About bitmap, the title and the version.
#include "ui/resource.h"
#include "ui/tray_menu.h"

#include <windows.h>
// After windows.h, which it needs.
#include <winver.h>

#include <gtest/gtest.h>

#include <string>

namespace {

HINSTANCE program() {
    return GetModuleHandleA(nullptr);
}

std::string menuText(HMENU menu, int position) {
    char text[128] = {};
    GetMenuStringA(menu, position, text, sizeof text, MF_BYPOSITION);
    return text;
}

void expectEntry(HMENU menu, int position, const gb::ui::TrayMenuEntry& entry) {
    SCOPED_TRACE(std::string("position ") + std::to_string(position) + " " + entry.text);
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_SUBMENU | MIIM_ID;
    ASSERT_TRUE(GetMenuItemInfoA(menu, position, TRUE, &info));
    switch (entry.kind) {
    case gb::ui::TrayMenuKind::Separator:
        EXPECT_TRUE(info.fType & MFT_SEPARATOR);
        break;
    case gb::ui::TrayMenuKind::Popup:
        EXPECT_NE(info.hSubMenu, nullptr);
        EXPECT_EQ(menuText(menu, position), entry.text);
        break;
    case gb::ui::TrayMenuKind::Item:
        EXPECT_EQ(info.hSubMenu, nullptr);
        EXPECT_EQ(GetMenuItemID(menu, position), entry.command);
        EXPECT_EQ(menuText(menu, position), entry.text);
        break;
    }
}

// The icon drawn over white: the colour at (x, y).
COLORREF iconPixel(HICON icon, int x, int y) {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 16, 16);
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT all{0, 0, 16, 16};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    DrawIconEx(dc, 0, 0, icon, 16, 16, 0, nullptr, DI_NORMAL);
    COLORREF colour = GetPixel(dc, x, y);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return colour;
}

std::string versionString(const std::vector<char>& block, const char* name) {
    char* value = nullptr;
    UINT length = 0;
    std::string path = std::string("\\StringFileInfo\\040904B0\\") + name;
    if (!VerQueryValueA(block.data(), path.c_str(), reinterpret_cast<void**>(&value), &length)) {
        return "<missing>";
    }
    return std::string(value);
}

} // namespace

TEST(Resources, TrayMenuHoldsTheItemsInOrder) {
    HMENU menu = LoadMenuA(program(), MAKEINTRESOURCEA(IDR_TRAYMENU));
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(GetMenuItemCount(menu), 1);
    HMENU popup = GetSubMenu(menu, 0);
    ASSERT_NE(popup, nullptr);

    HMENU sub = nullptr;
    int top = 0;
    int inner = 0;
    for (const gb::ui::TrayMenuEntry& entry : gb::ui::trayMenuEntries()) {
        if (entry.depth == 0) {
            expectEntry(popup, top, entry);
            if (entry.kind == gb::ui::TrayMenuKind::Popup) sub = GetSubMenu(popup, top);
            ++top;
        } else {
            ASSERT_NE(sub, nullptr);
            expectEntry(sub, inner++, entry);
        }
    }
    EXPECT_EQ(GetMenuItemCount(popup), top);
    EXPECT_EQ(GetMenuItemCount(sub), inner);
    EXPECT_EQ(top, 9);
    EXPECT_EQ(inner, 5);
    DestroyMenu(menu);
}

TEST(Resources, TrayIconsLoadAt16PixelsInTheirColours) {
    struct Expected {
        unsigned id;
        COLORREF colour;
    };
    for (Expected e :
         {Expected{IDI_TRAY_IDLE, RGB(0, 0, 0x80)}, Expected{IDI_TRAY_TRANSFER, RGB(0, 0xFF, 0)},
          Expected{IDI_TRAY_NOCARD, RGB(0xFF, 0, 0)}}) {
        SCOPED_TRACE(e.id);
        auto icon = static_cast<HICON>(
            LoadImageA(program(), MAKEINTRESOURCEA(e.id), IMAGE_ICON, 16, 16, 0));
        ASSERT_NE(icon, nullptr);
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP colour{};
        GetObjectA(info.hbmColor, sizeof colour, &colour);
        EXPECT_EQ(colour.bmWidth, 16);
        EXPECT_EQ(colour.bmHeight, 16);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        // Fuselage in the icon's colour; corners transparent.
        EXPECT_EQ(iconPixel(icon, 7, 8), e.colour);
        EXPECT_EQ(iconPixel(icon, 0, 0), RGB(0xFF, 0xFF, 0xFF));
        EXPECT_EQ(iconPixel(icon, 15, 15), RGB(0xFF, 0xFF, 0xFF));
        DestroyIcon(icon);
    }
}

TEST(Resources, ApplicationIconAboutBitmapAndTitle) {
    for (int size : {16, 32}) {
        HANDLE icon =
            LoadImageA(program(), MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON, size, size, 0);
        EXPECT_NE(icon, nullptr) << size;
        if (icon != nullptr) DestroyIcon(static_cast<HICON>(icon));
    }
    auto bitmap = static_cast<HBITMAP>(
        LoadImageA(program(), MAKEINTRESOURCEA(IDB_ABOUT), IMAGE_BITMAP, 0, 0, 0));
    ASSERT_NE(bitmap, nullptr);
    BITMAP info{};
    GetObjectA(bitmap, sizeof info, &info);
    EXPECT_EQ(info.bmWidth, 48);
    EXPECT_EQ(info.bmHeight, 48);
    DeleteObject(bitmap);

    char title[64] = {};
    EXPECT_EQ(LoadStringA(program(), IDR_MAINFRAME, title, sizeof title), 10);
    EXPECT_STREQ(title, "Glowbridge");
}

TEST(Resources, VersionReadsBack) {
    char path[MAX_PATH] = {};
    ASSERT_GT(GetModuleFileNameA(nullptr, path, sizeof path), 0u);
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA(path, &ignored);
    ASSERT_GT(size, 0u);
    std::vector<char> block(size);
    ASSERT_TRUE(GetFileVersionInfoA(path, 0, size, block.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(101, 2));
    EXPECT_EQ(fixed->dwProductVersionMS, MAKELONG(101, 2));
    EXPECT_EQ(versionString(block, "ProductName"), "Glowbridge");
    EXPECT_EQ(versionString(block, "ProductVersion"), "2.101");
    EXPECT_EQ(versionString(block, "FileVersion"), "2.101");
    EXPECT_EQ(versionString(block, "CompanyName"), "Veltrona");
    EXPECT_EQ(versionString(block, "OriginalFilename"), "Glowbridge.exe");
    EXPECT_NE(versionString(block, "FileDescription"), "<missing>");
}

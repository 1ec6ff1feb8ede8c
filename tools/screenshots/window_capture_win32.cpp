// Window pixels, menus and input for the screenshot program, through user32 and GDI.
#include "tools/screenshots/window_capture.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace gb::shots {

namespace {

HWND hwnd(WindowHandle window) {
    return static_cast<HWND>(window);
}

// A top-down 32-bit BMP; the fourth byte of each pixel is its alpha.
bool writeBmp(const std::string& path, int width, int height, const std::uint32_t* pixels) {
    const std::uint32_t imageBytes = static_cast<std::uint32_t>(width) * height * 4;
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{};
    file.bfType = 0x4D42; // "BM"
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + imageBytes;
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = -height;
    info.biPlanes = 1;
    info.biBitCount = 32;
    info.biCompression = BI_RGB;
    info.biSizeImage = imageBytes;
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr) return false;
    bool ok = std::fwrite(&file, sizeof file, 1, out) == 1 &&
              std::fwrite(&info, sizeof info, 1, out) == 1 &&
              std::fwrite(pixels, 1, imageBytes, out) == imageBytes;
    ok = std::fclose(out) == 0 && ok;
    return ok;
}

struct MenuSearch {
    DWORD thread;
    std::vector<WindowHandle> found;
};

BOOL CALLBACK collectMenu(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<MenuSearch*>(context);
    char name[16] = {};
    if (GetClassNameA(window, name, sizeof name) > 0 && std::strcmp(name, "#32768") == 0 &&
        IsWindowVisible(window) && GetWindowThreadProcessId(window, nullptr) == search->thread) {
        search->found.push_back(window);
    }
    return TRUE;
}

} // namespace

bool captureWindows(const std::vector<WindowHandle>& windows, const std::string& bmpPath) {
    if (windows.empty()) return false;
    HideCaret(nullptr);
    RECT bounds{};
    for (WindowHandle w : windows) {
        if (!IsWindowVisible(hwnd(w))) return false;
        RedrawWindow(hwnd(w), nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        RECT r{};
        GetWindowRect(hwnd(w), &r);
        UnionRect(&bounds, &bounds, &r);
    }
    GdiFlush();
    const int width = bounds.right - bounds.left;
    const int height = bounds.bottom - bounds.top;
    if (width <= 0 || height <= 0) return false;

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC memory = CreateCompatibleDC(nullptr);
    HBITMAP image = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (image == nullptr) {
        DeleteDC(memory);
        return false;
    }
    HGDIOBJ old = SelectObject(memory, image);
    auto* pixels = static_cast<std::uint32_t*>(bits);
    std::fill(pixels, pixels + static_cast<std::size_t>(width) * height, 0u);

    bool ok = true;
    for (WindowHandle w : windows) {
        RECT r{};
        GetWindowRect(hwnd(w), &r);
        const int x = r.left - bounds.left;
        const int y = r.top - bounds.top;
        HDC source = GetWindowDC(hwnd(w));
        ok = BitBlt(memory, x, y, r.right - r.left, r.bottom - r.top, source, 0, 0, SRCCOPY) && ok;
        ReleaseDC(hwnd(w), source);
        GdiFlush();
        for (int row = y; row < y + (r.bottom - r.top); ++row) {
            for (int col = x; col < x + (r.right - r.left); ++col)
                pixels[static_cast<std::size_t>(row) * width + col] |= 0xFF000000u;
        }
    }
    ok = ok && writeBmp(bmpPath, width, height, pixels);
    SelectObject(memory, old);
    DeleteObject(image);
    DeleteDC(memory);
    return ok;
}

bool useWineFonts(const std::string& folder) {
    // The dialogs' MS Sans Serif (the Western code page's file: the other code pages' files hold
    // the same family), Tahoma for captions and menus, Marlett for the caption buttons.
    for (const char* file : {"sserife.fon", "tahoma.ttf", "tahomabd.ttf", "marlett.ttf"}) {
        const std::string path = folder + "\\" + file;
        if (AddFontResourceExA(path.c_str(), FR_PRIVATE, nullptr) == 0) return false;
    }
    // Wine chose the caption and menu fonts before Tahoma was there, and keeps that choice for
    // their name ("MS Shell Dlg"); naming Tahoma makes it choose again. Only this program's
    // copy of the settings changes, not the prefix's.
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof metrics;
    if (!SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) return false;
    for (LOGFONTA* font : {&metrics.lfCaptionFont, &metrics.lfSmCaptionFont, &metrics.lfMenuFont,
                           &metrics.lfStatusFont, &metrics.lfMessageFont}) {
        lstrcpynA(font->lfFaceName, "Tahoma", LF_FACESIZE);
    }
    return SystemParametersInfoA(SPI_SETNONCLIENTMETRICS, sizeof metrics, &metrics, 0) != FALSE;
}

void activate(WindowHandle window) {
    SetForegroundWindow(hwnd(window));
    SetActiveWindow(hwnd(window));
    // After a pop-up menu of the thread has closed, Wine can leave the new active window's
    // caption drawn inactive; the window is the active one, so its caption is drawn so.
    if (GetActiveWindow() == hwnd(window)) SendMessageA(hwnd(window), WM_NCACTIVATE, TRUE, 0);
}

std::vector<std::string> clippedTexts(WindowHandle dialog) {
    std::vector<std::string> found;
    for (HWND c = GetWindow(hwnd(dialog), GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
        char kind[32] = {};
        char text[256] = {};
        GetClassNameA(c, kind, sizeof kind);
        GetWindowTextA(c, text, sizeof text);
        const LONG style = GetWindowLongA(c, GWL_STYLE);
        const bool isButton = lstrcmpiA(kind, "Button") == 0;
        const bool isLabel =
            lstrcmpiA(kind, "Static") == 0 && (style & SS_TYPEMASK) <= SS_RIGHT; // text statics
        if ((!isButton && !isLabel) || text[0] == '\0' || !IsWindowVisible(c)) continue;
        RECT client{};
        GetClientRect(c, &client);
        // The room each kind leaves its text: a push button's edges (2 pixels) and focus frame
        // (1 more) on each side, a check box's box and gap, a group box title's indents.
        int room = client.right;
        const LONG type = style & BS_TYPEMASK;
        if (isButton && (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_RADIOBUTTON ||
                         type == BS_AUTORADIOBUTTON)) {
            room -= 13 + 4;
        } else if (isButton && type == BS_GROUPBOX) {
            room -= 2 * 8;
        } else if (isButton) {
            room -= 2 * 3;
        }
        HDC dc = GetDC(c);
        HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(c, WM_GETFONT, 0, 0)));
        RECT need{0, 0, room, 0};
        const UINT wrap = isLabel ? DT_WORDBREAK : DT_SINGLELINE;
        DrawTextA(dc, text, -1, &need, DT_CALCRECT | wrap);
        SelectObject(dc, old);
        ReleaseDC(c, dc);
        const bool tooWide = need.right > room;
        const bool tooHigh = isLabel && need.bottom > client.bottom;
        if (!tooWide && !tooHigh) continue;
        // A template's IDC_STATIC (-1) comes back as 0xFFFF.
        const int id = GetDlgCtrlID(c) == 0xFFFF ? -1 : GetDlgCtrlID(c);
        char line[400];
        if (tooWide) {
            std::snprintf(line, sizeof line, "id %d \"%s\": %ld of %d pixels wide", GetDlgCtrlID(c),
                          text, need.right, room);
        } else {
            std::snprintf(line, sizeof line, "id %d \"%s\": wraps to %ld of %ld pixels high", id,
                          text, need.bottom, client.bottom);
        }
        found.push_back(line);
    }
    return found;
}

std::vector<WindowHandle> shownMenus() {
    MenuSearch search{GetCurrentThreadId(), {}};
    EnumWindows(collectMenu, reinterpret_cast<LPARAM>(&search));
    // EnumWindows lists from the top down; a sub-menu lies above the menu that opened it.
    std::reverse(search.found.begin(), search.found.end());
    return search.found;
}

void pressMenuKey(WindowHandle anyWindowOfThisThread, MenuKey key) {
    const WPARAM vk = key == MenuKey::Down ? VK_DOWN : VK_RIGHT;
    const UINT scan = MapVirtualKeyA(static_cast<UINT>(vk), MAPVK_VK_TO_VSC);
    const LPARAM down = 1 | (static_cast<LPARAM>(scan) << 16) | (1 << 24);
    PostMessageA(hwnd(anyWindowOfThisThread), WM_KEYDOWN, vk, down);
    PostMessageA(hwnd(anyWindowOfThisThread), WM_KEYUP, vk, down | (static_cast<LPARAM>(3) << 30));
}

void endMenu() {
    EndMenu();
}

void placeCursor(int x, int y) {
    SetCursorPos(x, y);
}

} // namespace gb::shots

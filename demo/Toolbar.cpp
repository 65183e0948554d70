#include "demo/Toolbar.h"

#include "demo/ToolbarKeys.h"

#include <commctrl.h>

#include <initializer_list>
#include <string_view>

namespace velk::demo {

namespace {

constexpr int ImageSize = 16;
constexpr COLORREF MaskColour = RGB(255, 0, 255);

void Shape(HDC dc, COLORREF pen, COLORREF fill, int width) {
    DeleteObject(SelectObject(dc, CreatePen(PS_SOLID, width, pen)));
    DeleteObject(
        SelectObject(dc, fill == MaskColour ? GetStockObject(NULL_BRUSH) : CreateSolidBrush(fill)));
}

void Lines(HDC dc, std::initializer_list<POINT> points) {
    Polyline(dc, points.begin(), int(points.size()));
}

void Polygon(HDC dc, std::initializer_list<POINT> points) {
    ::Polygon(dc, points.begin(), int(points.size()));
}

// Draws the picture of one key into the 16 x 16 cell at the origin.
void DrawGlyph(HDC dc, std::string_view key) {
    const COLORREF blue = RGB(0, 64, 160), red = RGB(192, 0, 0), black = RGB(0, 0, 0);
    if (key == "open") {
        Shape(dc, black, RGB(240, 200, 64), 1);
        Polygon(dc, {{1, 3}, {6, 3}, {7, 5}, {14, 5}, {14, 13}, {1, 13}});
    } else if (key == "end_app") {
        Shape(dc, red, MaskColour, 3);
        Lines(dc, {{3, 3}, {13, 13}});
        Lines(dc, {{13, 3}, {3, 13}});
    } else if (key == "selector") {
        Shape(dc, black, RGB(255, 255, 255), 1);
        Polygon(dc, {{4, 1}, {4, 13}, {7, 10}, {10, 15}, {12, 14}, {9, 9}, {13, 9}});
    } else if (key == "zoomin" || key == "zoomout") {
        Shape(dc, black, RGB(220, 240, 255), 1);
        Ellipse(dc, 1, 1, 12, 12);
        Shape(dc, black, MaskColour, 2);
        Lines(dc, {{10, 10}, {15, 15}});
        Shape(dc, black, MaskColour, 1);
        Lines(dc, {{4, 6}, {9, 6}});
        if (key == "zoomin")
            Lines(dc, {{6, 4}, {6, 9}});
    } else if (key == "line") {
        Shape(dc, blue, MaskColour, 2);
        Lines(dc, {{2, 13}, {14, 3}});
    } else if (key == "pline") {
        Shape(dc, blue, MaskColour, 2);
        Lines(dc, {{1, 12}, {5, 4}, {10, 11}, {14, 2}});
    } else if (key == "rect") {
        Shape(dc, blue, RGB(200, 220, 255), 1);
        Rectangle(dc, 2, 4, 14, 12);
    } else if (key == "region") {
        Shape(dc, blue, RGB(160, 220, 160), 1);
        Polygon(dc, {{2, 5}, {8, 1}, {14, 6}, {12, 14}, {4, 13}});
    } else if (key == "ellipse") {
        Shape(dc, blue, RGB(255, 230, 180), 1);
        Ellipse(dc, 1, 4, 15, 13);
    } else if (key == "symbol") {
        Shape(dc, red, RGB(255, 80, 80), 1);
        Polygon(dc, {{8, 1},
                     {10, 6},
                     {15, 6},
                     {11, 9},
                     {13, 14},
                     {8, 11},
                     {3, 14},
                     {5, 9},
                     {1, 6},
                     {6, 6}});
    } else if (key == "PushButton" || key == "ToggleButton") {
        Shape(dc, black, RGB(212, 208, 200), 1);
        Rectangle(dc, 2, 3, 14, 13);
        if (key == "ToggleButton") {
            Shape(dc, black, RGB(0, 160, 0), 1);
            Rectangle(dc, 4, 5, 9, 11);
        }
    }
}

HIMAGELIST CreateImageList1() {
    const HIMAGELIST images = ImageList_Create(ImageSize, ImageSize, ILC_COLOR24 | ILC_MASK, 13, 0);
    const HDC screen = GetDC(nullptr);
    const HDC dc = CreateCompatibleDC(screen);
    for (const TToolbarButton& button : ToolbarButtons) {
        const HBITMAP bitmap = CreateCompatibleBitmap(screen, ImageSize, ImageSize);
        const HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
        const HGDIOBJ oldPen = SelectObject(dc, GetStockObject(BLACK_PEN));
        const HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
        const HBRUSH mask = CreateSolidBrush(MaskColour);
        const RECT cell = {0, 0, ImageSize, ImageSize};
        FillRect(dc, &cell, mask);
        DeleteObject(mask);
        DrawGlyph(dc, button.Key);
        DeleteObject(SelectObject(dc, oldPen));
        const HGDIOBJ brush = SelectObject(dc, oldBrush);
        if (brush != GetStockObject(NULL_BRUSH))
            DeleteObject(brush);
        SelectObject(dc, oldBitmap);
        ImageList_AddMasked(images, bitmap, MaskColour);
        DeleteObject(bitmap);
    }
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return images;
}

} // namespace

HWND CreateDemoToolbar(HWND parent, HINSTANCE instance) {
    const HWND toolbar = CreateWindowExA(0, TOOLBARCLASSNAMEA, "",
                                         WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS, 0,
                                         0, 0, 0, parent, nullptr, instance, nullptr);
    if (!toolbar)
        return nullptr;
    SendMessageA(toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    // The image list lives as long as the program: the toolbar does not own it.
    SendMessageA(toolbar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(CreateImageList1()));
    TBBUTTON buttons[13] = {};
    for (int i = 0; i < 13; ++i) {
        buttons[i].iBitmap = i;
        buttons[i].idCommand = FirstToolbarCommand + i;
        buttons[i].fsState = TBSTATE_ENABLED;
        buttons[i].fsStyle = BTNS_BUTTON;
        buttons[i].iString = -1;
    }
    SendMessageA(toolbar, TB_ADDBUTTONSA, 13, reinterpret_cast<LPARAM>(buttons));
    SendMessageA(toolbar, TB_AUTOSIZE, 0, 0);
    return toolbar;
}

} // namespace velk::demo

#include "setup/RgnCompiler.h"

#include <memory>
#include <vector>

namespace velk {

namespace {

// Rectangles are handed to the system in batches of this many.
constexpr DWORD BatchSize = 2000;

// A region-data header followed by room for one batch of rectangles, as the system reads it.
class TRegionBatch {
public:
    TRegionBatch() : data_(sizeof(RGNDATAHEADER) + BatchSize * sizeof(RECT)) { Clear(); }

    void Add(const RECT& rect) {
        RGNDATAHEADER& header = Header();
        reinterpret_cast<RECT*>(data_.data() + sizeof(RGNDATAHEADER))[header.nCount++] = rect;
        RECT& bound = header.rcBound;
        if (header.nCount == 1) {
            bound = rect;
        } else {
            bound.left = rect.left < bound.left ? rect.left : bound.left;
            bound.top = rect.top < bound.top ? rect.top : bound.top;
            bound.right = rect.right > bound.right ? rect.right : bound.right;
            bound.bottom = rect.bottom > bound.bottom ? rect.bottom : bound.bottom;
        }
        if (header.nCount == BatchSize)
            Flush();
    }

    // Joins the rectangles gathered so far to the result.
    void Flush() {
        if (Header().nCount == 0)
            return;
        HRGN part = ExtCreateRegion(nullptr, DWORD(data_.size()),
                                    reinterpret_cast<const RGNDATA*>(data_.data()));
        if (part && result_) {
            CombineRgn(result_, result_, part, RGN_OR);
            DeleteObject(part);
        } else if (part) {
            result_ = part;
        }
        Clear();
    }

    HRGN Result() const { return result_; }

private:
    RGNDATAHEADER& Header() { return *reinterpret_cast<RGNDATAHEADER*>(data_.data()); }
    void Clear() { Header() = {sizeof(RGNDATAHEADER), RDH_RECTANGLES, 0, 0, {0, 0, 0, 0}}; }

    std::vector<unsigned char> data_;
    HRGN result_ = nullptr;
};

// The picture's pixels, top row first, as 0x00RRGGBB.
std::vector<DWORD> ReadPixels(HBITMAP picture, int& pictureWidth, int& pictureHeight) {
    BITMAP info = {};
    if (!GetObjectA(picture, sizeof info, &info) || info.bmWidth <= 0 || info.bmHeight <= 0)
        return {};
    pictureWidth = info.bmWidth;
    pictureHeight = info.bmHeight;
    std::vector<DWORD> pixels(size_t(pictureWidth) * size_t(pictureHeight));
    BITMAPINFO format = {};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = pictureWidth;
    format.bmiHeader.biHeight = -pictureHeight;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    HDC screen = GetDC(nullptr);
    const int rows =
        GetDIBits(screen, picture, 0, UINT(pictureHeight), pixels.data(), &format, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    return rows == pictureHeight ? pixels : std::vector<DWORD>();
}

COLORREF ColourOf(DWORD pixel) {
    return RGB(pixel >> 16 & 0xFF, pixel >> 8 & 0xFF, pixel & 0xFF);
}

} // namespace

HRGN CompileRegion(HBITMAP picture, int left, int top, COLORREF key, int height, int width) {
    int pictureWidth = 0, pictureHeight = 0;
    const std::vector<DWORD> pixels = ReadPixels(picture, pictureWidth, pictureHeight);
    if (pixels.empty() || left < 0 || top < 0 || width > pictureWidth - left ||
        height > pictureHeight - top)
        return nullptr;
    key &= 0xFFFFFF;
    TRegionBatch batch;
    for (int y = 0; y < height; ++y) {
        const DWORD* row = pixels.data() + size_t(top + y) * size_t(pictureWidth) + left;
        int x = 0;
        while (x < width) {
            while (x < width && ColourOf(row[x]) == key)
                ++x;
            const int start = x;
            while (x < width && ColourOf(row[x]) != key)
                ++x;
            if (x > start)
                batch.Add({start, y, x, y + 1});
        }
    }
    batch.Flush();
    return batch.Result();
}

} // namespace velk

#include "harness/DialogWatcher.h"

#include "platform/StrUtils.h"

#include <algorithm>

namespace velk::test {

namespace {

const char* const buttonNames[] = {"OK", "CANCEL", "ABORT", "RETRY",    "IGNORE",  "YES",
                                   "NO", "CLOSE",  "HELP",  "TRYAGAIN", "CONTINUE"};
constexpr int FirstButton = IDOK;
constexpr int LastButton = IDCONTINUE;

std::string WindowText(HWND window) {
    char buffer[4096];
    int n = ::GetWindowTextA(window, buffer, sizeof(buffer));
    return std::string(buffer, n > 0 ? size_t(n) : 0);
}

// A 32-bit top-down bitmap of width x height with its pixels.
class TPixels {
public:
    TPixels(HDC reference, int width, int height) : width_(width), height_(height) {
        dc_ = ::CreateCompatibleDC(reference);
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        bitmap_ = ::CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits_, nullptr, 0);
        old_ = ::SelectObject(dc_, bitmap_);
    }
    TPixels(const TPixels&) = delete;
    TPixels& operator=(const TPixels&) = delete;
    ~TPixels() {
        ::SelectObject(dc_, old_);
        ::DeleteObject(bitmap_);
        ::DeleteDC(dc_);
    }
    bool Valid() const { return bits_ != nullptr; }
    HDC Dc() const { return dc_; }
    DWORD At(int i) const { return static_cast<const DWORD*>(bits_)[i] & 0xFFFFFF; }
    void Fill(DWORD colour) { std::fill_n(static_cast<DWORD*>(bits_), width_ * height_, colour); }
    int Count() const { return width_ * height_; }

private:
    int width_, height_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    void* bits_ = nullptr;
};

HWND IconControl(HWND box) {
    for (HWND child = ::GetWindow(box, GW_CHILD); child != nullptr;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        char className[32];
        ::GetClassNameA(child, className, sizeof(className));
        LONG style = ::GetWindowLongA(child, GWL_STYLE);
        if (SameText(className, "Static") && (style & SS_TYPEMASK) == SS_ICON &&
            ::IsWindowVisible(child))
            return child;
    }
    return nullptr;
}

// The standard icon drawn in the control, told by its pixels on the screen: icon handles of
// another process cannot be compared.
std::string IconShown(HWND control) {
    static const struct {
        LPCSTR id;
        const char* name;
    } icons[] = {{IDI_HAND, "stop"},
                 {IDI_EXCLAMATION, "exclamation"},
                 {IDI_QUESTION, "question"},
                 {IDI_ASTERISK, "information"}};
    RECT rect;
    ::GetWindowRect(control, &rect);
    int width = rect.right - rect.left, height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0)
        return "unknown";
    HDC screen = ::GetDC(nullptr);
    TPixels shot(screen, width, height);
    TPixels drawn(screen, width, height);
    std::string result = "unknown";
    if (shot.Valid() && drawn.Valid() &&
        ::BitBlt(shot.Dc(), 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY)) {
        ::GdiFlush();
        for (const auto& icon : icons) {
            drawn.Fill(shot.At(0));
            ::DrawIconEx(drawn.Dc(), 0, 0, ::LoadIconA(nullptr, icon.id), 0, 0, 0, nullptr,
                         DI_NORMAL);
            ::GdiFlush();
            int i = 0;
            while (i < shot.Count() && shot.At(i) == drawn.At(i))
                ++i;
            if (i == shot.Count())
                result = icon.name;
        }
    }
    ::ReleaseDC(nullptr, screen);
    return result;
}

// Gives the box time to paint its icon before the pixels are judged.
std::string WaitForIcon(HWND box) {
    HWND control = IconControl(box);
    if (control == nullptr || ::SendMessageA(control, STM_GETICON, 0, 0) == 0)
        return "none";
    std::string icon;
    for (int attempt = 0; attempt < 50; ++attempt) {
        ::RedrawWindow(box, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        icon = IconShown(control);
        if (icon != "unknown")
            break;
        ::Sleep(20);
    }
    return icon;
}

} // namespace

int ButtonId(std::string_view name) {
    for (int id = FirstButton; id <= LastButton; ++id)
        if (SameText(name, buttonNames[id - FirstButton]))
            return id;
    return 0;
}

std::string ButtonName(int id) {
    return id >= FirstButton && id <= LastButton ? buttonNames[id - FirstButton] : "";
}

TDialogSeen WatchDialog(const std::string& caption, int button, DWORD timeoutMs,
                        const TInspect& inspect) {
    TDialogSeen seen;
    DWORD start = ::GetTickCount();
    HWND box = nullptr;
    while (::GetTickCount() - start < timeoutMs) {
        box = ::FindWindowA("#32770", caption.c_str());
        if (box != nullptr && ::IsWindowVisible(box))
            break;
        box = nullptr;
        ::Sleep(10);
    }
    if (box == nullptr)
        return seen;
    seen.Found = true;
    seen.Caption = WindowText(box);
    HWND text = ::GetDlgItem(box, 0xFFFF);
    seen.Text = text != nullptr ? WindowText(text) : std::string();
    for (int id = FirstButton; id <= LastButton; ++id)
        if (::GetDlgItem(box, id) != nullptr)
            seen.Buttons.push_back(id);
    seen.Owner = ::GetWindow(box, GW_OWNER);
    seen.OwnerCaption = seen.Owner != nullptr ? WindowText(seen.Owner) : std::string();
    seen.ExStyle = static_cast<DWORD>(::GetWindowLongA(box, GWL_EXSTYLE));
    ::GetWindowRect(box, &seen.Rect);
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &seen.WorkArea, 0);
    seen.Icon = WaitForIcon(box);
    if (inspect)
        inspect(box);
    if (button == 0)
        return seen;
    // A button the box lacks is reported by pressing the first one it has, so that whoever
    // shows the box is not left waiting.
    if (std::find(seen.Buttons.begin(), seen.Buttons.end(), button) == seen.Buttons.end())
        button = seen.Buttons.empty() ? 0 : seen.Buttons.front();
    if (button == 0)
        return seen;
    ::SendMessageA(::GetDlgItem(box, button), BM_CLICK, 0, 0);
    seen.Pressed = button;
    for (DWORD waited = 0; waited < timeoutMs && ::IsWindow(box); waited += 10)
        ::Sleep(10);
    seen.Closed = !::IsWindow(box);
    return seen;
}

TDialogWatcher::TDialogWatcher(std::string caption, int button, DWORD timeoutMs, TInspect inspect)
    : thread_(
          [this, caption = std::move(caption), button, timeoutMs, inspect = std::move(inspect)] {
              seen_ = WatchDialog(caption, button, timeoutMs, inspect);
          }) {}

TDialogWatcher::~TDialogWatcher() {
    if (thread_.joinable())
        thread_.join();
}

const TDialogSeen& TDialogWatcher::Result() {
    if (thread_.joinable())
        thread_.join();
    return seen_;
}

} // namespace velk::test

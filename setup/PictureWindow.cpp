#include "setup/PictureWindow.h"

#include "platform/epFileHandles.h"
#include "platform/epUtils.h"
#include "setup/MainWnd.h"
#include "setup/SplashPicture.h"

namespace velk {

namespace {

// The start and the end of a file, without reading what lies between.
bool ReadHeadAndTail(const std::string& path, std::string& head, std::string& tail, size_t tailSize,
                     int64_t& size) {
    TFileHandle file =
        OpenFileHandle(path, FileAccessRead, FileShareRead, FileAttributeNormal, FileOpenExisting);
    if (file <= 0)
        return false;
    size = FileHandleSize(file);
    bool read = size >= int64_t(tailSize);
    if (read) {
        head.resize(size_t(size < int64_t(BitmapHeadSize) ? size : int64_t(BitmapHeadSize)));
        tail.resize(tailSize);
        read = ReadFileHandle(file, &head[0], uint32_t(head.size())) == int32_t(head.size()) &&
               SeekFileHandle(file, size - int64_t(tailSize), TSeekOrigin::Begin) >= 0 &&
               ReadFileHandle(file, &tail[0], uint32_t(tailSize)) == int32_t(tailSize);
    }
    CloseFileHandle(file);
    return read;
}

LRESULT CALLBACK PictureWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ERASEBKGND)
        return 1;
    if (message != WM_PAINT)
        return DefWindowProcA(window, message, wParam, lParam);
    PAINTSTRUCT paint;
    HDC target = BeginPaint(window, &paint);
    auto picture = reinterpret_cast<HBITMAP>(GetWindowLongPtrA(window, GWLP_USERDATA));
    BITMAP info = {};
    HDC source = CreateCompatibleDC(target);
    if (source && GetObjectA(picture, sizeof info, &info)) {
        HGDIOBJ previous = SelectObject(source, picture);
        BitBlt(target, 0, 0, info.bmWidth, info.bmHeight, source, 0, 0, SRCCOPY);
        SelectObject(source, previous);
    }
    if (source)
        DeleteDC(source);
    EndPaint(window, &paint);
    return 0;
}

} // namespace

TPicture LoadPicture(const std::string& path, size_t tailSize) {
    TPicture picture;
    std::string head;
    int64_t size = 0;
    if (!ReadHeadAndTail(path, head, picture.Tail, tailSize, size) ||
        !BitmapProblem(head, uint64_t(size) - tailSize).empty())
        return picture;
    picture.Bitmap = static_cast<HBITMAP>(LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0,
                                                     LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    BITMAP info = {};
    if (picture.Bitmap && GetObjectA(picture.Bitmap, sizeof info, &info)) {
        picture.Width = info.bmWidth;
        picture.Height = info.bmHeight;
    } else {
        FreePicture(picture);
    }
    return picture;
}

void FreePicture(TPicture& picture) {
    if (picture.Bitmap)
        DeleteObject(picture.Bitmap);
    picture = TPicture();
}

HWND CreatePictureWindow(const char* title, const TPicture& picture, int left, int top) {
    HWND owner = MainWindowHandle;
    auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(owner, GWLP_HINSTANCE));
    HWND window = CreateWindowExA(0, MainWindowClass, title, WS_POPUP, left, top, picture.Width,
                                  picture.Height, owner, nullptr, instance, nullptr);
    if (window) {
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(picture.Bitmap));
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(PictureWindowProc));
    }
    return window;
}

} // namespace velk

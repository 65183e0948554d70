#pragma once

#include <string>

#include "platform/win/WindowsSupport.h"

namespace velk {

// A picture file of the package, loaded only when it is a bitmap that can be shown safely.
struct TPicture {
    HBITMAP Bitmap = nullptr;
    int Width = 0;
    int Height = 0;
    std::string Tail; // the file's last bytes (a splash's trailer)

    explicit operator bool() const { return Bitmap != nullptr; }
};
TPicture LoadPicture(const std::string& path, size_t tailSize = 0);
void FreePicture(TPicture& picture);

// A hidden pop-up of the main window's class, owned by the main window, that paints the picture
// and erases nothing.
HWND CreatePictureWindow(const char* title, const TPicture& picture, int left, int top);

} // namespace velk

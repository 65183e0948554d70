#include "demo/frmDemo.h"

#include <commctrl.h>
#include <ole2.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    if (FAILED(OleInitialize(nullptr)))
        return 1;
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    int code = 1;
    {
        velk::demo::TfrmDemo form;
        if (velk::demo::TfrmDemo::Register(instance) && form.Create(instance) && form.Load()) {
            form.Show(showCommand);
            MSG message;
            while (GetMessageA(&message, nullptr, 0, 0) > 0) {
                TranslateMessage(&message);
                DispatchMessageA(&message);
            }
            code = 0;
        }
    }
    OleUninitialize();
    return code;
}

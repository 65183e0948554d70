#include "demo/frmDemo.h"

#include "demo/FormLayout.h"
#include "demo/Toolbar.h"
#include "demo/ToolbarKeys.h"

#include <commctrl.h>

#include <algorithm>

namespace velk::demo {

namespace {

constexpr int ListHeight = 140;
constexpr int MinPanelWidth = 48;
constexpr int PanelPadding = 16;
constexpr char ErrorCaption[] = "Korvel ActiveX Demo Application";

TfrmDemo* FormOf(HWND window) {
    return reinterpret_cast<TfrmDemo*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

} // namespace

TfrmDemo::TfrmDemo() : sink_([this](const TDemoEvent& event) { OnEvent(event); }) {}

TfrmDemo::~TfrmDemo() {
    if (form_ && IsWindow(form_))
        DestroyWindow(form_);
}

bool TfrmDemo::Register(HINSTANCE instance) {
    WNDCLASSA form = {};
    form.lpfnWndProc = FormProc;
    form.hInstance = instance;
    form.hCursor = LoadCursor(nullptr, IDC_ARROW);
    form.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
    form.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    form.lpszClassName = FormClass;
    WNDCLASSA mapper = form;
    mapper.lpfnWndProc = MapperProc;
    mapper.hIcon = nullptr;
    mapper.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1);
    mapper.lpszClassName = MapperClass;
    return RegisterClassA(&form) && RegisterClassA(&mapper);
}

bool TfrmDemo::Create(HINSTANCE instance) {
    form_ = CreateWindowExA(0, FormClass, FormCaption, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                            CW_USEDEFAULT, CW_USEDEFAULT, 800, 600, nullptr, nullptr, instance,
                            nullptr);
    if (!form_)
        return false;
    SetWindowLongPtrA(form_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    toolbar_ = CreateDemoToolbar(form_, instance);
    mapper_ = CreateWindowExA(WS_EX_CLIENTEDGE, MapperClass, "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0,
                              form_, nullptr, instance, nullptr);
    SetWindowLongPtrA(mapper_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    messages_ =
        CreateWindowExA(WS_EX_CLIENTEDGE, "LISTBOX", "",
                        WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, 0,
                        0, 0, 0, form_, nullptr, instance, nullptr);
    status_ = CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0,
                              0, 0, form_, nullptr, instance, nullptr);
    if (!toolbar_ || !mapper_ || !messages_ || !status_)
        return false;
    const HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    SendMessageA(messages_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    ShowStatusPanels();
    LayOut();
    return true;
}

void TfrmDemo::Show(int showCommand) {
    ShowWindow(form_, showCommand);
    UpdateWindow(form_);
}

void TfrmDemo::Trace(const std::string& message) {
    const LRESULT index =
        SendMessageA(messages_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(message.c_str()));
    if (index >= 0)
        SendMessageA(messages_, LB_SETCURSEL, WPARAM(index), 0);
}

LRESULT CALLBACK TfrmDemo::FormProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    TfrmDemo* form = FormOf(window);
    return form ? form->Handle(message, wParam, lParam)
                : DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK TfrmDemo::MapperProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    TfrmDemo* form = FormOf(window);
    if (form && message == WM_SIZE)
        form->MoveMapWindow();
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT TfrmDemo::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SIZE:
        SendMessageA(toolbar_, TB_AUTOSIZE, 0, 0);
        SendMessageA(status_, WM_SIZE, 0, 0);
        LayOut();
        return 0;
    case WM_COMMAND:
        if (!lParam || reinterpret_cast<HWND>(lParam) == toolbar_)
            OnCommand(LOWORD(wParam));
        return 0;
    case WM_NOTIFY: {
        auto* tip = reinterpret_cast<NMTTDISPINFOA*>(lParam);
        if (tip->hdr.code == TTN_GETDISPINFOA)
            tip->lpszText = const_cast<char*>(TooltipOfCommand(int(tip->hdr.idFrom)));
        return 0;
    }
    case WM_CLOSE:
        Unload();
        DestroyWindow(form_);
        return 0;
    case WM_DESTROY:
        sink_.Disconnect();
        control_.Release();
        mapInfo_.Release();
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(form_, message, wParam, lParam);
    }
}

namespace {

int HeightOf(HWND window) {
    RECT rect;
    GetWindowRect(window, &rect);
    return rect.bottom - rect.top;
}

} // namespace

void TfrmDemo::LayOut() {
    RECT client;
    GetClientRect(form_, &client);
    const TFormLayout layout =
        LayoutForm(client.right, client.bottom, HeightOf(toolbar_), HeightOf(status_), ListHeight);
    const TBox& list = layout.Messages;
    MoveWindow(messages_, list.Left, list.Top, list.Width, list.Height, TRUE);
    const TBox& map = layout.Mapper;
    MoveWindow(mapper_, map.Left, map.Top, map.Width, map.Height, TRUE);
}

void TfrmDemo::MoveMapWindow() {
    if (mapWindowId_ == "-1")
        return;
    RECT client;
    GetClientRect(mapper_, &client);
    const HWND map = reinterpret_cast<HWND>(static_cast<UINT_PTR>(mapWindow_));
    MoveWindow(map, 0, 0, client.right, client.bottom, TRUE);
}

void TfrmDemo::ShowStatusPanels() {
    const auto& texts = panels_.Texts();
    SendMessageA(status_, SB_SIMPLE, texts.empty(), 0);
    if (texts.empty())
        return;
    const HDC dc = GetDC(status_);
    const HGDIOBJ old =
        SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(status_, WM_GETFONT, 0, 0)));
    std::vector<int> edges;
    int right = 0;
    for (const std::string& text : texts) {
        SIZE size = {};
        GetTextExtentPoint32A(dc, text.c_str(), int(text.size()), &size);
        right += std::max(MinPanelWidth, int(size.cx) + PanelPadding);
        edges.push_back(right);
    }
    SelectObject(dc, old);
    ReleaseDC(status_, dc);
    SendMessageA(status_, SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
    for (size_t i = 0; i < texts.size(); ++i)
        SendMessageA(status_, SB_SETTEXTA, i, reinterpret_cast<LPARAM>(texts[i].c_str()));
}

void TfrmDemo::ShowError(const ECallFailed& error) {
    MessageBoxA(form_, CallFailedText(error).c_str(), ErrorCaption, MB_OK | MB_ICONERROR);
}

bool TfrmDemo::Fatal(const ECallFailed& error, const char* what) {
    const std::string text = std::string(what) + "\r\n\r\n" + CallFailedText(error);
    MessageBoxA(form_, text.c_str(), ErrorCaption, MB_OK | MB_ICONERROR);
    return false;
}

} // namespace velk::demo

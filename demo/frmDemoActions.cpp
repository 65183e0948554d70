#include "demo/DemoStatements.h"
#include "demo/KorvelXEvents.h"
#include "demo/ToolbarKeys.h"
#include "demo/frmDemo.h"

#include <commdlg.h>

namespace velk::demo {

namespace {

uint32_t HandleNumber(HWND window) {
    return static_cast<uint32_t>(reinterpret_cast<UINT_PTR>(window));
}

} // namespace

bool TfrmDemo::Load() {
    try {
        control_.Reset(TAutoObject::Create(KorvelXProgId));
        sink_.Connect(control_.Get());
    } catch (const ECallFailed& error) {
        return Fatal(error, "The KorvelX control (korvx.ocx) is not available.");
    }
    try {
        mapInfo_.Start();
    } catch (const ECallFailed& error) {
        return Fatal(error, "MapInfo Professional could not be started.");
    }
    try {
        mapInfo_.SetVisible(true);
        VARIANT app;
        app.vt = VT_DISPATCH;
        app.pdispVal = mapInfo_.Object();
        control_.Invoke(KorvelXApplicationProperty, DISPATCH_PROPERTYPUTREF, {app}, nullptr,
                        "MapInfoApp");
        SendLoadStatements();
    } catch (const ECallFailed& error) {
        ShowError(error);
    }
    return true;
}

void TfrmDemo::SendLoadStatements() {
    for (const std::string& statement : CustomItemStatements())
        mapInfo_.Do(statement);
    mapInfo_.Do(ApplicationWindowStatement(HandleNumber(form_)));
    mapInfo_.Do(DocumentParentStatement(HandleNumber(mapper_)));
    mapWindowId_ = "-1";
}

void TfrmDemo::OnCommand(int command) {
    const TToolbarAction action = ActionForKey(KeyOfCommand(command));
    try {
        switch (action.Kind) {
        case TActionKind::Do:
            mapInfo_.Do(action.Statement);
            break;
        case TActionKind::RunMenuCommand:
            mapInfo_.RunMenuCommand(action.MenuCommand);
            break;
        case TActionKind::Open:
            OpenTable();
            break;
        case TActionKind::EndApp:
            DestroyWindow(form_);
            break;
        case TActionKind::None:
            break;
        }
    } catch (const ECallFailed& error) {
        ShowError(error);
    }
}

void TfrmDemo::OpenTable() {
    char path[1024] = "";
    OPENFILENAMEA dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = form_;
    dialog.lpstrFilter = "MapInfo Tables (*.tab)\0*.tab\0";
    dialog.lpstrFile = path;
    dialog.nMaxFile = sizeof path;
    dialog.lpstrTitle = "Open Table";
    dialog.lpstrDefExt = "tab";
    dialog.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    if (!GetOpenFileNameA(&dialog)) {
        if (const DWORD code = CommDlgExtendedError())
            throw ECallFailed("GetOpenFileName", "common dialog error " + std::to_string(code));
        return;
    }
    for (const std::string& statement : OpenTableStatements(path))
        mapInfo_.Do(statement);
    const std::string windowId = mapInfo_.Eval("FrontWindow()");
    const std::string handleExpression = WindowHandleExpression(windowId);
    const std::string handleText = mapInfo_.Eval(handleExpression);
    uint32_t handle = 0;
    if (!ParseHandle(handleText, handle))
        throw ECallFailed("Eval(" + handleExpression + ")",
                          "\"" + handleText + "\" is no window handle");
    mapWindowId_ = windowId;
    mapWindow_ = handle;
}

void TfrmDemo::OnEvent(const TDemoEvent& event) {
    if (const auto line = TraceLine(event)) {
        Trace(*line);
    } else if (const auto heading = WalkHeading(event.Kind)) {
        try {
            WalkObject(mapInfo_, *heading, [this](const std::string& line) { Trace(line); });
        } catch (const ECallFailed& error) {
            ShowError(error);
        }
    } else if (event.Kind == TEventKind::StatusPanelCount) {
        if (panels_.SetCount(event.Id))
            ShowStatusPanels();
    } else if (event.Kind == TEventKind::StatusPanelText) {
        if (panels_.SetText(event.Id, event.Text))
            ShowStatusPanels();
    }
}

void TfrmDemo::Unload() {
    if (!mapInfo_.Object())
        return;
    try {
        mapInfo_.Do("End MapInfo");
    } catch (const ECallFailed& error) {
        ShowError(error);
    }
    mapInfo_.Release();
}

} // namespace velk::demo

#pragma once

// The contract between korvx_demo and the KorvelX control ("KorvelXControl.KorvelX").
//
// The control takes the MapInfo application object through its property "MapInfoApp" (put or
// put by reference) and from then on relays MapInfo's OLE callbacks as events of the source
// dispinterface DIID_DKorvelXEvents, offered through IConnectionPointContainer. Each event is
// called with DISPATCH_METHOD and exactly the arguments below, first argument first (rgvarg in
// reverse order, as IDispatch has it). Coordinates are VT_R4 map coordinates, ids VT_I4; the
// receiver converts other numeric or text types it can, and a call with another argument count
// fails with DISP_E_BADPARAMCOUNT.
//
//   dispid  event                  arguments
//   1       EllipseTool            x1, y1, x2, y2, extra1, extra2, toolId
//   2       LineTool               x1, y1, x2, y2, extra1, extra2, toolId
//   3       RectTool               x1, y1, x2, y2, extra1, extra2, toolId
//   4       SymbolTool             x, y, extra1, extra2, toolId
//   5       PolylineTool           toolId  (the object is read from MapInfo)
//   6       RegionTool             toolId  (the object is read from MapInfo)
//   7       PushButton             buttonId
//   8       ToggleButton           buttonId
//   9       WindowContentsChanged  windowId
//   10      MenuItem               menuItemId
//   11      StatusPanelCount       count
//   12      StatusPanelText        index (zero-based), text (VT_BSTR)
//   13      TextNotification       text (VT_BSTR)
//
// extra1 and extra2 are whatever the tool reports beyond its points (any type); korvx_demo
// ignores them.

#include "demo/DemoEvent.h"
#include "platform/win/WindowsSupport.h"

#include <oaidl.h>

namespace velk::demo {

// {5B1C3E2A-7D4F-4C8B-9A61-2E8F0D3B7C41}
inline constexpr IID DIID_DKorvelXEvents = {
    0x5b1c3e2a, 0x7d4f, 0x4c8b, {0x9a, 0x61, 0x2e, 0x8f, 0x0d, 0x3b, 0x7c, 0x41}};

inline constexpr wchar_t KorvelXProgId[] = L"KorvelXControl.KorvelX";
inline constexpr wchar_t KorvelXApplicationProperty[] = L"MapInfoApp";

struct TKorvelXEventInfo {
    const wchar_t* Name;
    DISPID Id;
    TEventKind Kind;
    unsigned ArgCount;
};

inline constexpr TKorvelXEventInfo KorvelXEvents[] = {
    {L"EllipseTool", 1, TEventKind::EllipseTool, 7},
    {L"LineTool", 2, TEventKind::LineTool, 7},
    {L"RectTool", 3, TEventKind::RectTool, 7},
    {L"SymbolTool", 4, TEventKind::SymbolTool, 5},
    {L"PolylineTool", 5, TEventKind::PolylineTool, 1},
    {L"RegionTool", 6, TEventKind::RegionTool, 1},
    {L"PushButton", 7, TEventKind::PushButton, 1},
    {L"ToggleButton", 8, TEventKind::ToggleButton, 1},
    {L"WindowContentsChanged", 9, TEventKind::WindowChanged, 1},
    {L"MenuItem", 10, TEventKind::MenuItem, 1},
    {L"StatusPanelCount", 11, TEventKind::StatusPanelCount, 1},
    {L"StatusPanelText", 12, TEventKind::StatusPanelText, 2},
    {L"TextNotification", 13, TEventKind::TextNotification, 1},
};

} // namespace velk::demo

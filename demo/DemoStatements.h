#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velk::demo {

// A custom item the form installs in MapInfo: one button pad whose handler is an OLE callback
// of the KorvelX control. Pad and method names carry their double quotes.
struct TCustomItem {
    const char* Pad;
    const char* Middle;
    const char* Method;
    const char* Key;
    const char* RunStatement;
    bool IsTool; // tools get the custom cursor
};

extern const TCustomItem CustomItems[8];

// The statements of form load that create the pads and the "Callback" menu, in order.
std::vector<std::string> CustomItemStatements();
std::string ApplicationWindowStatement(uint32_t formWindow);
std::string DocumentParentStatement(uint32_t mapperWindow);

// A table is named by its file name without the folder and without its extension.
std::string TableName(std::string_view path);
// "Open Table", "Map From" and "Set Map Display Position" for the chosen file.
std::vector<std::string> OpenTableStatements(std::string_view path);
std::string WindowHandleExpression(std::string_view windowId);

// A MapBasic number as a 16- or 32-bit integer (blanks around it allowed, a fraction rounded to
// even); false when it is no number or out of range.
bool ParseInt16(std::string_view text, int16_t& value);
// Window handles are 32 bits, read signed or unsigned.
bool ParseHandle(std::string_view text, uint32_t& value);

} // namespace velk::demo

#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace velk {

// A shell shortcut (".lnk") written through the system's shell-link object. It writes only; the
// caller fills the fields, creates the shortcut's folder and saves it once.
class TepShellLink {
public:
    // Stores LinkFile, then Write.
    bool Save(const std::string& linkFile);
    // Unquotes every field but Arguments, then writes the shortcut; true only when every
    // property and the save were accepted. Raises Exception when the shell-link object cannot be
    // created at all.
    bool Write();

    std::string LinkFile;
    std::string Target;
    std::string Arguments;
    std::string WorkingDir;
    std::string Description;
    std::string IconFile;
    uint8_t ShowCmd = 0; // 0 normal, 1 minimised, 2 maximised, any other normal
    uint16_t HotKey = 0; // virtual key in the low byte, modifier flags in the high byte
    int32_t IconIndex = 0;
};

// Portable pieces of the above.

// A text that starts with a double quote: up to the next single one, a doubled quote standing
// for one and the rest after the closing quote dropped (without one, the rest is taken). Any
// other text unchanged.
std::string UnquoteLinkText(std::string_view text);
// The system's show command for a ShowCmd.
int32_t LinkShowCommand(uint8_t showCmd);

} // namespace velk

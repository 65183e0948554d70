#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace velk {

// How results travel back into buffers that plug-ins supply.

// Text protocol: an empty text answers 0 and leaves out alone; a nil out asks for the size
// needed (length plus the NUL); otherwise the text is copied with its NUL and the answer is 0.
int32_t PutText(const std::string& text, char* out);

// One field of a block header: a number, or a text that follows the header (absent: nil).
struct TBlockField {
    bool IsText = false;
    bool Present = false;
    int32_t Number = 0;
    std::string Text;

    static TBlockField Num(int32_t n) { return {false, true, n, {}}; }
    static TBlockField Str(const std::string& s) { return {true, true, 0, s}; }
    static TBlockField None() { return {true, false, 0, {}}; }
};

// Block protocol: a nil out asks for the block's size; otherwise the block is zeroed and filled
// and the answer is 0. outAddress is out's address as the plug-in sees it (32 bits), which the
// text fields point into.
int32_t PutBlock(const std::vector<TBlockField>& fields, uint8_t* out, uint32_t outAddress);

// Lines joined by CR LF.
std::string JoinLines(const std::vector<std::string>& lines);

} // namespace velk

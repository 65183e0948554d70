#pragma once

#include <string_view>

namespace velk {

// A set over the 256 byte values, for the scanner's character classes: one byte per value, as
// the scanner tests every character of a condition against them.
class TepCharSet {
public:
    TepCharSet() = default;
    explicit TepCharSet(std::string_view chars) { Add(chars); }

    bool Contains(char c) const { return members_[static_cast<unsigned char>(c)]; }
    TepCharSet& Add(char c) {
        members_[static_cast<unsigned char>(c)] = true;
        return *this;
    }
    TepCharSet& Add(std::string_view chars) {
        for (char c : chars)
            Add(c);
        return *this;
    }
    TepCharSet& AddRange(char first, char last) {
        for (int c = static_cast<unsigned char>(first); c <= static_cast<unsigned char>(last); ++c)
            Add(static_cast<char>(c));
        return *this;
    }
    TepCharSet& Remove(char c) {
        members_[static_cast<unsigned char>(c)] = false;
        return *this;
    }

private:
    bool members_[256] = {};
};

} // namespace velk

#include "harness/WineRegistryFile.h"

#include <fstream>
#include <sstream>

namespace velk::test {

namespace {

constexpr uint32_t RegSz = 1;
constexpr uint32_t RegBinary = 3;
constexpr uint32_t RegDWord = 4;

std::string Upper(std::string_view text) {
    std::string result(text);
    for (char& c : result)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    return result;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

void AppendUtf8(std::string& out, char16_t unit) {
    if (unit < 0x80) {
        out += char(unit);
    } else if (unit < 0x800) {
        out += char(0xC0 | (unit >> 6));
        out += char(0x80 | (unit & 0x3F));
    } else {
        out += char(0xE0 | (unit >> 12));
        out += char(0x80 | ((unit >> 6) & 0x3F));
        out += char(0x80 | (unit & 0x3F));
    }
}

// The file, line by line, with the position of the failure for the message.
class TReader {
public:
    explicit TReader(std::string_view text) : text_(text) {}

    bool Next(std::string_view& line) {
        if (next_ >= text_.size())
            return false;
        size_t end = text_.find('\n', next_);
        if (end == std::string_view::npos)
            end = text_.size();
        line = text_.substr(next_, end - next_);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        next_ = end + 1;
        ++number_;
        return true;
    }
    bool Fail(const std::string& what) {
        error_ = "line " + std::to_string(number_) + ": " + what;
        return false;
    }
    const std::string& Error() const { return error_; }

private:
    std::string_view text_;
    size_t next_ = 0;
    int number_ = 0;
    std::string error_;
};

size_t SkipBlanks(std::string_view line, size_t pos) {
    while (pos < line.size() && IsBlank(line[pos]))
        ++pos;
    return pos;
}

// The character of a C-style escape letter ("\n", "\e"), or 0 for any other letter.
char ControlEscape(char letter) {
    switch (letter) {
    case 'a':
        return '\a';
    case 'b':
        return '\b';
    case 't':
        return '\t';
    case 'n':
        return '\n';
    case 'v':
        return '\v';
    case 'f':
        return '\f';
    case 'r':
        return '\r';
    case 'e':
        return '\033';
    default:
        return 0;
    }
}

// Reads escaped text up to the unescaped delimiter and leaves pos just after it. False for a
// text that is not closed, an escape cut short, or a character outside ASCII (which the format
// always escapes).
bool ReadEscaped(std::string_view line, size_t& pos, char delimiter, std::u16string& out) {
    while (pos < line.size()) {
        const char c = line[pos++];
        if (static_cast<unsigned char>(c) > 127)
            return false;
        if (c == delimiter)
            return true;
        if (c != '\\') {
            out += char16_t(c);
            continue;
        }
        if (pos >= line.size())
            return false;
        const char e = line[pos++];
        if (char control = ControlEscape(e)) {
            out += char16_t(control);
        } else if (e == 'x') {
            unsigned value = 0;
            int digits = 0;
            for (; digits < 4 && pos < line.size() && HexDigit(line[pos]) >= 0; ++digits)
                value = value * 16 + unsigned(HexDigit(line[pos++]));
            if (digits == 0)
                return false;
            out += char16_t(value);
        } else if (e >= '0' && e <= '7') {
            unsigned value = unsigned(e - '0');
            for (int digits = 1;
                 digits < 3 && pos < line.size() && line[pos] >= '0' && line[pos] <= '7'; ++digits)
                value = value * 8 + unsigned(line[pos++] - '0');
            out += char16_t(value);
        } else {
            out += char16_t(e);
        }
    }
    return false;
}

std::string ToUtf8(const std::u16string& units) {
    std::string result;
    for (char16_t unit : units)
        AppendUtf8(result, unit);
    return result;
}

// "str(2):" and "hex(7):" carry the type in hexadecimal; pos is just after the "(".
bool ReadType(std::string_view line, size_t& pos, uint32_t& type) {
    size_t start = pos;
    type = 0;
    for (; pos < line.size() && HexDigit(line[pos]) >= 0 && pos - start < 8; ++pos)
        type = type * 16 + uint32_t(HexDigit(line[pos]));
    if (pos == start || line.substr(pos, 2) != "):")
        return false;
    pos += 2;
    return true;
}

// Comma-separated bytes in hexadecimal; a backslash at the end of a line continues the list on
// the next one, after its leading blanks.
bool ReadHex(TReader& reader, std::string_view line, size_t pos, std::vector<uint8_t>& data) {
    for (;;) {
        pos = SkipBlanks(line, pos);
        while (pos < line.size() && HexDigit(line[pos]) >= 0) {
            unsigned value = unsigned(HexDigit(line[pos++]));
            if (pos < line.size() && HexDigit(line[pos]) >= 0)
                value = value * 16 + unsigned(HexDigit(line[pos++]));
            data.push_back(uint8_t(value));
            pos = SkipBlanks(line, pos);
            if (pos < line.size() && line[pos] == ',')
                pos = SkipBlanks(line, pos + 1);
        }
        if (pos == line.size())
            return true;
        if (line[pos] != '\\' || SkipBlanks(line, pos + 1) != line.size())
            return reader.Fail("malformed hexadecimal data");
        if (!reader.Next(line))
            return reader.Fail("hexadecimal data continued past the end of the file");
        pos = 0;
    }
}

bool ReadValue(TReader& reader, std::string_view line, size_t pos, std::string& name,
               TWineRegValue& value) {
    if (line[pos] == '@') {
        ++pos;
    } else {
        std::u16string units;
        ++pos;
        if (!ReadEscaped(line, pos, '"', units))
            return reader.Fail("malformed value name");
        name = ToUtf8(units);
    }
    pos = SkipBlanks(line, pos);
    if (pos >= line.size() || line[pos] != '=')
        return reader.Fail("value name without \"=\"");
    pos = SkipBlanks(line, pos + 1);
    std::string_view data = line.substr(pos);

    bool text = false;
    if (data.substr(0, 1) == "\"") {
        value.Type = RegSz;
        pos += 1;
        text = true;
    } else if (data.substr(0, 5) == "str:\"") {
        value.Type = RegSz;
        pos += 5;
        text = true;
    } else if (data.substr(0, 4) == "str(") {
        pos += 4;
        if (!ReadType(line, pos, value.Type) || pos >= line.size() || line[pos++] != '"')
            return reader.Fail("malformed string type");
        text = true;
    }
    if (text) {
        std::u16string units;
        if (!ReadEscaped(line, pos, '"', units) || SkipBlanks(line, pos) != line.size())
            return reader.Fail("malformed string");
        // Strings are saved in this form only when they end in a zero, which is left out.
        units += u'\0';
        for (char16_t unit : units) {
            value.Data.push_back(uint8_t(unit & 0xFF));
            value.Data.push_back(uint8_t(unit >> 8));
        }
        return true;
    }
    if (data.substr(0, 6) == "dword:") {
        value.Type = RegDWord;
        pos += 6;
        uint32_t number = 0;
        size_t start = pos;
        for (; pos < line.size() && HexDigit(line[pos]) >= 0 && pos - start < 8; ++pos)
            number = number * 16 + uint32_t(HexDigit(line[pos]));
        if (pos == start || SkipBlanks(line, pos) != line.size())
            return reader.Fail("malformed dword");
        for (int i = 0; i < 4; ++i)
            value.Data.push_back(uint8_t(number >> (8 * i)));
        return true;
    }
    if (data.substr(0, 4) == "hex:") {
        value.Type = RegBinary;
        return ReadHex(reader, line, pos + 4, value.Data);
    }
    if (data.substr(0, 4) == "hex(") {
        pos += 4;
        if (!ReadType(line, pos, value.Type))
            return reader.Fail("malformed hexadecimal type");
        return ReadHex(reader, line, pos, value.Data);
    }
    return reader.Fail("unknown kind of data");
}

} // namespace

bool TWineRegistryFile::Parse(std::string_view text, std::string& error) {
    keys_.clear();
    TReader reader(text);
    std::string_view line;
    if (!reader.Next(line) || line != "WINE REGISTRY Version 2") {
        error = "not a Wine registry file (no \"WINE REGISTRY Version 2\" header)";
        return false;
    }
    std::map<std::string, TKey> keys;
    TKey* key = nullptr;
    bool ok = true;
    while (ok && reader.Next(line)) {
        size_t pos = SkipBlanks(line, 0);
        if (pos == line.size() || line[pos] == ';' || line[pos] == '#')
            continue;
        if (line[pos] == '[') {
            std::u16string units;
            ++pos;
            if (!ReadEscaped(line, pos, ']', units)) {
                ok = reader.Fail("malformed key");
                break;
            }
            // The save time, in seconds since 1970, may follow.
            pos = SkipBlanks(line, pos);
            while (pos < line.size() && line[pos] >= '0' && line[pos] <= '9')
                ++pos;
            if (SkipBlanks(line, pos) != line.size()) {
                ok = reader.Fail("unexpected text after the key");
                break;
            }
            key = &keys[Upper(ToUtf8(units))];
        } else if (line[pos] == '@' || line[pos] == '"') {
            if (!key) {
                ok = reader.Fail("value outside any key");
                break;
            }
            std::string name;
            TWineRegValue value;
            ok = ReadValue(reader, line, pos, name, value);
            if (ok) {
                std::string upper = Upper(name);
                if (!key->Values.count(upper))
                    key->Order.push_back(name);
                key->Values[upper] = std::move(value);
            }
        } else {
            ok = reader.Fail("unrecognised line");
        }
    }
    if (!ok) {
        error = reader.Error();
        return false;
    }
    keys_ = std::move(keys);
    return true;
}

bool TWineRegistryFile::Load(const std::string& fileName, std::string& error) {
    std::ifstream file(fileName, std::ios::binary);
    if (!file) {
        error = "cannot open " + fileName;
        return false;
    }
    std::ostringstream text;
    text << file.rdbuf();
    if (Parse(text.str(), error))
        return true;
    error = fileName + ": " + error;
    return false;
}

bool TWineRegistryFile::HasKey(std::string_view path) const {
    return keys_.count(Upper(path)) != 0;
}

const TWineRegValue* TWineRegistryFile::Find(std::string_view path, std::string_view name) const {
    auto key = keys_.find(Upper(path));
    if (key == keys_.end())
        return nullptr;
    auto value = key->second.Values.find(Upper(name));
    return value == key->second.Values.end() ? nullptr : &value->second;
}

std::vector<std::string> TWineRegistryFile::ValueNames(std::string_view path) const {
    auto key = keys_.find(Upper(path));
    return key == keys_.end() ? std::vector<std::string>() : key->second.Order;
}

std::vector<uint8_t> WidenedBytes(std::string_view narrow) {
    std::vector<uint8_t> bytes;
    for (char c : narrow) {
        bytes.push_back(static_cast<uint8_t>(c));
        bytes.push_back(0);
    }
    return bytes;
}

} // namespace velk::test

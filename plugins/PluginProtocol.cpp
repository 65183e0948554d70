#include "plugins/PluginProtocol.h"

#include <cstring>

#include "platform/StrUtils.h"

namespace velk {

int32_t PutText(const std::string& text, char* out) {
    if (text.empty())
        return 0;
    if (out == nullptr)
        return int32_t(text.size() + 1);
    std::memcpy(out, text.c_str(), text.size() + 1);
    return 0;
}

int32_t PutBlock(const std::vector<TBlockField>& fields, uint8_t* out, uint32_t outAddress) {
    size_t size = fields.size() * 4;
    for (const TBlockField& f : fields)
        if (f.IsText && f.Present)
            size += f.Text.size() + 1;
    if (out == nullptr)
        return int32_t(size);
    std::memset(out, 0, size);
    size_t text = fields.size() * 4;
    for (size_t i = 0; i < fields.size(); ++i) {
        const TBlockField& f = fields[i];
        uint32_t value = uint32_t(f.Number);
        if (f.IsText) {
            value = 0;
            if (f.Present) {
                value = outAddress + uint32_t(text);
                std::memcpy(out + text, f.Text.c_str(), f.Text.size() + 1);
                text += f.Text.size() + 1;
            }
        }
        PutLE32(out + i * 4, value);
    }
    return 0;
}

std::string JoinLines(const std::vector<std::string>& lines) {
    std::string joined;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i > 0)
            joined += "\r\n";
        joined += lines[i];
    }
    return joined;
}

} // namespace velk

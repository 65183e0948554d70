#include "platform/epRegIniKey.h"

// Linux has no registry: every key fails to open, so reads give their defaults and writes fail.

namespace velk {

TRegKey::~TRegKey() = default;

TRegKey TRegKey::Open(const TRegPath&, TRegAccess) {
    return TRegKey();
}

TRegKey TRegKey::Create(const TRegPath&) {
    return TRegKey();
}

bool TRegKey::QueryValue(const std::string&, uint32_t*, void*, uint32_t*) const {
    return false;
}

bool TRegKey::SetValue(const std::string&, uint32_t, const void*, uint32_t) const {
    return false;
}

bool TRegKey::DeleteValue(const std::string&) const {
    return false;
}

bool TRegKey::DeleteSubKey(const std::string&) const {
    return false;
}

bool TRegKey::EnumSubKey(uint32_t, std::string&) const {
    return false;
}

bool TRegKey::EnumValue(uint32_t, std::string&) const {
    return false;
}

} // namespace velk

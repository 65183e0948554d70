#include "platform/epUtils2.h"

#include "platform/win/WindowsSupport.h"
#include "platform/win/epUtils2Api.h"

#include <vector>

namespace velk {

TVersionApi VersionApi;

bool GetFileVersion(const std::string& fileName, uint32_t& ms, uint32_t& ls) {
    DWORD ignored = 0;
    DWORD size = VersionApi.GetFileVersionInfoSizeA(fileName.c_str(), &ignored);
    if (size == 0)
        return false;
    std::vector<char> block(size_t(size) + 1);
    if (!VersionApi.GetFileVersionInfoA(fileName.c_str(), 0, size, block.data()))
        return false;
    void* value = nullptr;
    UINT length = 0;
    if (!VersionApi.VerQueryValueA(block.data(), "\\", &value, &length) || value == nullptr ||
        length < sizeof(VS_FIXEDFILEINFO))
        return false;
    const auto* info = static_cast<const VS_FIXEDFILEINFO*>(value);
    if (info->dwSignature != VS_FFI_SIGNATURE)
        return false;
    ms = info->dwFileVersionMS;
    ls = info->dwFileVersionLS;
    return true;
}

} // namespace velk

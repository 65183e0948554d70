// Deleting whole keys and making new value names: apart from the other registry helpers because
// setup.exe links every function of a file it uses, and these serve the install actions only.
#include "platform/epRegIni.h"

#include <chrono>

#include "platform/StrUtils.h"
#include "platform/epRegIniKey.h"

namespace velk {

// Value names only have to avoid the names already in a key, so a small generator serves,
// seeded once when the program starts.
static uint64_t RandomState =
    static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());

// 0 to 2147483646 (splitmix64).
static int32_t NextRandom() {
    uint64_t z = (RandomState += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return static_cast<int32_t>((z ^ (z >> 31)) % 2147483647u);
}

bool DeleteRegKey(const std::string& Path, bool Recursive) {
    // An empty or root-only path (say, an unset variable) must not empty a whole hive.
    if (ParseRegPath(Path).SubKey.empty())
        return false;
    if (Recursive) {
        std::vector<std::string> subKeys;
        EnumRegKeys(Path, subKeys);
        std::string prefix = Path.back() == '\\' ? Path : Path + '\\';
        for (const std::string& subKey : subKeys)
            DeleteRegKey(prefix + subKey, true);
    }
    std::string_view path(Path);
    if (path.back() == '\\')
        path.remove_suffix(1);
    // Key names may hold ":", so only a backslash separates the parent.
    size_t slash = path.rfind('\\');
    std::string_view parent =
        slash == std::string_view::npos ? std::string_view() : path.substr(0, slash);
    std::string name(slash == std::string_view::npos ? path : path.substr(slash + 1));
    if (name.empty())
        return false;
    TRegKey key = TRegKey::Open(ParseRegPath(parent), TRegAccess::Write);
    return key.IsOpen() && key.DeleteSubKey(name);
}

bool RegKeyIsEmpty(const std::string& Path) {
    TRegKey key = TRegKey::Open(ParseRegPath(Path), TRegAccess::Read);
    std::string name;
    return key.IsOpen() && !key.EnumSubKey(0, name) && !key.EnumValue(0, name);
}

std::string MakeUniqueRegValueName(const std::string& Path, std::string_view Prefix) {
    std::string name;
    do
        name = std::string(Prefix) + IntToStr(NextRandom());
    while (RegValueExists(Path, name));
    return name;
}

} // namespace velk

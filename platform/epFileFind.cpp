#include "platform/epFileFind.h"

namespace velk {

bool SearchEntryMatches(std::string_view name, int32_t attr, int32_t includeAttr,
                        int32_t excludeAttr) {
    return (includeAttr == faAnyFile || (attr & includeAttr) != 0) && (attr & excludeAttr) == 0 &&
           name != "." && name != "..";
}

} // namespace velk

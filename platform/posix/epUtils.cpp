#include "platform/epUtils.h"

namespace velk {

// Not a Windows system: no kind, numbers or description to report.
const TOSVersion& OSVersion() {
    static const TOSVersion os;
    return os;
}

} // namespace velk

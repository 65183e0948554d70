#pragma once

#include "platform/Exception.h"

namespace velk {

// Bad input to "velkpack build": the message names the file and the problem.
class EBuildError : public Exception {
public:
    using Exception::Exception;
};

} // namespace velk

#pragma once

#include <stdexcept>
#include <string>
#include <utility>

namespace velk::demo {

// A call to MapInfo or the control that failed: the call as "Name(argument)" and the reason.
class ECallFailed : public std::runtime_error {
public:
    ECallFailed(std::string call, const std::string& reason)
        : std::runtime_error(reason), Call(std::move(call)) {}
    std::string Call;
};

// What the error box says about a failed call.
inline std::string CallFailedText(const ECallFailed& error) {
    return error.Call + " failed:\r\n" + error.what();
}

} // namespace velk::demo

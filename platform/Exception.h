#pragma once

#include <exception>
#include <string>

namespace velk {

// Base of every error the engine raises on purpose: it carries the text shown to the user.
class Exception : public std::exception {
public:
    explicit Exception(std::string message) : message_(std::move(message)) {}
    const char* what() const noexcept override { return message_.c_str(); }
    const std::string& Message() const { return message_; }

private:
    std::string message_;
};

} // namespace velk

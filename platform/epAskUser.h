#pragma once

#include <cstdint>
#include <string>

#include "platform/epUtils.h"

namespace velk {

enum class TAskIcon : uint8_t { Information, Question, Warning, Error, None };
enum class TAskButtons : uint8_t { Ok, YesNo, OkCancel };

// Puts a question to the user; true when the answer was OK or Yes.
using TAskUserFunction = bool (*)(TWindowHandle owner, const std::string& caption,
                                  const std::string& text, TAskIcon icon, TAskButtons buttons);

// How questions reach the user: a message box on Windows, the terminal on Linux (no terminal
// answers no). Tests put their own in place.
extern TAskUserFunction AskUserHandler;

} // namespace velk

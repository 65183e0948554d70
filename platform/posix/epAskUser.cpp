#include "platform/epAskUser.h"

#include <cstdio>
#include <unistd.h>

#include "platform/StrUtils.h"

namespace velk {

namespace {

// The question goes to the terminal on standard error, the answer comes from standard input;
// when either is no terminal nobody can answer.
bool AskOnTerminal(TWindowHandle, const std::string& caption, const std::string& text, TAskIcon,
                   TAskButtons buttons) {
    if (!::isatty(STDIN_FILENO) || !::isatty(STDERR_FILENO))
        return false;
    static const char* const prompts[] = {"[OK: Enter]", "[y/n]", "[o(k)/c(ancel)]"};
    std::fprintf(stderr, "%s\n%s\n%s ", caption.c_str(), text.c_str(), prompts[int(buttons)]);
    std::fflush(stderr);
    char line[256];
    if (!std::fgets(line, sizeof line, stdin))
        return false;
    std::string answer = LowerCase(Trim(line));
    switch (buttons) {
    case TAskButtons::YesNo:
        return answer == "y" || answer == "yes";
    case TAskButtons::OkCancel:
        return answer == "o" || answer == "ok";
    default:
        return true;
    }
}

} // namespace

TAskUserFunction AskUserHandler = AskOnTerminal;

} // namespace velk

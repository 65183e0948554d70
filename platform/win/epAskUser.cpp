#include "platform/epAskUser.h"

#include "platform/win/WindowsSupport.h"

namespace velk {

namespace {

bool AskWithMessageBox(TWindowHandle owner, const std::string& caption, const std::string& text,
                       TAskIcon icon, TAskButtons buttons) {
    static const UINT icons[] = {MB_ICONINFORMATION, MB_ICONQUESTION, MB_ICONEXCLAMATION,
                                 MB_ICONSTOP, 0};
    static const UINT buttonSets[] = {MB_OK, MB_YESNO, MB_OKCANCEL};
    int answer =
        MessageBoxCentered(owner, caption, text, icons[int(icon)] | buttonSets[int(buttons)]);
    return answer == IDOK || answer == IDYES;
}

} // namespace

TAskUserFunction AskUserHandler = AskWithMessageBox;

} // namespace velk

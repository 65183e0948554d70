#pragma once

#include <string>

#include "platform/win/WindowsSupport.h"

namespace velk {

// The preparation window with its progress bar: the package's "presetup.bmp", or the dialog
// "DLG_PRESETUP" of the program's resources when the package has none.
void ShowPreparationWindow(const std::string& packageFolder, const std::string& packageName,
                           HINSTANCE resources);
bool PreparationWindowVisible();
void SetPreparationCaption(const std::string& packageName);
void SetPreparationProgress(int percent);
void ClosePreparationWindow();

} // namespace velk

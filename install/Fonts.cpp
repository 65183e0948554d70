#include <windows.h>

#include "database/VKVariables.h"
#include "install/InstallLog.h"
#include "install/ItemActions.h"
#include "install/ItemEvents.h"
#include "install/ItemTexts.h"
#include "platform/StrUtils.h"
#include "platform/epFileUtils.h"
#include "platform/epRegIni.h"
#include "platform/epReplaceOnRestart.h"
#include "platform/epUtils.h"
#include "plugins/ErrorBox.h"

namespace velk {

namespace {

constexpr const char* Fonts9xKey = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Fonts\\";
constexpr const char* FontsNTKey = "HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts\\";

class TFontInstall {
public:
    TFontInstall(TvkMainDatabase& db, const TFontEntry& entry)
        : db_(db), entry_(entry), fontsFolder_(GetVariable(&db, "Fonts", "")),
          key_(IsWin9xFamily(OSVersion()) ? Fonts9xKey : FontsNTKey), name_(entry.FontName),
          destination_(entry.Destination) {}

    bool Run() {
        bool registered = Registered();
        if (!registered && LowerCase(ExtractFileExt(destination_)) == ".ttf") {
            name_ += " (TrueType)";
            registered = Registered();
        }
        const std::string folder = ExtractFilePath(destination_);
        if (!registered && FileExists(destination_)) {
            // An unrelated file of that name stays.
            const std::string ext = ExtractFileExt(destination_);
            const std::string base = ExtractFileName(destination_);
            destination_ =
                folder +
                MakeUniqueFileName(folder, base.substr(0, base.size() - ext.size()), ext, false);
        }
        std::string target = destination_;
        if (FileExists(destination_) && !DeleteFileForced(destination_))
            target = folder + MakeUniqueFileName(folder, "font", ".tmp", false);
        if (!CopyFileWithProgress(entry_.Unpacked, target, nullptr, false))
            return false;
        if (target != destination_) {
            ReplaceFileOnRestart(target, destination_);
            SetVariableBool(&db_, "Reboot", true);
        }
        if (registered)
            return true;
        if (AddFontResourceA(destination_.c_str()) == 0)
            return false;
        WriteRegString(key_, name_, FontRegistryValue(fontsFolder_, destination_));
        DWORD_PTR ignored;
        SendMessageTimeoutA(HWND_BROADCAST, WM_FONTCHANGE, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
        if (entry_.Logged) {
            InstallLog().Write(TLogSection::CopyFiles, destination_);
            InstallLog().Write(TLogSection::RegFonts, name_, destination_);
        }
        return true;
    }

private:
    // Whether the font is registered under the current name; its file becomes the destination.
    bool Registered() {
        if (!RegValueExists(key_, name_))
            return false;
        const std::string file = ReadRegString(key_, name_, "");
        destination_ =
            ExtractFilePath(file).empty() ? IncludeTrailingBackslash(fontsFolder_) + file : file;
        return true;
    }

    TvkMainDatabase& db_;
    const TFontEntry& entry_;
    const std::string fontsFolder_;
    const std::string key_;
    std::string name_;
    std::string destination_;
};

} // namespace

bool InstallFonts(TvkMainDatabase& db, const std::vector<TFontEntry>& fonts) {
    for (const TFontEntry& font : fonts) {
        TVkRegisteredFileItem record = {font.Destination.c_str(), 0};
        if (ItemVetoed(TItemKind::Fonts, &record))
            continue;
        if (!TFontInstall(db, font).Run()) {
            ErrorBox("Font registering error",
                     Format("Can not register font \"%s\"!", font.FontName.c_str()));
            return false;
        }
        ItemDone(TItemKind::Fonts, &record);
    }
    return true;
}

} // namespace velk

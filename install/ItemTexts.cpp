#include "install/ItemTexts.h"

#include "platform/StrUtils.h"
#include "platform/epFileUtils.h"

namespace velk {

std::string_view ParentKeyPath(std::string_view key) {
    char quote = 0;
    for (size_t i = key.size(); i-- > 0;) {
        const char c = key[i];
        if (quote != 0) {
            if (c == quote)
                quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '\\') {
            return key.substr(0, i);
        }
    }
    return key;
}

std::string DeferredRegistrationCommand(const std::string& systemFolder, const std::string& path) {
    if (SameText(ExtractFileExt(path), ".exe"))
        return Format("\"%s\" /REGSERVER", path.c_str());
    return Format("%s\\regsvr32.exe /s \"%s\"", ExcludeTrailingBackslash(systemFolder).c_str(),
                  path.c_str());
}

std::string FontRegistryValue(const std::string& fontsFolder, const std::string& path) {
    if (SameText(ExcludeTrailingBackslash(ExtractFilePath(path)),
                 ExcludeTrailingBackslash(fontsFolder)))
        return ExtractFileName(path);
    return path;
}

int32_t ApplicationRecordWhen(TvkWhenStart when) {
    switch (when) {
    case TvkWhenStart::BeforeInstall:
        return 0;
    case TvkWhenStart::AfterInstall:
        return 1;
    case TvkWhenStart::BeforeUninstall:
        return 2;
    case TvkWhenStart::AfterUninstall:
        break;
    }
    return 3;
}

std::string ApplicationLogRecord(const std::string& cmdLine, const std::string& arg,
                                 const std::string& workDir, TvkShowCmd show,
                                 const std::string& msg, bool wait) {
    // The uninstaller's own numbering of show modes.
    int32_t number = 1;
    if (show == TvkShowCmd::scMin)
        number = 3;
    else if (show == TvkShowCmd::scMax)
        number = 2;
    else if (show == TvkShowCmd::scHide)
        number = 0;
    return Format("'%s','%s','%s',%d,'%s',%d", cmdLine.c_str(), arg.c_str(), workDir.c_str(),
                  int(number), msg.c_str(), wait ? 1 : 0);
}

} // namespace velk

#include "platform/epReplaceOnRestart.h"

#include "platform/StrUtils.h"

namespace velk {

std::vector<std::string> RenameEntries(const std::string& ShortSource,
                                       const std::string& ShortDest) {
    if (ShortDest.empty())
        return {"NUL=" + ShortSource};
    // The old destination goes first, so that the move never meets a file in its way.
    return {"NUL=" + ShortDest, ShortDest + "=" + ShortSource};
}

std::vector<std::string> PlaceRenameEntries(const std::vector<std::string>& Lines,
                                            const std::vector<std::string>& Entries) {
    std::vector<std::string> result;
    result.reserve(Lines.size() + Entries.size() + 1);
    bool inRename = false;
    bool placed = false;
    for (const std::string& raw : Lines) {
        std::string line = Trim(raw);
        if (inRename && !placed && line.empty()) {
            result.insert(result.end(), Entries.begin(), Entries.end());
            placed = true;
        }
        if (SameText(line, "[Rename]"))
            inRename = true;
        result.push_back(std::move(line));
    }
    if (!inRename)
        result.emplace_back("[Rename]");
    if (!placed)
        result.insert(result.end(), Entries.begin(), Entries.end());
    return result;
}

std::string RenameBackValueName(const std::string& ShortDest) {
    return "Rename " + ShortDest;
}

std::string RenameBackCommand(const std::string& ShortDest, const std::string& LongName) {
    return "command.com /c ren " + ShortDest + " \"" + LongName + "\"";
}

} // namespace velk

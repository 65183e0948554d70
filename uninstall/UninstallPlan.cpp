#include "uninstall/UninstallPlan.h"

#include <algorithm>
#include <set>

#include "platform/StrUtils.h"
#include "platform/epFileUtils.h"
#include "uninstall/LogPaths.h"

namespace velk {
namespace {

struct TLessText {
    bool operator()(const std::string& a, const std::string& b) const {
        return CompareText(a, b) < 0;
    }
};
using TTextSet = std::set<std::string, TLessText>;

// The names of a section that holds only names; an entry with a value had a "=" in its name and
// was cut there by the INI reader, so it does not name what was installed.
std::vector<std::string> PathNames(const TLogEntries& entries, bool (*isSafe)(std::string_view)) {
    std::vector<std::string> names;
    TTextSet seen;
    for (const auto& [name, value] : entries)
        if (value.empty() && isSafe(name) && seen.insert(name).second)
            names.push_back(name);
    return names;
}

// Deepest first: a level sorts after the key or folder that holds it.
std::vector<std::string> DeepestFirst(std::vector<std::string> names) {
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return CompareText(a, b) > 0; });
    return names;
}

bool IsShortcut(std::string_view path) {
    return IsSafeLogPath(path) && SameText(ExtractFileExt(path), ".lnk");
}

// "KEY\'NAME'": the key ends at the first "\'" (a key name that holds one itself cannot be told
// apart and is split there too); the key must pass the checks.
bool SplitRegEntry(const std::string& entry, std::string& key, std::string& name) {
    const size_t split = entry.find("\\'");
    if (split == std::string::npos || entry.size() < split + 3 || entry.back() != '\'')
        return false;
    key = entry.substr(0, split);
    name = entry.substr(split + 2, entry.size() - split - 3);
    return IsSafeRegKeyPath(key);
}

void AddApps(const TLogEntries& entries, std::vector<TUndoStep>& steps) {
    std::vector<std::pair<int32_t, TAppRecord>> apps;
    for (const auto& [number, text] : entries) {
        int32_t order;
        TAppRecord record;
        if (TryStrToInt(number, order) && ParseAppRecord(text, record))
            apps.emplace_back(order, std::move(record));
    }
    std::stable_sort(apps.begin(), apps.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (auto& app : apps) {
        TUndoStep step;
        step.Kind = TUndoKind::RunApp;
        step.App = std::move(app.second);
        steps.push_back(std::move(step));
    }
}

void Add(std::vector<TUndoStep>& steps, TUndoKind kind, std::string path, std::string name = {},
         bool flag = false) {
    TUndoStep step;
    step.Kind = kind;
    step.Path = std::move(path);
    step.Name = std::move(name);
    step.Flag = flag;
    steps.push_back(std::move(step));
}

bool HasFolder(std::string_view name) {
    return name.find_first_of("\\:") != std::string::npos;
}

} // namespace

std::vector<TUndoStep> PlanUninstall(const TInstallLog& log, const std::string& windowsFolder) {
    const TLogEntries* s = log.Sections;
    std::vector<TUndoStep> steps;
    AddApps(s[lsPreRunApp], steps);

    for (const std::string& path : PathNames(s[lsShortcuts], IsShortcut))
        Add(steps, TUndoKind::DeleteShortcut, path);

    const std::vector<std::string> shared = PathNames(s[lsSharedFiles], IsSafeLogPath);
    const TTextSet sharedSet(shared.begin(), shared.end());
    std::vector<std::string> servers = PathNames(s[lsRegServers], IsSafeLogPath);
    std::reverse(servers.begin(), servers.end());
    for (const std::string& path : servers)
        Add(steps, TUndoKind::UnregisterServer, path, {}, sharedSet.count(path) > 0);

    for (const auto& [name, path] : s[lsRegFonts])
        if (!name.empty() && IsSafeLogPath(path))
            Add(steps, TUndoKind::RemoveFont, path, name);

    for (auto entry = s[lsAddReg].rbegin(); entry != s[lsAddReg].rend(); ++entry) {
        std::string key, name;
        if (SplitRegEntry(entry->first, key, name))
            Add(steps, TUndoKind::DeleteRegValue, key, name);
    }
    for (const std::string& key : DeepestFirst(PathNames(s[lsCreateKeys], IsSafeRegKeyPath)))
        Add(steps, TUndoKind::DeleteRegKey, key, {}, IsUninstallEntryKey(key));

    std::vector<std::string> files;
    TTextSet seen;
    for (const auto& [name, value] : s[lsCopyFiles]) {
        std::string path = HasFolder(name) || name.empty() || windowsFolder.empty()
                               ? name
                               : IncludeTrailingBackslash(windowsFolder) + name;
        if (value.empty() && IsSafeLogPath(path) && seen.insert(path).second)
            files.push_back(std::move(path));
    }
    std::reverse(files.begin(), files.end());
    for (const std::string& path : files) {
        const bool isShared = sharedSet.count(path) > 0;
        Add(steps, isShared ? TUndoKind::ReleaseShared : TUndoKind::RemoveFile, path, {}, isShared);
    }
    // Shared files the log does not own (installed without logging) only lose their count.
    for (const std::string& path : shared)
        if (!seen.count(path))
            Add(steps, TUndoKind::ReleaseShared, path);

    for (const std::string& folder : DeepestFirst(PathNames(s[lsCreateDirs], IsSafeLogPath)))
        Add(steps, TUndoKind::RemoveFolder, folder);

    AddApps(s[lsRunApp], steps);
    return steps;
}

} // namespace velk

#include "install/FileMatch.h"

#include <algorithm>

#include "database/VKClasses.h"
#include "platform/StrUtils.h"
#include "platform/epDateTime.h"

namespace velk {

namespace {

std::string_view FolderPart(std::string_view path) {
    const size_t slash = path.rfind('\\');
    return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash + 1);
}

std::string_view NamePart(std::string_view path) {
    return path.substr(FolderPart(path).size());
}

// A name without an extension gets "." so that "*.*" matches it.
std::string WithDot(std::string_view path) {
    std::string result(path);
    if (NamePart(result).find('.') == std::string_view::npos)
        result += '.';
    return result;
}

bool StartsWithText(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && AnsiSameText(text.substr(0, prefix.size()), prefix);
}

bool ItemMatches(std::string_view src, std::string_view rest) {
    const std::string pattern = WithDot(src);
    if (!HasWildcards(pattern))
        return AnsiSameText(pattern, rest);
    return MatchesWildcard(NamePart(pattern), NamePart(rest)) &&
           StartsWithText(FolderPart(rest), FolderPart(pattern));
}

int32_t Percent(int64_t done, int64_t total) {
    if (done >= total)
        return 100;
    return done <= 0 ? 0 : int32_t((done * 200 + total) / (2 * total));
}

} // namespace

bool HasWildcards(std::string_view text) {
    return text.find_first_of("*?") != std::string_view::npos;
}

bool MatchesWildcard(std::string_view pattern, std::string_view name) {
    // Greedy with one back-track point per "*": linear enough for file names.
    size_t p = 0, n = 0, star = std::string_view::npos, resume = 0;
    while (n < name.size()) {
        if (p < pattern.size() &&
            (pattern[p] == '?' || AnsiUpCase(pattern[p]) == AnsiUpCase(name[n]))) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            resume = n;
        } else if (star != std::string_view::npos) {
            p = star + 1;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

bool IsPlainRelativePath(std::string_view path) {
    if (path.empty() || path.find(':') != std::string_view::npos)
        return false;
    for (char c : path)
        if (static_cast<unsigned char>(c) < 32 || c == '/')
            return false;
    size_t start = 0;
    for (;;) {
        const size_t end = path.find('\\', start);
        const std::string_view part = path.substr(start, end - start);
        if (part.empty() || part == "." || part == "..")
            return false;
        if (end == std::string_view::npos)
            return true;
        start = end + 1;
    }
}

TCabinetItem FindCabinetItem(const TvkMainDatabase& db, std::string_view entryName) {
    TCabinetItem found;
    constexpr std::string_view Files = "files\\";
    if (!StartsWithText(entryName, Files) || !db.Components)
        return found;
    const std::string_view path = entryName.substr(Files.size());
    const size_t slash = path.find('\\');
    if (slash == std::string_view::npos || !IsPlainRelativePath(path))
        return found;
    const std::string_view id = path.substr(0, slash);
    for (int i = 0; i < db.Components->Count() && !found.Component; ++i)
        if (AnsiSameText(db.Components->Items(i)->ID(), id))
            found.Component = db.Components->Items(i);
    if (!found.Component || !found.Component->Files)
        return found;
    found.Rest = std::string(path.substr(slash + 1));
    const std::string rest = WithDot(found.Rest);
    TvkFiles& files = *found.Component->Files;
    for (int i = 0; i < files.Count(); ++i) {
        TvkFile& file = *files.Items(i);
        if (file.Action == TvkAction::Remove || file.Flags.Contains(TvkFlag::External) ||
            !file.IsActive())
            continue;
        if (ItemMatches(file.Src, rest)) {
            found.File = &file;
            break;
        }
    }
    return found;
}

TXMLObject* ItemScope(TvkMainDatabase& db, const TvkComponent& component) {
    TvkPackage* package = db.Packages ? db.Packages->FindPackage(component.Package) : nullptr;
    return package ? static_cast<TXMLObject*>(package) : &db;
}

std::string FileDestination(std::string_view src, const std::string& expandedDst,
                            std::string_view rest) {
    if (!HasWildcards(src))
        return expandedDst;
    return std::string(FolderPart(expandedDst)) +
           std::string(rest.substr(std::min(rest.size(), FolderPart(src).size())));
}

int32_t DosDateTime(double dateTime) {
    const TLocalTime t = DecodeDateTime(dateTime);
    if (t.Year < 1980 || t.Year > 2107)
        return 0;
    const uint32_t date = uint32_t(t.Year - 1980) << 9 | uint32_t(t.Month) << 5 | uint32_t(t.Day);
    const uint32_t time = uint32_t(t.Hour) << 11 | uint32_t(t.Minute) << 5 | uint32_t(t.Second / 2);
    return int32_t(date << 16 | time);
}

int32_t FilePercent(int64_t done, int64_t total) {
    return total <= 0 ? 100 : Percent(done, total);
}

int32_t OverallPercent(int64_t done, int64_t total) {
    return total <= 0 ? 0 : Percent(done, total);
}

} // namespace velk

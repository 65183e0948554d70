#include "platform/epRegIni.h"

#include <map>
#include <memory>

#include "platform/StrUtils.h"

namespace velk {

bool IniSkipComments = true;
bool IniKeyLinesOnly = true;
bool IniTrimSpaces = true;
bool IniStripQuotes = true;

namespace {

using TIniFiles = std::map<std::string, std::unique_ptr<TepIniFile>>;

// The cached files by upper-cased name. Whatever is still cached when the program ends is written
// back as the map goes.
TIniFiles& CachedFiles() {
    static TIniFiles files;
    return files;
}

} // namespace

TepIniFile* GetIniFile(const std::string& FileName, bool ReadOnly) {
    TIniFiles& files = CachedFiles();
    std::string key = AnsiUpperCase(FileName);
    auto it = files.find(key);
    if (it != files.end() && it->second->ReadOnly() && !ReadOnly) {
        files.erase(it);
        it = files.end();
    }
    if (it == files.end()) {
        auto file = std::make_unique<TepIniFile>(key, ReadOnly, IniSkipComments, IniKeyLinesOnly,
                                                 IniTrimSpaces, IniStripQuotes);
        it = files.emplace(key, std::move(file)).first;
    }
    return it->second.get();
}

void DropIniFile(const std::string& FileName) {
    TIniFiles& files = CachedFiles();
    auto it = files.find(AnsiUpperCase(FileName));
    if (it != files.end())
        files.erase(it);
}

std::vector<std::string> FlushIniFiles() {
    TIniFiles& files = CachedFiles();
    std::vector<std::string> failed;
    while (!files.empty()) {
        TepIniFile& file = *files.begin()->second;
        file.UpdateFile();
        if (file.Modified())
            failed.push_back(file.FileName());
        files.erase(files.begin());
    }
    return failed;
}

std::string IniReadString(const std::string& FileName, std::string_view Section,
                          std::string_view Ident, const std::string& Default) {
    return GetIniFile(FileName, true)->ReadString(Section, Ident, Default);
}

int32_t IniReadInteger(const std::string& FileName, std::string_view Section,
                       std::string_view Ident, int32_t Default) {
    return StrToIntDef(IniReadString(FileName, Section, Ident, IntToStr(Default)), Default);
}

void IniReadSections(const std::string& FileName, std::vector<std::string>& Strings) {
    GetIniFile(FileName, true)->ReadSections(Strings);
}

void IniReadSection(const std::string& FileName, std::string_view Section,
                    std::vector<std::string>& Strings) {
    GetIniFile(FileName, true)->ReadSection(Section, Strings);
}

void IniReadSectionValues(const std::string& FileName, std::string_view Section,
                          std::vector<std::string>& Strings) {
    GetIniFile(FileName, true)->ReadSectionValues(Section, Strings);
}

bool IniValueExists(const std::string& FileName, std::string_view Section, std::string_view Ident) {
    // A default that no entry can hold: values never span lines.
    const std::string absent = "\n";
    return IniReadString(FileName, Section, Ident, absent) != absent;
}

bool IniWriteString(const std::string& FileName, std::string_view Section, std::string_view Ident,
                    std::string_view Value) {
    GetIniFile(FileName, false)->WriteString(Section, Ident, Value);
    return true;
}

void IniWriteSectionValues(const std::string& FileName, std::string_view Section,
                           const std::vector<std::string>& Strings) {
    for (const std::string& line : Strings) {
        std::string_view name, value;
        SplitIniLine(line, name, value);
        // An empty name would erase the section or write the file instead of setting a value.
        if (!name.empty())
            IniWriteString(FileName, Section, name, value);
    }
}

} // namespace velk

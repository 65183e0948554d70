#include "platform/epIniFile.h"

#include <unordered_set>

#include "platform/StrUtils.h"
#include "platform/epFileUtils.h"

namespace velk {

std::string_view IniKeyName(std::string_view Line) {
    size_t p = Line.find('=');
    return p == std::string_view::npos ? std::string_view() : Line.substr(0, p);
}

std::string_view IniValue(std::string_view Line) {
    size_t p = Line.find('=');
    return p == std::string_view::npos ? std::string_view() : Line.substr(p + 1);
}

void SplitIniLine(std::string_view Line, std::string_view& Name, std::string_view& Value) {
    size_t p = Line.find('=');
    Name = Line.substr(0, p);
    Value = p == std::string_view::npos ? std::string_view() : Line.substr(p + 1);
}

// The folder part of a file name with its last separator; empty for a bare name. Linux builds
// (native tests, the author tool) also separate at "/".
static std::string FolderPart(std::string_view FileName) {
#ifdef _WIN32
    return ExtractFilePath(FileName);
#else
    size_t p = FileName.find_last_of("\\:/");
    return p == std::string_view::npos ? std::string() : std::string(FileName.substr(0, p + 1));
#endif
}

// Names of one file often share a long prefix ("Section12", "Section57"), so the last
// character, the likeliest to differ, is compared first.
static bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && (a.empty() || AnsiUpCase(a.back()) == AnsiUpCase(b.back())) &&
           AnsiSameText(a, b);
}

// Position of the first line whose key is Ident, -1 if none.
static int FindLine(const std::vector<std::string>& Lines, std::string_view Ident) {
    size_t n = Ident.size();
    // A key holds no "=", so such an Ident matches nothing; any other key equal to Ident is
    // followed by the line's first "=", which rules most lines out at one comparison.
    if (Ident.find('=') != std::string_view::npos)
        return -1;
    for (size_t i = 0; i < Lines.size(); ++i) {
        std::string_view line = Lines[i];
        if (n == 0 ? IniKeyName(line).empty()
                   : line.size() > n && line[n] == '=' && SameName(line.substr(0, n), Ident))
            return static_cast<int>(i);
    }
    return -1;
}

static bool IsBlankOrTab(char c) {
    return c == ' ' || c == '\t';
}

int TSectionList::Add(std::string Name) {
    items_.push_back(TSection{std::move(Name), {}});
    return Count() - 1;
}

void TSectionList::Delete(int Index) {
    items_.erase(items_.begin() + Index);
    LastIndex = 0;
}

void TSectionList::Clear() {
    items_.clear();
    LastIndex = 0;
}

int TSectionList::IndexOf(std::string_view Name) {
    int n = Count();
    int i = LastIndex < n ? LastIndex : 0;
    for (int k = 0; k < n; ++k, i = i + 1 < n ? i + 1 : 0)
        if (SameName(items_[size_t(i)].Name, Name)) {
            LastIndex = i;
            return i;
        }
    return -1;
}

void TSectionList::MergeDuplicates() {
    if (items_.size() < 2)
        return;
    std::unordered_set<std::string> seen;
    size_t kept = 0;
    for (size_t i = 0; i < items_.size(); ++i)
        if (seen.insert(AnsiUpperCase(items_[i].Name)).second) {
            if (kept != i)
                items_[kept] = std::move(items_[i]);
            ++kept;
        }
    if (kept == items_.size())
        return;
    items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(kept), items_.end());
    LastIndex = 0;
}

TepIniFile::TepIniFile(const std::string& FileName, bool ReadOnly, bool SkipComments,
                       bool KeyLinesOnly, bool TrimSpaces, bool StripQuotes)
    : readOnly_(ReadOnly), skipComments_(SkipComments), keyLinesOnly_(KeyLinesOnly),
      trimSpaces_(TrimSpaces), stripQuotes_(StripQuotes) {
    SetFileName(FileName);
}

TepIniFile::~TepIniFile() {
    UpdateFile();
}

void TepIniFile::SetFileName(const std::string& FileName) {
    UpdateFile();
    // Changes that could not be written belong to the old file, not the new one.
    modified_ = false;
    handle_.Close();
    sections_.Clear();
    currentSection_ = 0;
    fileName_ = FileName;
    if (FileName.empty())
        return;
    if (FolderPart(FileName).empty())
        fileName_ = IncludeTrailingBackslash(IniDefaultFolder()) + FileName;
    Load();
}

void TepIniFile::Load() {
    if (!FileExists(fileName_))
        return;
    TFileHandle h = readOnly_
                        ? OpenFileHandle(fileName_, FileAccessRead, FileShareRead | FileShareWrite,
                                         FileAttributeNormal, FileOpenExisting)
                        : OpenFileHandle(fileName_, FileAccessRead | FileAccessWrite, FileShareRead,
                                         FileAttributeNormal, FileOpenAlways);
    if (h <= 0)
        throw EInOutError(Format("Cannot open file %s", fileName_.c_str()));
    handle_.Reset(h);
    int target = -1;
    std::string line;
    while (!AtEndOfFile(h)) {
        // A file read only in part would be written back short: give up on it instead.
        if (!ReadTextLine(h, line)) {
            handle_.Close();
            sections_.Clear();
            throw EInOutError(Format("Cannot read file %s", fileName_.c_str()));
        }
        AddLoadedLine(line, target);
    }
    sections_.MergeDuplicates();
    if (readOnly_)
        handle_.Close();
}

void TepIniFile::AddLoadedLine(std::string_view Raw, int& Target) {
    // Trimming also drops the end-of-file mark (character 26) that ends some files.
    std::string line = Trim(Raw);
    if (line.empty() || (skipComments_ && line[0] == ';'))
        return;
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
        Target = sections_.Add(line.substr(1, line.size() - 2));
        return;
    }
    size_t p = line.find('=');
    if (trimSpaces_ && p != std::string::npos) {
        size_t start = p;
        while (start > 0 && IsBlankOrTab(line[start - 1]))
            --start;
        line.erase(start, p - start);
        p = start;
        if (p > 0) {
            size_t end = p + 1;
            while (end < line.size() && IsBlankOrTab(line[end]))
                ++end;
            line.erase(p + 1, end - p - 1);
        }
    }
    if (stripQuotes_ && p != std::string::npos && p >= 1 && line.size() - p - 1 >= 2) {
        char quote = line[p + 1];
        if ((quote == '"' || quote == '\'') && line.back() == quote) {
            line.pop_back();
            line.erase(p + 1, 1);
        }
    }
    if (keyLinesOnly_ && p == std::string::npos)
        return;
    if (Target >= 0)
        sections_.Lines(Target).push_back(std::move(line));
}

TepIniFile::TKeyRef TepIniFile::FindKey(std::string_view Section, std::string_view Ident,
                                        bool Create) {
    TKeyRef ref;
    int n = sections_.Count();
    int found = -1;
    if (n > 0) {
        int i = currentSection_ < n ? currentSection_ : 0;
        int stop = i > 0 ? i - 1 : n - 1;
        for (;;) {
            if (SameName(sections_.Names(i), Section)) {
                found = i;
                break;
            }
            if (i == stop)
                break;
            i = i + 1 < n ? i + 1 : 0;
        }
        currentSection_ = i;
    }
    if (found >= 0) {
        ref.Lines = &sections_.Lines(found);
        ref.Position = FindLine(*ref.Lines, Ident);
    } else if (Create) {
        currentSection_ = sections_.Add(std::string(Section));
        ref.Lines = &sections_.Lines(currentSection_);
    }
    return ref;
}

std::string TepIniFile::ReadString(std::string_view Section, std::string_view Ident,
                                   const std::string& Default) {
    TKeyRef ref = FindKey(Section, Ident, false);
    if (ref.Position < 0)
        return Default;
    return std::string(IniValue((*ref.Lines)[size_t(ref.Position)]));
}

void TepIniFile::WriteString(std::string_view Section, std::string_view Ident,
                             std::string_view Value) {
    if (Ident.empty()) {
        if (Section.empty() && Value.empty())
            UpdateFile();
        else
            EraseSection(Section);
        return;
    }
    std::string line;
    line.reserve(Ident.size() + 1 + Value.size());
    line.append(Ident).append(1, '=').append(Value);
    TKeyRef ref = FindKey(Section, Ident, true);
    if (ref.Position < 0) {
        ref.Lines->push_back(std::move(line));
        modified_ = true;
    } else if (std::string& old = (*ref.Lines)[size_t(ref.Position)]; old != line) {
        old = std::move(line);
        modified_ = true;
    }
}

int32_t TepIniFile::ReadInteger(std::string_view Section, std::string_view Ident, int32_t Default) {
    return StrToIntDef(ReadString(Section, Ident, std::string()), Default);
}

void TepIniFile::WriteInteger(std::string_view Section, std::string_view Ident, int32_t Value) {
    WriteString(Section, Ident, IntToStr(Value));
}

bool TepIniFile::ReadBool(std::string_view Section, std::string_view Ident, bool Default) {
    return ReadInteger(Section, Ident, Default ? 1 : 0) != 0;
}

void TepIniFile::WriteBool(std::string_view Section, std::string_view Ident, bool Value) {
    WriteString(Section, Ident, Value ? "1" : "0");
}

void TepIniFile::ReadSection(std::string_view Section, std::vector<std::string>& Strings) {
    int i = sections_.IndexOf(Section);
    if (i < 0)
        return;
    for (const std::string& line : sections_.Lines(i))
        Strings.emplace_back(IniKeyName(line));
}

void TepIniFile::ReadSections(std::vector<std::string>& Strings) {
    Strings.clear();
    for (int i = 0; i < sections_.Count(); ++i)
        Strings.push_back(sections_.Names(i));
}

void TepIniFile::ReadSectionValues(std::string_view Section, std::vector<std::string>& Strings) {
    int i = sections_.IndexOf(Section);
    if (i < 0)
        return;
    std::vector<std::string> merged = sections_.Lines(i);
    for (const std::string& line : Strings)
        if (FindLine(merged, IniKeyName(line)) < 0)
            merged.push_back(line);
    Strings = std::move(merged);
}

void TepIniFile::WriteSectionValues(std::string_view Section,
                                    const std::vector<std::string>& Strings) {
    for (const std::string& line : Strings) {
        std::string_view name, value;
        SplitIniLine(line, name, value);
        // An empty name would erase the section or write the file instead of setting a value.
        if (!name.empty())
            WriteString(Section, name, value);
    }
}

void TepIniFile::EraseSection(std::string_view Section) {
    int i = sections_.IndexOf(Section);
    if (i < 0)
        return;
    sections_.Delete(i);
    currentSection_ = 0;
    modified_ = true;
}

void TepIniFile::DeleteKey(std::string_view Section, std::string_view Ident) {
    TKeyRef ref = FindKey(Section, Ident, true);
    if (ref.Position < 0)
        return;
    ref.Lines->erase(ref.Lines->begin() + ref.Position);
    modified_ = true;
}

void TepIniFile::SaveToStrings(std::vector<std::string>& Strings) const {
    for (int i = 0; i < sections_.Count(); ++i) {
        const std::vector<std::string>& lines = sections_.Lines(i);
        if (lines.empty())
            continue;
        Strings.push_back("[" + sections_.Names(i) + "]");
        Strings.insert(Strings.end(), lines.begin(), lines.end());
        Strings.emplace_back();
    }
}

void TepIniFile::UpdateFile() {
    if (!modified_)
        return;
    // A write that did not go through keeps the changes for the next attempt.
    if (fileName_.empty() || readOnly_ || WriteBack())
        modified_ = false;
}

bool TepIniFile::WriteBack() {
    if (!handle_.IsOpen()) {
        ForceDirectories(FolderPart(fileName_));
        TFileHandle h = OpenFileHandle(fileName_, FileAccessWrite, FileShareRead,
                                       FileAttributeNormal, FileOpenAlways);
        if (h <= 0)
            return false;
        handle_.Reset(h);
    }
    TFileHandle h = handle_.Get();
    if (SeekFileHandle(h, 0, TSeekOrigin::Begin) != 0)
        return false;
    std::vector<std::string> text;
    SaveToStrings(text);
    for (const std::string& line : text)
        if (!WriteTextLine(h, line))
            return false;
    return TruncateFileHandle(h);
}

} // namespace velk

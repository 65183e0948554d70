#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/Exception.h"
#include "platform/epFileHandles.h"

namespace velk {

// An INI file that exists but cannot be opened or read.
class EInOutError : public Exception {
public:
    using Exception::Exception;
};

// Section names in file order, each with its own lines ("name=value" as a rule). Names may repeat
// until MergeDuplicates runs.
class TSectionList {
public:
    int Count() const { return static_cast<int>(items_.size()); }
    const std::string& Names(int Index) const { return items_[size_t(Index)].Name; }
    std::vector<std::string>& Lines(int Index) { return items_[size_t(Index)].Lines; }
    const std::vector<std::string>& Lines(int Index) const { return items_[size_t(Index)].Lines; }

    // Adds a section with no lines and returns its position.
    int Add(std::string Name);
    void Delete(int Index);
    void Clear();
    // Case-insensitive search that starts at LastIndex and wraps around, so a run of lookups of
    // one section costs one comparison each; a hit moves LastIndex there. -1 when not found.
    int IndexOf(std::string_view Name);
    // Keeps the first section of every name, in file order, and drops the later ones with their
    // lines.
    void MergeDuplicates();

    int LastIndex = 0;

private:
    struct TSection {
        std::string Name;
        std::vector<std::string> Lines;
    };
    std::vector<TSection> items_;
};

// One INI file parsed into memory. Reads are served from memory; changes are written back whole,
// in normalised form, by UpdateFile (also when the object goes). A writable file keeps its
// handle, shared for reading only, from loading until it is freed, so that nobody else writes it
// meanwhile.
class TepIniFile {
public:
    // Raises EInOutError when the file exists but cannot be opened or read.
    TepIniFile(const std::string& FileName, bool ReadOnly, bool SkipComments, bool KeyLinesOnly,
               bool TrimSpaces, bool StripQuotes);
    TepIniFile(const TepIniFile&) = delete;
    TepIniFile& operator=(const TepIniFile&) = delete;
    virtual ~TepIniFile();

    // Writes pending changes to the old file, then loads the new one. A name without a folder
    // part is taken from the Windows folder.
    void SetFileName(const std::string& FileName);

    virtual std::string ReadString(std::string_view Section, std::string_view Ident,
                                   const std::string& Default);
    // An empty Ident erases the section, or, with an empty Section and Value, writes the file.
    virtual void WriteString(std::string_view Section, std::string_view Ident,
                             std::string_view Value);
    // Decimal, or hexadecimal after "$" or "0x"; Default for anything else.
    virtual int32_t ReadInteger(std::string_view Section, std::string_view Ident, int32_t Default);
    virtual void WriteInteger(std::string_view Section, std::string_view Ident, int32_t Value);
    virtual bool ReadBool(std::string_view Section, std::string_view Ident, bool Default);
    virtual void WriteBool(std::string_view Section, std::string_view Ident, bool Value);
    // Appends the key names of the section's lines.
    virtual void ReadSection(std::string_view Section, std::vector<std::string>& Strings);
    // Replaces Strings with every section name, empty sections included.
    virtual void ReadSections(std::vector<std::string>& Strings);
    // Replaces Strings with the section's lines followed by those lines of Strings whose keys the
    // section lacks: the file's values win, the caller's act as defaults. A missing section
    // leaves Strings alone.
    virtual void ReadSectionValues(std::string_view Section, std::vector<std::string>& Strings);
    // WriteString for each line split by SplitIniLine; lines with an empty name are skipped.
    virtual void WriteSectionValues(std::string_view Section,
                                    const std::vector<std::string>& Strings);
    virtual void EraseSection(std::string_view Section);
    virtual void DeleteKey(std::string_view Section, std::string_view Ident);
    // Appends the text that UpdateFile writes.
    virtual void SaveToStrings(std::vector<std::string>& Strings) const;
    virtual void UpdateFile();

    const std::string& FileName() const { return fileName_; }
    TFileHandle Handle() const { return handle_.Get(); }
    bool Modified() const { return modified_; }
    const TSectionList& Sections() const { return sections_; }
    int CurrentSection() const { return currentSection_; }
    bool ReadOnly() const { return readOnly_; }

private:
    struct TKeyRef {
        std::vector<std::string>* Lines = nullptr;
        int Position = -1;
    };

    void Load();
    void AddLoadedLine(std::string_view Raw, int& Target);
    TKeyRef FindKey(std::string_view Section, std::string_view Ident, bool Create);
    bool WriteBack();

    std::string fileName_;
    TFileHandleOwner handle_;
    bool modified_ = false;
    TSectionList sections_;
    int currentSection_ = 0;
    bool readOnly_;
    bool skipComments_;
    bool keyLinesOnly_;
    bool trimSpaces_;
    bool stripQuotes_;
};

// Where a file name without a folder part is placed: the Windows folder. Linux has none and
// answers an empty text, which leaves such names relative to the current folder.
std::string IniDefaultFolder();

// The key of an INI line: the text before the first "=", empty when there is none.
std::string_view IniKeyName(std::string_view Line);
// The value of an INI line: the text after the first "=", empty when there is none.
std::string_view IniValue(std::string_view Line);
// A line given to WriteSectionValues: the name is the text before the first "=", the whole line
// when there is none; the value the text after it.
void SplitIniLine(std::string_view Line, std::string_view& Name, std::string_view& Value);

} // namespace velk

#include "database/epXMLParser.h"

#include <cstring>

#include "platform/StrUtils.h"

namespace velk {

TXMLParserOptions XMLParserOptions;

void TPersistent::AssignTo(TPersistent& dest) const {
    throw EConvertError(Format("Cannot assign a %s to a %s", ClassName(), dest.ClassName()));
}

void TPersistent::Assign(const TPersistent& source) {
    source.AssignTo(*this);
}

TXMLTag* TXMLTagList::Add(std::unique_ptr<TXMLTag> tag) {
    tag->Parent = owner_;
    items_.push_back(std::move(tag));
    return items_.back().get();
}

void TXMLTagList::Delete(int index) {
    items_.erase(items_.begin() + index);
}

void TXMLTagList::MoveItemsTo(std::vector<std::unique_ptr<TXMLTag>>& dest) {
    for (auto& item : items_)
        dest.push_back(std::move(item));
    items_.clear();
}

TXMLTag::~TXMLTag() {
    if (Children.Count() == 0)
        return;
    std::vector<std::unique_ptr<TXMLTag>> pending;
    Children.MoveItemsTo(pending);
    while (!pending.empty()) {
        std::unique_ptr<TXMLTag> node = std::move(pending.back());
        pending.pop_back();
        node->Children.MoveItemsTo(pending);
    }
}

void TXMLTag::SetName(std::string_view name) {
    if (XMLParserOptions.LowerCaseNames)
        Name = LowerCase(name);
    else
        Name.assign(name.data(), name.size());
}

TXMLParserError::TXMLParserError(std::string_view message, size_t position, std::string_view source)
    : Exception([&] {
          // The column counts the character at the error position; CR is not a character here.
          size_t end = position < source.size() ? position : source.size();
          long long line = 1;
          long long column = 0;
          for (size_t i = 0; i < end; ++i) {
              if (source[i] == '\n') {
                  ++line;
                  column = 0;
              } else if (source[i] != '\r') {
                  ++column;
              }
          }
          return std::string(message) + Format(" Line %lld, position %lld.", line, column);
      }()) {}

namespace {

constexpr char kBlank = ' ';

struct TNameChars {
    bool Table[256] = {};
    constexpr TNameChars() {
        for (int c = '0'; c <= '9'; ++c)
            Table[c] = true;
        for (int c = 'A'; c <= 'Z'; ++c)
            Table[c] = true;
        for (int c = 'a'; c <= 'z'; ++c)
            Table[c] = true;
        Table[int('-')] = true;
        Table[int('_')] = true;
    }
};
constexpr TNameChars kNameChars;

bool IsNameChar(char c) {
    return kNameChars.Table[static_cast<unsigned char>(c)];
}

// Characters that end a run of plain content or value characters.
struct TSpecialChars {
    bool Text[256] = {};
    bool Value[256] = {};
    constexpr TSpecialChars() {
        for (unsigned char c : {' ', '\t', '\n', '\r'}) {
            Text[c] = true;
            Value[c] = true;
        }
        Text[int('<')] = true;
        Value[int('"')] = true;
        Value[int('\'')] = true;
    }
};
constexpr TSpecialChars kSpecial;

// Tab, LF and CR take part in the grammar as blanks.
char Folded(char raw) {
    return (raw == '\t' || raw == '\n' || raw == '\r') ? kBlank : raw;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool IsTrimmed(char c) {
    return static_cast<unsigned char>(c) <= 32;
}

// The trimmed part of s (codes up to 32 removed at both ends).
std::string_view TrimmedView(std::string_view s) {
    size_t b = 0;
    size_t e = s.size();
    while (b < e && IsTrimmed(s[b]))
        ++b;
    while (e > b && IsTrimmed(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

// Replaces every "&#xHH?" by the character with code HH ("00" when HH is not hexadecimal),
// scanning from the end so that an earlier "&" sees the already decoded rest. The decoded suffix
// is kept reversed, which makes each replacement constant-time.
void DecodeValue(std::string& value) {
    std::string suffix; // the decoded rest of the value, last character first
    suffix.reserve(value.size());
    for (size_t i = value.size(); i-- > 0;) {
        size_t k = suffix.size();
        if (value[i] == '&' && k >= 5 && suffix[k - 1] == '#' && suffix[k - 2] == 'x') {
            int high = HexDigit(suffix[k - 3]);
            int low = HexDigit(suffix[k - 4]);
            int code = (high < 0 || low < 0) ? 0 : high * 16 + low;
            suffix.resize(k - 5);
            suffix.push_back(static_cast<char>(code));
        } else {
            suffix.push_back(value[i]);
        }
    }
    value.assign(suffix.rbegin(), suffix.rend());
}

enum TState {
    sContent,
    sAfterOpen,
    sElementName,
    sEndName,
    sClosing,
    sAttrName,
    sBeforeEquals,
    sBeforeValue,
    sValue,
    sAfterValue,
    sAfterBang,
    sAfterBangDash,
    sComment,
    sCommentEnd,
    sInstruction,
    sInstructionEnd,
};

class TXMLParser {
public:
    TXMLParser(TXMLTag& root, std::string_view source)
        : root_(root), src_(source.data()), size_(source.size()), source_(source),
          options_(XMLParserOptions) {}

    void Run();

private:
    [[noreturn]] void Fail(const std::string& message, size_t position) const {
        throw TXMLParserError(message, position, source_);
    }
    size_t Pos() const { return i_ + 1; }
    bool Collapses() const {
        return !(state_ == sComment || (state_ == sContent && options_.KeepTextSpaces) ||
                 (state_ == sValue && options_.KeepValueSpaces));
    }
    // Index just past the run of name characters that starts at i_.
    size_t NameRunEnd() const {
        size_t j = i_;
        while (j < size_ && IsNameChar(src_[j]))
            ++j;
        return j;
    }

    void Scan();
    void ReadText(char c);
    void FlushText();
    void StartElement();
    bool CloseElement(); // true when the root was closed
    void ReadValue(char c);
    void StartValue();
    void AddAttribute();
    bool EndsStartTag(char c);
    void MoveAttributes();
    void ReadComment();
    void AddComment();

    TXMLTag& root_;
    const char* src_;
    size_t size_;
    std::string_view source_;
    TXMLParserOptions options_;

    size_t i_ = 0;
    TState state_ = sContent;
    bool prevBlank_ = false;
    TXMLTag* current_ = nullptr;
    std::string text_;
    // Names are single runs of the source, or the open element's own name.
    std::string_view endName_;
    std::string_view attrName_;
    std::string line_; // the attribute line being read: name, "=", value
    size_t valueStart_ = 0;
    std::vector<std::string> attributes_;
    char quote_ = 0;
    int dashes_ = 0;
};

void TXMLParser::Run() {
    text_.reserve(256);
    try {
        Scan();
    } catch (...) {
        MoveAttributes(); // the partial tree keeps the attributes read so far
        throw;
    }
    MoveAttributes();
}

void TXMLParser::Scan() {
    while (i_ < size_) {
        char c = Folded(src_[i_]);
        if (c == kBlank && prevBlank_ && Collapses()) {
            ++i_;
            continue;
        }
        prevBlank_ = c == kBlank;
        switch (state_) {
        case sContent:
            if (c == '<') {
                FlushText();
                state_ = sAfterOpen;
                break;
            }
            ReadText(c);
            continue;
        case sAfterOpen:
            if (c == '!') {
                state_ = sAfterBang;
            } else if (c == '/') {
                endName_ = {};
                state_ = sEndName;
            } else if (c == '?') {
                state_ = sInstruction;
            } else if (IsNameChar(c)) {
                StartElement();
                state_ = sElementName;
                continue;
            } else {
                Fail("Invalid character in the tag name.", Pos());
            }
            break;
        case sElementName:
            // The whole name was read with its first character; what follows is no name character.
            if (c == kBlank) {
                attrName_ = {};
                state_ = sAttrName;
            } else if (!EndsStartTag(c)) {
                Fail("Invalid character in the tag name.", Pos());
            }
            break;
        case sEndName:
            if (IsNameChar(c)) {
                size_t end = NameRunEnd();
                endName_ = std::string_view(src_ + i_, end - i_);
                i_ = end;
                continue;
            }
            state_ = sClosing;
            continue; // re-examined: a blank here is skipped as a repeat of itself
        case sClosing:
            if (c != '>')
                Fail("Right angle bracket (\">\") expected.", Pos());
            if (CloseElement())
                return;
            state_ = sContent;
            break;
        case sAttrName:
            if (c == kBlank || c == '=') {
                if (attrName_.empty())
                    Fail("Attribute name expected.", Pos());
                state_ = sBeforeEquals;
                continue;
            }
            if (IsNameChar(c)) {
                size_t end = NameRunEnd();
                attrName_ = std::string_view(src_ + i_, end - i_);
                i_ = end;
                continue;
            }
            if (!EndsStartTag(c)) // an attribute name without a value is dropped
                Fail("Invalid character in the attribute name.", Pos());
            break;
        case sBeforeEquals:
            if (c == '=')
                state_ = sBeforeValue;
            else if (c != kBlank)
                Fail("Equals sign (\"=\") expected between attribute name and value.", Pos());
            break;
        case sBeforeValue:
            if (c == '"' || c == '\'') {
                quote_ = c;
                StartValue();
                state_ = sValue;
            } else if (c != kBlank) {
                Fail("Opening quote character (single or double) expected.", Pos());
            }
            break;
        case sValue:
            if (c == quote_) {
                AddAttribute();
                state_ = sAfterValue;
                break;
            }
            ReadValue(c);
            continue;
        case sAfterValue:
            if (c == kBlank) {
                attrName_ = {};
                state_ = sAttrName;
            } else if (!EndsStartTag(c)) {
                Fail("White space or tag closing expected.", Pos());
            }
            break;
        case sAfterBang:
            if (c != '-')
                Fail("Syntax error.", Pos() - 1);
            state_ = sAfterBangDash;
            break;
        case sAfterBangDash:
            if (c != '-')
                Fail("Double-hyphen (\"--\") expected.", Pos() - 1);
            dashes_ = 0;
            text_.clear();
            state_ = sComment;
            break;
        case sComment:
            ReadComment();
            continue;
        case sCommentEnd:
            if (c != '>')
                Fail("Right angle bracket (\">\") expected.", Pos());
            AddComment();
            state_ = sContent;
            break;
        case sInstruction: {
            // Everything up to the next "?" is ignored.
            const void* mark = std::memchr(src_ + i_, '?', size_ - i_);
            if (mark == nullptr) {
                i_ = size_;
                continue;
            }
            i_ = static_cast<size_t>(static_cast<const char*>(mark) - src_);
            prevBlank_ = false;
            state_ = sInstructionEnd;
            break;
        }
        case sInstructionEnd:
            if (c != '>')
                Fail("Right angle bracket (\">\") expected.", Pos());
            state_ = sContent;
            break;
        }
        ++i_;
    }
}

// Reads content from i_ (its first character already passed the blank test) up to the next "<".
// The text only matters inside an element when text nodes are kept.
void TXMLParser::ReadText(char c) {
    if (current_ == nullptr || options_.NoTextNodes) {
        const void* mark = std::memchr(src_ + i_, '<', size_ - i_);
        i_ = mark == nullptr ? size_ : size_t(static_cast<const char*>(mark) - src_);
        return;
    }
    if (options_.KeepTextSpaces) {
        const void* mark = std::memchr(src_ + i_, '<', size_ - i_);
        size_t end = mark == nullptr ? size_ : size_t(static_cast<const char*>(mark) - src_);
        text_.append(src_ + i_, end - i_);
        i_ = end;
        return;
    }
    text_.push_back(c);
    ++i_;
    while (i_ < size_) {
        size_t run = i_;
        while (run < size_ && !kSpecial.Text[static_cast<unsigned char>(src_[run])])
            ++run;
        if (run > i_) {
            text_.append(src_ + i_, run - i_);
            prevBlank_ = false;
            i_ = run;
        }
        if (i_ == size_ || src_[i_] == '<')
            return;
        ++i_;
        if (!prevBlank_)
            text_.push_back(kBlank);
        prevBlank_ = true;
    }
}

void TXMLParser::FlushText() {
    if (current_ != nullptr && !options_.NoTextNodes) {
        auto node = std::make_unique<TXMLTag>();
        node->Kind = TXMLTagKind::Text;
        std::string_view trimmed = TrimmedView(text_);
        node->Text.assign(trimmed.data(), trimmed.size());
        current_->Children.Add(std::move(node));
    }
    text_.clear();
}

void TXMLParser::StartElement() {
    size_t end = NameRunEnd();
    std::string_view name(src_ + i_, end - i_);
    i_ = end;
    if (current_ == nullptr) {
        root_.SetName(name);
        current_ = &root_;
        return;
    }
    auto element = std::make_unique<TXMLTag>();
    element->SetName(name);
    current_ = current_->Children.Add(std::move(element));
}

bool TXMLParser::CloseElement() {
    if (current_ == nullptr)
        Fail(Format("End tag \"%s\" before any start tag.", std::string(endName_).c_str()),
             Pos() - endName_.size());
    if (!SameText(current_->Name, endName_))
        Fail(Format("End tag \"%s\" does not match the start tag \"%s\".",
                    std::string(endName_).c_str(), current_->Name.c_str()),
             Pos() - endName_.size());
    // The root is the tag Parse was called on, whatever its own Parent.
    if (current_ == &root_)
        return true;
    current_ = current_->Parent;
    return false;
}

// Reads a value from i_ (its first character already passed the blank test) up to the quote.
void TXMLParser::ReadValue(char c) {
    const bool keep = options_.KeepValueSpaces;
    line_.push_back(c);
    ++i_;
    while (i_ < size_) {
        size_t run = i_;
        while (run < size_ && !kSpecial.Value[static_cast<unsigned char>(src_[run])])
            ++run;
        if (run > i_) {
            line_.append(src_ + i_, run - i_);
            prevBlank_ = false;
            i_ = run;
        }
        if (i_ == size_)
            return;
        c = Folded(src_[i_]);
        if (c == quote_)
            return;
        if (c == kBlank) {
            ++i_;
            if (prevBlank_ && !keep)
                continue;
            prevBlank_ = true;
        } else { // the other quote character
            ++i_;
            prevBlank_ = false;
        }
        line_.push_back(c);
    }
}

// Starts the line of a value that begins after the quote at i_. The value is read straight into
// the line, which is sized once: folding and collapsing never make a value longer.
void TXMLParser::StartValue() {
    const void* close = std::memchr(src_ + i_ + 1, quote_, size_ - i_ - 1);
    size_t bound = close == nullptr ? size_ - i_ - 1
                                    : size_t(static_cast<const char*>(close) - (src_ + i_ + 1));
    line_.reserve(attrName_.size() + 1 + bound);
    line_.append(attrName_.data(), attrName_.size());
    line_.push_back('=');
    valueStart_ = line_.size();
}

void TXMLParser::AddAttribute() {
    if (line_.find('&', valueStart_) != std::string::npos) {
        std::string value = line_.substr(valueStart_);
        DecodeValue(value);
        line_.replace(valueStart_, std::string::npos, value);
    }
    std::string_view value = TrimmedView(std::string_view(line_).substr(valueStart_));
    size_t begin = size_t(value.data() - line_.data());
    line_.resize(begin + value.size());
    line_.erase(valueStart_, begin - valueStart_);
    attributes_.push_back(std::move(line_));
    line_ = std::string();
}

// "/" and ">" end a start tag, "/" closing the element at once like its end tag would.
bool TXMLParser::EndsStartTag(char c) {
    if (c != '/' && c != '>')
        return false;
    MoveAttributes();
    if (c == '/') {
        endName_ = current_->Name;
        state_ = sClosing;
    } else {
        state_ = sContent;
    }
    return true;
}

// The attributes of a start tag are collected first and handed to the element in one piece.
void TXMLParser::MoveAttributes() {
    if (attributes_.empty())
        return;
    std::vector<std::string>& dest = current_->Attributes;
    dest.reserve(dest.size() + attributes_.size());
    for (std::string& line : attributes_)
        dest.push_back(std::move(line));
    attributes_.clear();
}

// Reads the comment body from i_ up to and including the "-" that completes a "--".
void TXMLParser::ReadComment() {
    while (i_ < size_) {
        const void* mark = std::memchr(src_ + i_, '-', size_ - i_);
        size_t dash = mark == nullptr ? size_ : size_t(static_cast<const char*>(mark) - src_);
        if (dash > i_) {
            text_.append(src_ + i_, dash - i_);
            dashes_ = 0;
            i_ = dash;
            if (i_ == size_)
                return;
        }
        text_.push_back('-');
        ++i_;
        if (dashes_ == 1) {
            prevBlank_ = false;
            state_ = sCommentEnd;
            return;
        }
        dashes_ = 1;
    }
}

void TXMLParser::AddComment() {
    if (current_ != nullptr && !options_.NoCommentNodes) {
        auto node = std::make_unique<TXMLTag>();
        node->Kind = TXMLTagKind::Comment;
        node->Text.assign(text_, 0, text_.size() - 2);
        current_->Children.Add(std::move(node));
    }
    text_.clear();
}

} // namespace

void TXMLTag::Parse(std::string_view text) {
    Kind = TXMLTagKind::Element;
    Name.clear();
    Text.clear();
    Attributes.clear();
    Children.Clear();
    TXMLParser(*this, text).Run();
}

} // namespace velk

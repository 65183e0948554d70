#include "setup/EntryName.h"

namespace velk {

std::string UnsafeEntryNameReason(std::string_view name) {
    if (name.empty())
        return "the name is empty";
    for (char c : name) {
        if (static_cast<unsigned char>(c) < 32)
            return "the name holds a control character";
        if (c == ':')
            return "the name holds a drive or stream colon";
    }
    if (name[0] == '\\' || name[0] == '/')
        return "the name begins at the root";
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = name.find_first_of("\\/", start);
        if (end == std::string_view::npos)
            end = name.size();
        std::string_view part = name.substr(start, end - start);
        if (part.empty())
            return "the name has an empty folder name";
        // Windows drops trailing dots and blanks, so "..." and ".. " mean ".." there.
        if (part.find_first_not_of(". ") == std::string_view::npos)
            return "the name has a \"..\" part (or one made only of dots and blanks)";
        start = end + 1;
    }
    return {};
}

} // namespace velk

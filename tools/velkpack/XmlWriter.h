#pragma once

#include <string>

#include "database/epXMLParser.h"
#include "platform/Exception.h"

namespace velk {

class EXmlWriteError : public Exception {
public:
    using Exception::Exception;
};

// The tree under root as XML text that setup.exe's parser (attribute values keep their blanks,
// text is trimmed and collapsed, names lower-cased) reads back as the same tree, every element
// on a line of its own. A tree the parser made comes back node for node, its empty text nodes
// included; in a tree built in code, the parser adds an empty text node before each child and
// before each end tag of an element with children.
//
// Attribute values are written between double quotes; "&#xHH;" is the only reference the parser
// decodes, so the writer uses it for double quotes, control characters, a blank after a blank
// (which keeps the value also when blanks are collapsed) and an "&" that the parser would
// otherwise take for the start of a reference. Element names are written as they are (the parser
// lower-cases them).
//
// What the parser cannot read back the same throws EXmlWriteError: an element or attribute name
// that is empty or holds a character other than letters, digits, "-" and "_"; an attribute line
// without "="; a value that begins or ends with a blank or control character (the parser trims
// them); text holding "<", beginning or ending with such a character or holding a tab, line
// break or two blanks in a row; a comment holding "--" or ending in "-"; a root that is not an
// element.
std::string WriteXmlText(const TXMLTag& root);

} // namespace velk

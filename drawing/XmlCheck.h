#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// A look over an XML text before any tree is built from it: the XML reader
// recurses once per level of nesting and allocates per element and attribute,
// so both are bounded here first, in a loop that keeps only a stack of open
// element names. It also refuses what the reader would let through: a closing
// tag that does not close the open element, a second root element, text
// after the root, a "<" in an attribute value, an attribute given twice in one
// tag, and an "&" that begins no reference to a character XML allows or to an
// entity that is predefined or declared in the document type.

constexpr std::size_t maxXmlDepth = 256;
constexpr std::size_t maxXmlElements = 1000000;
constexpr std::size_t maxXmlAttributes = 4000000;

// Empty when `text` is one well-formed element within the bounds above (with
// comments, processing instructions, a document type and white space around
// it); otherwise why not, one line: "elements nested more than 256 deep",
// "more than 1000000 elements", or "not well-formed XML at line L, column C: "
// and what is wrong there.
std::string checkXml(std::string_view text);

// The line and column (both from 1, a column counts bytes) of `offset` in `text`.
std::string xmlPosition(std::string_view text, std::size_t offset);

// `text` fit for a one-line message: cut after `maxShown` bytes with "...",
// every byte outside printable ASCII shown as "?".
std::string printableForMessage(std::string_view text, std::size_t maxShown = 40);

// The same in double quotes.
std::string quotedForMessage(std::string_view text, std::size_t maxShown = 40);

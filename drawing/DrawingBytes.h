#pragma once

#include <string>

// The bytes of a drawing file made the UTF-8 text the XML look and reader
// take: gzip data (an .svgz as Inkscape saves it, or one named .svg)
// unpacked, and UTF-16 with its byte order mark made UTF-8. UTF-8, with or
// without its mark, stays as it is. UTF-32 is refused by name.

// Makes `bytes` the drawing's UTF-8 text in place. Empty when that was done
// (or nothing was to be done); otherwise why not, one line.
std::string drawingTextOf(std::string& bytes);

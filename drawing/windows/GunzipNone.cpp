#include "Gunzip.h"

// The Windows build has no zlib: it says so.
std::string gunzip(std::string_view, std::size_t, std::string&) {
    return "this build does not read compressed drawings (gzip, .svgz); save the drawing as plain SVG";
}

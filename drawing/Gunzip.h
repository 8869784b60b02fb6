#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Whether `bytes` begin as gzip data does (its two magic bytes).
inline bool isGzip(std::string_view bytes) { return bytes.substr(0, 2) == "\x1f\x8b"; }

// Unpacks the gzip data `packed` (one member, or several in a row as gzip
// allows) into `out`, refusing data that would unpack to more than `maxSize`
// bytes before it is all in memory. Empty when done; otherwise why not, one
// line. A build without zlib refuses every input and says so.
std::string gunzip(std::string_view packed, std::size_t maxSize, std::string& out);

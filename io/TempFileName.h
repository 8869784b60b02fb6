#pragma once

// Shared by the platform files of the file code (TextFile<Platform>.cpp)
// beside the public interface of TextFile.h.

#include <string>

#include "TextFile.h"

// A temporary file is named after its target: "map.mef.saving-" and six
// letters or digits; no other name is ever taken for one, so that the cleanup
// of abandoned temporary files cannot remove anything else.

constexpr char tempInfix[] = ".saving-";
constexpr std::size_t tempSuffixLength = 6;

// True when `name` is a temporary file name of the file named `base` (both
// without folder).
bool isTempNameOf(const std::string& name, const std::string& base);

// Each platform's read of a whole regular file into `text` (left as it is on
// failure); readWholeFile reports its result.
ReadError readRegularFile(const char* path, std::string& text);

#pragma once

#include <string>

// A temporary file is named after its target: "map.mef.saving-" and six
// letters or digits; no other name is ever taken for one, so that the cleanup
// of abandoned temporary files cannot remove anything else.

constexpr char tempInfix[] = ".saving-";
constexpr std::size_t tempSuffixLength = 6;

// True when `name` is a temporary file name of the file named `base` (both
// without folder).
bool isTempNameOf(const std::string& name, const std::string& base);

#pragma once

#include <string>

// When the file `path` (UTF-8) was last modified, in the local time zone, as
// "YYYY-MM-DD HH:MM:SS"; empty when that cannot be found out.
std::string fileModifiedLocalTime(const std::string& path);

#pragma once

#include <string>

// The system's words for a GetLastError value, as every file message on
// Windows gives them: "Path not found", "used by another program".
std::string windowsReason(unsigned long error);

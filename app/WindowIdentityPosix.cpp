#include "WindowIdentity.h"

void setWindowIdentity(const std::string& /*titleUtf8*/) {}

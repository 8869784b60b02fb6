#pragma once

#include <string>

// Tells the desktop about the window just created (the one whose OpenGL
// context is current): its title in UTF-8, and where the platform has them,
// its class, icon and process. GLUT sets only a title in the local 8-bit
// encoding; each platform implements this in WindowIdentity<Platform>.cpp.
void setWindowIdentity(const std::string& titleUtf8);
// Changes the title of that window, as setWindowIdentity sets it.
void setWindowTitle(const std::string& titleUtf8);

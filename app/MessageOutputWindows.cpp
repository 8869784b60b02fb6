#include <cstdio>

#include "MessageOutput.h"

// Unbuffered, each printf still writes its whole message in one call.
void writeMessagesAtOnce() { std::setvbuf(stdout, nullptr, _IONBF, 0); }

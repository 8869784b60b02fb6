#include <cstdio>

#include "MessageOutput.h"

void writeMessagesAtOnce() { std::setvbuf(stdout, nullptr, _IOLBF, 0); }

#include "ProgramArguments.h"

std::vector<std::string> programArguments(int argc, char** argv) {
    if (argc < 1) return {};
    return std::vector<std::string>(argv + 1, argv + argc);
}

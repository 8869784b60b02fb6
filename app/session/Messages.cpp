#include "Messages.h"

namespace {

bool writeAll(std::FILE* stream, std::string_view lines) {
    return std::fwrite(lines.data(), 1, lines.size(), stream) == lines.size() && std::fflush(stream) == 0;
}

}  // namespace

bool Messages::reportLine(std::string line) {
    line += '\n';
    return report(line);
}

void Messages::problemLine(std::string line) {
    line += '\n';
    problem(line);
}

bool StreamMessages::report(std::string_view lines) { return writeAll(reports, lines); }

void StreamMessages::problem(std::string_view lines) { writeAll(problems, lines); }

Messages& windowMessages() {
    static StreamMessages messages(stdout, stdout);
    return messages;
}

Messages& consoleMessages() {
    static StreamMessages messages(stdout, stderr);
    return messages;
}

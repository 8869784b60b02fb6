#include "Messages.h"

#include <utility>

#include "MessageOutput.h"
#include "Notices.h"
#include "TickCounter.h"

namespace {

bool writeAll(std::FILE* stream, std::string_view lines) { return writeMessage(stream, lines); }

}  // namespace

bool Messages::reportLine(std::string line) {
    line += '\n';
    return report(line);
}

void Messages::problemLine(std::string line) {
    line += '\n';
    problem(line);
}

void Messages::explainedProblem(std::string line, std::string /*notice*/, std::string /*detail*/) {
    problemLine(std::move(line));
}

bool StreamMessages::report(std::string_view lines) { return writeAll(reports, lines); }

void StreamMessages::problem(std::string_view lines) { writeAll(problems, lines); }

bool NoticeMessages::report(std::string_view lines) {
    const bool written = stream.report(lines);
    post(lines, isWarningReport);
    return written;
}

void NoticeMessages::problem(std::string_view lines) {
    stream.problem(lines);
    post(lines, [](std::string_view) { return true; });
}

void NoticeMessages::notice(std::string line, std::string detail) {
    notices.post(std::move(line), clock(), std::move(detail));
}

void NoticeMessages::explainedProblem(std::string line, std::string notice, std::string detail) {
    stream.problemLine(std::move(line));
    notices.post(std::move(notice), clock(), std::move(detail));
}

void NoticeMessages::post(std::string_view lines, bool (*wanted)(std::string_view line)) {
    while (!lines.empty()) {
        const std::size_t end = lines.find('\n');
        const std::string_view line = lines.substr(0, end);
        if (!line.empty() && wanted(line)) notices.post(std::string(line), clock());
        lines.remove_prefix(end == std::string_view::npos ? lines.size() : end + 1);
    }
}

Notices& windowNotices() {
    static Notices notices;
    return notices;
}

Messages& windowMessages() {
    static NoticeMessages messages(stdout, stdout, windowNotices(), tickCount);
    return messages;
}

Messages& consoleMessages() {
    static StreamMessages messages(stdout, stderr);
    return messages;
}

#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

// Where the lines a run has to say go. The file code and the export below
// print nothing: they return what happened, and the session says it through
// one of these, so that whoever starts a run decides where its messages go.
class Messages {
public:
    virtual ~Messages() = default;

    // Whole lines, each with its line end, of what was done: listings,
    // counts, notices, and the warning that a file was written in place.
    // False once they cannot be delivered (a closed pipe, a full disk), so
    // that a long listing stops.
    virtual bool report(std::string_view lines) = 0;
    // Whole lines, each with its line end: why something was not done, and
    // warnings about what was read or checked.
    virtual void problem(std::string_view lines) = 0;

    // One line, given without its line end.
    bool reportLine(std::string line);
    void problemLine(std::string line);

    // What was done, told to a window's user alone (the streams keep their
    // lines): `line` and a second line `detail` that may be empty. Nothing
    // unless the run has a window.
    virtual void notice(std::string /*line*/, std::string /*detail*/ = {}) {}
    // A problem line whose notice in a window says more than the line does:
    // `line` goes where problems go, and a window shows `line` and `detail`
    // instead of `line` alone.
    virtual void explainedProblem(std::string line, std::string notice, std::string detail);
};

// Messages written to C streams: each call's lines in one write, flushed at once.
class StreamMessages final : public Messages {
public:
    StreamMessages(std::FILE* reports, std::FILE* problems) : reports(reports), problems(problems) {}

    bool report(std::string_view lines) override;
    void problem(std::string_view lines) override;

private:
    std::FILE* reports;
    std::FILE* problems;
};

class Notices;

// Messages written to C streams as StreamMessages writes them, whose problem
// lines and warning reports also become notices, stamped with the tick count
// `clock` gives.
class NoticeMessages final : public Messages {
public:
    NoticeMessages(std::FILE* reports, std::FILE* problems, Notices& notices, std::uint32_t (*clock)())
        : stream(reports, problems), notices(notices), clock(clock) {}

    bool report(std::string_view lines) override;
    void problem(std::string_view lines) override;
    void notice(std::string line, std::string detail = {}) override;
    void explainedProblem(std::string line, std::string notice, std::string detail) override;

private:
    // Posts each line of `lines` that `wanted` picks.
    void post(std::string_view lines, bool (*wanted)(std::string_view line));

    StreamMessages stream;
    Notices& notices;
    std::uint32_t (*clock)();
};

// The window's messages: both kinds on standard output, the errors and
// warnings also in windowNotices().
Messages& windowMessages();
Notices& windowNotices();
// The command-line modes' and the start's: reports on standard output,
// problems on standard error.
Messages& consoleMessages();

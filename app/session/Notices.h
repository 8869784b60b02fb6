#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// The error and warning lines of a window's run, as the window shows them:
// the latest line, how many more came with it, and until when it shows.
// Clocked by tick counts handed in, so that it needs no window and no clock.
class Notices {
public:
    // How long a notice shows after its latest line, in milliseconds.
    static constexpr int lifetime = 10000;

    // One line (without its line end) said at tick `now`. A line that comes
    // while a notice shows joins it and restarts its time.
    // `detail`, when given, is a second line the notice shows below it.
    void post(std::string line, std::uint32_t now, std::string detail = {});
    // The user clicked it away: nothing shows until the next line.
    void dismiss();

    // Whether a notice shows at tick `now`.
    bool shown(std::uint32_t now) const;
    // The latest line, whole.
    const std::string& latest() const { return line; }
    // The latest line's second line, or empty.
    const std::string& detail() const { return second; }
    // How many lines came with the latest since the notice appeared.
    int more() const { return count > 0 ? count - 1 : 0; }
    // Changes with every post and dismissal, so that a view redraws only then.
    std::uint64_t version() const { return changes; }

    // `text` (one byte a character) made to fit `columns` characters. A name
    // is shortened in its middle, "..." in place of what goes, so that the
    // reason after it stays whole: the longest quoted part or the longest
    // part between ": " separators but the last. Only when that is not
    // enough is the end cut and replaced by "...".
    static std::string fitted(std::string_view text, std::size_t columns);
    // UTF-8 `text` as the window's Latin-1 bitmap font draws it: each
    // character up to U+00FF as its Latin-1 byte, every other character, each
    // byte of a broken sequence and every control character as "?".
    static std::string latin1(std::string_view text);

private:
    std::string line;
    std::string second;
    int count = 0;
    std::uint32_t postedAt = 0;
    std::uint64_t changes = 0;
};

// Whether a report line is a warning ("Warning: PATH: WHY, saved in place"),
// which the window shows as a notice like every problem line.
bool isWarningReport(std::string_view line);

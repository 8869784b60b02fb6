#pragma once

// The steps a safe save is made of, which each system provides in its own
// SaveSteps<Platform>.cpp; SafeSave.cpp puts them in order.

#include <cstdio>
#include <string>
#include <string_view>

#include "TextFile.h"

// The file a save of some name ends up writing.
struct FinalFile {
    std::string path;     // no symbolic link as its last component
    bool exists = false;  // a file of that name exists
};

// What one step came to: nothing on success; on failure the system's code
// (an errno, or the system's own error number) for the save to choose its
// fallback by, and the words that say why.
struct StepResult {
    int error = 0;
    std::string reason;  // empty when the step succeeded

    bool ok() const { return reason.empty(); }
};

class SaveSteps {
public:
    virtual ~SaveSteps() = default;

    // The file a save of `target` replaces: with `followLinks`, the file at
    // the end of any chain of symbolic links; without, `target` itself, whose
    // link (if it is one) the new file takes the place of.
    virtual StepResult findFinal(const std::string& target, bool followLinks, FinalFile& file) = 0;
    // What a plain write of the existing `file` would refuse (read-only, not
    // a regular file, held by another program); success when it may be written.
    virtual StepResult refusal(const FinalFile& file) = 0;
    // A temporary file beside `path`, made by `create`.
    virtual TempFile createTemp(TempFileFactory create, const std::string& path) { return create(path); }
    // Gives the temporary file the owner and permissions of the existing `file`
    // it replaces, as far as the system keeps and allows them.
    virtual void keepOwnerAndMode(const TempFile& temp, const FinalFile& file) = 0;
    virtual StepResult write(std::FILE* stream, std::string_view content) = 0;
    // Everything written through `stream` onto the disk.
    virtual StepResult flush(std::FILE* stream) = 0;
    virtual StepResult close(std::FILE* stream) = 0;
    // Moves `from` over `to` in one step.
    virtual StepResult rename(const std::string& from, const std::string& to) = 0;
    virtual void remove(const std::string& path) = 0;
    // Overwrites the existing file `path` where it is, for when no temporary
    // file can take its place; the old bytes stay when there is no room.
    virtual StepResult writeInPlace(const std::string& path, std::string_view content) = 0;
    // Removes the temporary files beside `path` that no living writer holds.
    virtual void removeAbandonedTemps(const std::string& path) = 0;
    // The system's words for the C library's `error` (an errno).
    virtual std::string errnoReason(int error) = 0;
};

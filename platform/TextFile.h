#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

// Whole-file reads and all-or-nothing replacement of text files. Each platform
// implements this interface in its own TextFile<Platform>.cpp and
// SaveSteps<Platform>.cpp; TextFile.cpp holds what they share, SafeSave.cpp
// the replacement.

// Largest file readWholeFile accepts: 256 MiB (a map of 100,000 segments is
// about 7 MB).
constexpr std::uint64_t maxReadFileSize = std::uint64_t{256} << 20;

// Why readWholeFile failed.
enum class ReadError {
    none,
    cannotOpen,      // missing, not permitted, or another open failure
    notRegularFile,  // after following links: a directory, FIFO, socket or device
    tooLarge,        // more than maxReadFileSize bytes
    readFailed,      // opened, but a read failed
};

// Reads the whole file `path` into `text`; false when it cannot be opened or
// read, and then `text` is unchanged, `error` (when given) says why and
// `reason` (when given) says it in words: readErrorReason's text for a
// refusal, otherwise the system's own ("Permission denied"). Only a
// regular file (links followed) is read: anything else, and a file larger than
// maxReadFileSize, is refused before a byte is read, so no FIFO, terminal or
// endless device can make the call block or read without end.
bool readWholeFile(const char* path, std::string& text, ReadError* error = nullptr,
                   std::string* reason = nullptr);

// Reads standard input to its end into `text`, as bytes (no line ends
// translated), refusing more than maxReadFileSize bytes as readWholeFile
// does; false when a read failed or it was too large, and then `text` is
// unchanged and `reason` (when given) says why.
bool readStandardInput(std::string& text, std::string* reason = nullptr);

// The reason to show after "<name>: " for the refusals notRegularFile
// ("not a regular file") and tooLarge ("larger than 256 MiB"); null for the
// other errors, whose reason is the system's.
const char* readErrorReason(ReadError error);

// What a path names, links followed.
enum class PathKind {
    missing,      // nothing by that name
    regularFile,  // a regular file, or a link to one
    other,        // a folder, device, FIFO, socket or other special file
    unknown,      // the check itself failed (permission on a folder, I/O error)
};

// Looks at `path` (UTF-8) without opening it, through the platform's own
// file API, so that any name the file code can read it can also check.
PathKind pathKind(const char* path);
// pathKind, and for `unknown` the system's reason in words ("Too many levels
// of symbolic links", "Permission denied").
PathKind pathKind(const char* path, std::string& reason);

// The name under which the system keeps the file `path` (UTF-8) names: on
// Windows, which drops the dots and spaces at the end of a name, "a.mef." and
// "a.mef " name "a.mef", and an existing file's short 8.3 name is made long
// ("CANY~A5O.MEF" names "canyon-long-name.mef"); elsewhere `path` itself.
// Only the last part changes.
std::string systemFileName(const std::string& path);

// Makes the folder of `path` (UTF-8) the working directory and leaves in
// `path` the file's name alone, so that the name still reaches the same file.
// A bare name changes nothing. False, with errno set, when the folder cannot
// be entered; `path` is then unchanged.
bool enterFolderOf(std::string& path);

// A temporary file opened for writing: the stream and the name it has on disk.
struct TempFile {
    std::FILE* stream = nullptr;
    std::string path;
    // When `stream` is null: the errno of the failure (EACCES, EPERM and EROFS
    // mean the folder refuses new files).
    int error = 0;
};

// Creates a new, uniquely named file `target`.saving-XXXXXX in the directory of
// `target` (so that a rename can move it over `target`) with the permissions a
// newly created file would get, locked (flock) for as long as it is open. A
// name too long for that is shortened first (see TempFileName.h), so that any
// name a file may have can be saved. On failure the stream is null and
// nothing was created.
TempFile createTempFileBeside(const std::string& target);

// How replaceFile obtains its temporary file; tests substitute one whose
// stream fails. It is given the final file's path (links resolved).
using TempFileFactory = TempFile (*)(const std::string& target);

// Whether a save that cannot put a new file in the old one's place may
// rewrite the old file in place instead (which a failure midway can leave
// mixed): the caller's choice.
enum class InPlaceFallback {
    allowed,  // the user's own files: written somehow rather than not at all
    never,    // files that must hold one whole map or nothing (the autosave)
};

// What replaceFile did.
enum class ReplaceResult {
    failed,          // nothing changed
    replaced,        // a new file holding the content took the place of the old one
    writtenInPlace,  // no temporary file could take its place: the old file was rewritten
};

// Replaces `target` with exactly `content`, so that it keeps being what it was:
// - A symbolic link (or chain of links, relative or absolute) is followed: the
//   file at its end is replaced and the link stays a link. A link whose target
//   does not exist creates that target; a loop of links fails.
// - The bytes go to a temporary file beside that final file, which is flushed
//   and synced, every step checked, and only then renamed over it. On any
//   failure the temporary file is removed, the file is left as it was, and
//   `failed` is returned. A successful replacement also removes the temporary
//   files beside the file that writers killed in the middle left behind (those
//   no living writer holds locked).
// - The new file gets the old one's permission bits, and its owner and group
//   as far as the process may set them; a new file gets the permissions of a
//   newly created file (0666 minus the umask).
// - An existing file that the process may not write (read-only, or owned by
//   someone else) fails with nothing written; so does one that is not a
//   regular file. An administrator's process is refused only what it could
//   not write either.
// - When the folder refuses new files (not writable, or on a read-only
//   mount), or the name cannot be renamed over because a file is mounted on
//   it, but the file exists and may be written, the file is rewritten in
//   place and `writtenInPlace` is returned. The space for the new content is
//   reserved before any old byte changes, so a file system too full for it
//   leaves the file as it was; a failure after that (an I/O error) can leave
//   a mixture: there is no all-or-nothing guarantee. With `fallback` never,
//   such a save fails instead, the file left as it was.
// - A replaced hard-linked file gets a new inode, so its other names keep the
//   old content.
// `reason` (when given) says in words why the file was `failed`, with the
// system's reason where it gave one ("No space left on device"), or why it
// was `writtenInPlace` ("folder not writable"); it is empty on `replaced`.
ReplaceResult replaceFile(const std::string& target, std::string_view content,
                          TempFileFactory createTemp = createTempFileBeside, std::string* reason = nullptr,
                          InPlaceFallback fallback = InPlaceFallback::allowed);

// replaceFile, except that a symbolic link named `target` is never followed:
// the new regular file takes the link's own place, and whatever the link
// pointed to stays as it was. For files that are this program's own (the
// autosave), where a link can only be a mistake or a trap.
ReplaceResult replaceFileItself(const std::string& target, std::string_view content,
                                TempFileFactory createTemp = createTempFileBeside,
                                std::string* reason = nullptr,
                                InPlaceFallback fallback = InPlaceFallback::allowed);

// True when `path` (UTF-8) itself is a symbolic link (on Windows: any
// reparse point, a junction included), whatever it points to.
bool isSymbolicLink(const char* path);

// `base` (a name without folder) when `added` more bytes still make a name
// of at most maxFileNameLength bytes; otherwise its first bytes, cut between
// UTF-8 characters, then "~" and eight hexadecimal digits of a hash of the
// whole of `base`, so that two long names with the same beginning still get
// names of their own.
std::string fittingStemOf(const std::string& base, std::size_t added);

// The longest file name, in bytes, that the common file systems take (ext4,
// tmpfs, btrfs and XFS; NTFS takes 255 UTF-16 units, never fewer than the
// UTF-8 bytes of the same name).
constexpr std::size_t maxFileNameLength = 255;

// What a replacement came to, for the caller to tell: the result, and why
// it failed or was written in place ("folder not writable", "a mount point").
struct FileWrite {
    ReplaceResult result = ReplaceResult::failed;
    std::string reason;

    bool written() const { return result != ReplaceResult::failed; }
    explicit operator bool() const { return written(); }
};

// replaceFile, with its reason kept in the result.
FileWrite storeFile(const std::string& target, std::string_view content,
                    TempFileFactory createTemp = createTempFileBeside);

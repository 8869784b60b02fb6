#pragma once

// The safe save (replaceFile and replaceFileItself of TextFile.h), written
// once over the steps each system provides; how the systems' saves differ is
// the data of a SaveOrder.

#include <cerrno>
#include <memory>
#include <string>
#include <string_view>

#include "SaveSteps.h"
#include "TextFile.h"

// Where one system's save differs from another's.
struct SaveOrder {
    // The temporary file is closed before it is renamed, and a failed close
    // fails the save (Windows renames no file that is open without sharing);
    // otherwise it is renamed while still open and locked, so that no other
    // writer takes it for abandoned, and closed after, when nothing is left
    // to lose.
    bool closeBeforeRename = false;
    // A failure with this code, of an existing file, makes the save rewrite
    // the file in place, saying mountPointReason (a file mounted on the name
    // cannot be renamed over, but it can be written); 0 for none.
    int inPlaceError = 0;
};

constexpr SaveOrder posixSaveOrder{false, EBUSY};
constexpr SaveOrder windowsSaveOrder{true, 0};

// Replaces `target` with `content` through `steps` in `order`, as replaceFile
// (`followLinks`) or replaceFileItself describe; `reason` and `fallback` as theirs.
ReplaceResult safeSave(SaveSteps& steps, const SaveOrder& order, const std::string& target,
                       std::string_view content, TempFileFactory createTemp, bool followLinks,
                       std::string* reason, InPlaceFallback fallback = InPlaceFallback::allowed);

// This system's steps, fresh for each save (they keep what they find of the
// final file), and the order its saves take.
std::unique_ptr<SaveSteps> systemSaveSteps();
const SaveOrder& systemSaveOrder();

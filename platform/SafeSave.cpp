// The safe save: a temporary file beside the final file, written, flushed,
// given the old file's owner and mode, and renamed over it; in place where
// no temporary file can take its place.
#include "SafeSave.h"

#include "TempFileName.h"

namespace {

ReplaceResult failedBecause(std::string& reason, const std::string& why) {
    reason = why;
    return ReplaceResult::failed;
}

// Errors with which a folder refuses a new file although its files may be written.
bool folderRefusesNewFiles(int error) { return error == EACCES || error == EPERM || error == EROFS; }

// The in-place write of `path`, taken because of `why`.
ReplaceResult rewriteInPlace(SaveSteps& steps, const std::string& path, std::string_view content,
                             const char* why, std::string& reason) {
    const StepResult written = steps.writeInPlace(path, content);
    if (!written.ok()) return failedBecause(reason, written.reason);
    reason = why;
    return ReplaceResult::writtenInPlace;
}

// Writes `content` into `temp`, flushes it and renames it over `file` in the
// steps of `order`, each taken only while all before it succeeded; the
// stream is closed whatever happens. The first failure, if any.
StepResult writeAndRename(SaveSteps& steps, const SaveOrder& order, const TempFile& temp,
                          const FinalFile& file, std::string_view content) {
    StepResult result = steps.write(temp.stream, content);
    if (result.ok()) result = steps.flush(temp.stream);
    if (order.closeBeforeRename) {
        StepResult closed = steps.close(temp.stream);
        if (result.ok()) result = std::move(closed);
    }
    if (result.ok()) result = steps.rename(temp.path, file.path);
    // Once the bytes are flushed, closing can lose nothing.
    if (!order.closeBeforeRename) steps.close(temp.stream);
    return result;
}

}  // namespace

ReplaceResult safeSave(SaveSteps& steps, const SaveOrder& order, const std::string& target,
                       std::string_view content, TempFileFactory createTemp, bool followLinks,
                       std::string* reasonOut, InPlaceFallback fallback) {
    std::string unused;
    std::string& reason = reasonOut != nullptr ? *reasonOut : unused;
    reason.clear();
    FinalFile file;
    StepResult step = steps.findFinal(target, followLinks, file);
    if (!step.ok()) return failedBecause(reason, step.reason);
    if (file.exists) {
        // What a plain write would refuse, the replacement refuses too.
        step = steps.refusal(file);
        if (!step.ok()) return failedBecause(reason, step.reason);
    }
    const TempFile temp = steps.createTemp(createTemp, file.path);
    if (temp.stream == nullptr) {
        if (fallback == InPlaceFallback::allowed && file.exists && folderRefusesNewFiles(temp.error))
            return rewriteInPlace(steps, file.path, content, folderNotWritableReason, reason);
        return failedBecause(reason, steps.errnoReason(temp.error));
    }
    if (file.exists) steps.keepOwnerAndMode(temp, file);
    step = writeAndRename(steps, order, temp, file, content);
    if (!step.ok()) {
        steps.remove(temp.path);
        if (fallback == InPlaceFallback::allowed && order.inPlaceError != 0 && step.error == order.inPlaceError &&
            file.exists)
            return rewriteInPlace(steps, file.path, content, mountPointReason, reason);
        return failedBecause(reason, step.reason);
    }
    // What a killed earlier write left beside the file would otherwise stay for good.
    steps.removeAbandonedTemps(file.path);
    return ReplaceResult::replaced;
}

ReplaceResult replaceFile(const std::string& target, std::string_view content, TempFileFactory createTemp,
                          std::string* reason, InPlaceFallback fallback) {
    return safeSave(*systemSaveSteps(), systemSaveOrder(), target, content, createTemp, true, reason, fallback);
}

ReplaceResult replaceFileItself(const std::string& target, std::string_view content,
                                TempFileFactory createTemp, std::string* reason, InPlaceFallback fallback) {
    return safeSave(*systemSaveSteps(), systemSaveOrder(), target, content, createTemp, false, reason, fallback);
}

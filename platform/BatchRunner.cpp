// What the batch runners of every platform share.
#include "BatchRunner.h"

namespace {
EndSignalSource batchEndSignalSource = nullptr;
}  // namespace

void watchEndSignalsDuringBatch(EndSignalSource source) { batchEndSignalSource = source; }

EndSignalSource endSignalsWatchedDuringBatch() { return batchEndSignalSource; }

#pragma once

#include <cstdint>

// What a map picture depends on: the editor that draws it and that editor's
// revision. Every editor, a copy included, has an id of its own and counts
// its own revisions, so two editors never share a key.
struct MapRevision {
    std::uint64_t editor = 0;
    std::uint64_t count = 0;
    bool operator==(const MapRevision& other) const { return editor == other.editor && count == other.count; }
    bool operator!=(const MapRevision& other) const { return !(*this == other); }
};

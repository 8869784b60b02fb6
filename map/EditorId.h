#pragma once

#include <cstdint>

// An editor's id: a new one for every editor made, copied or assigned to,
// so that no two states of two editors, nor of one editor before and after
// an assignment, share an id with the same revision count.
class EditorId {
public:
    EditorId();
    EditorId(const EditorId&) : EditorId() {}
    EditorId& operator=(const EditorId&) {
        id = EditorId().id;
        return *this;
    }
    std::uint64_t value() const { return id; }

private:
    std::uint64_t id;
};

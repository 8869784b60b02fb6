#include "EditorId.h"

namespace {

// The last id given to an editor.
std::uint64_t lastEditorId = 0;

}  // namespace

EditorId::EditorId() : id(++lastEditorId) {}

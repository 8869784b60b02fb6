#pragma once

#include "EditorKeys.h"

// Ctrl+C copies the stretch (Stretches), Ctrl+X cuts it, Ctrl+D duplicates
// it; Ctrl+C and Ctrl+X also put it on the desktop clipboard as a drawing
// and as map text. Ctrl+V asks the desktop clipboard for its contents, which
// pollClipboard pastes when they come; without a desktop clipboard it pastes
// the stretch copied last. A refusal is the window's notice. True when `key`
// was one of these.
bool clipboardKey(EditorKey key);
// Pastes what the desktop clipboard answered, once it did; nothing otherwise.
void pollClipboard();

#pragma once

#include <functional>
#include <string>

// The desktop's clipboard, which GLUT does not reach: each platform serves
// and reads it in DesktopClipboard<Platform>.cpp. Nothing here blocks a frame:
// what is offered is served while the editor runs, and an asked-for content
// comes in later, through clipboardArrived.

// What a paste brought in. `own`: the clipboard still holds what this editor
// offered last, which the editor then pastes from its own copy.
struct ClipboardContent {
    bool own = false;
    std::string svg;
    std::string text;
    // What the clipboard offered, by name, for a notice when none of it reads.
    std::string targets;
};

// Puts `text` (UTF-8) on the clipboard, and the drawing (image/svg+xml) that
// `drawing` makes: at the first request for it, away from the frames where
// the platform allows, since a large stretch's drawing takes seconds.
// False where there is no desktop clipboard.
bool offerToClipboard(std::function<std::string()> drawing, std::string text);
// Asks for the clipboard's contents. False where there is no desktop clipboard.
bool requestClipboard();
// True once, when the contents asked for came in (or the owner gave no
// answer: then empty); `content` then holds them.
bool clipboardArrived(ClipboardContent& content);

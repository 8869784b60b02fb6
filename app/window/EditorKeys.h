#pragma once

// The keys the window acts on by name. GLUT's codes for them are translated
// once, where its keyboard callbacks come in (InputRouting.cpp); past that
// point the window sees only these.
enum class EditorKey {
    // Any other ordinary key: a character for the entry panel or a key of the map.
    character,
    tab,
    enter,
    escape,
    del,
    ctrlA,
    ctrlC,
    ctrlD,
    ctrlE,
    ctrlG,
    ctrlL,
    ctrlM,
    ctrlS,
    ctrlV,
    ctrlX,
    ctrlY,
    ctrlZ,
    // The special keys the window uses.
    left,
    right,
    up,
    down,
    home,
    end,
    f1,
    // Function keys and every other special key: no effect.
    otherSpecial,
};

#pragma once

// The initial map in the map file's notation, as a save of a new editor writes it.
inline constexpr char initialMapText[] =
    "0 10 0.5 18\n"
    "10 18 10.5 10\n"
    "5\n"
    "10.5 10 12 8\n"
    "14 8 16 10\n"
    "5";

#pragma once

// The window the map is drawn into, in pixels.
constexpr int mapWindowWidth = 800;
constexpr int mapWindowHeight = 600;

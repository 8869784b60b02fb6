#pragma once

// What a mouse button did: the windowing library's button events come to the
// map's editing as these.
enum class ButtonAction { press, release };

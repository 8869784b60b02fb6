#pragma once

// What a mouse button did: the windowing library's button events come to the
// controls as these.
enum class PointerAction { press, release };

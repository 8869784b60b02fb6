#pragma once

#include <xcb/xcb.h>

#include <string>

// The few round trips of XCB the clipboard makes, each waiting for its reply.

// Interns the `count` atoms `names` into `atoms` (NONE for one the server refused).
void internAtoms(xcb_connection_t* connection, const char* const* names, int count, xcb_atom_t* atoms);
// Reads and deletes `property` of `window` into `into`; its type, or NONE.
xcb_atom_t readProperty(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t property,
                        std::string& into);
// The name of `atom`; empty when the server does not know it.
std::string atomName(xcb_connection_t* connection, xcb_atom_t atom);

#include "XcbProperties.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

void internAtoms(xcb_connection_t* connection, const char* const* names, int count, xcb_atom_t* atoms) {
    std::vector<xcb_intern_atom_cookie_t> cookies;
    for (int i = 0; i < count; ++i)
        cookies.push_back(
            xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(names[i])), names[i]));
    for (int i = 0; i < count; ++i) {
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookies[i], nullptr);
        atoms[i] = reply != nullptr ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
        std::free(reply);
    }
}

xcb_atom_t readProperty(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t property,
                        std::string& into) {
    into.clear();
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        connection,
        xcb_get_property(connection, 1, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 0x1fffffff), nullptr);
    if (reply == nullptr) return XCB_ATOM_NONE;
    const xcb_atom_t type = reply->type;
    const int length = xcb_get_property_value_length(reply);
    const char* value = static_cast<const char*>(xcb_get_property_value(reply));
    into.assign(value, value + length);
    std::free(reply);
    return type;
}

std::string atomName(xcb_connection_t* connection, xcb_atom_t atom) {
    xcb_get_atom_name_reply_t* reply =
        xcb_get_atom_name_reply(connection, xcb_get_atom_name(connection, atom), nullptr);
    if (reply == nullptr) return {};
    std::string name(xcb_get_atom_name_name(reply),
                     static_cast<std::size_t>(xcb_get_atom_name_name_length(reply)));
    std::free(reply);
    return name;
}

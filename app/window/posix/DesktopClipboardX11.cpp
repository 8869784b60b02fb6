// X11: the CLIPBOARD selection, served and read from a connection of the
// editor's own (XCB, which GLUT's Xlib connection knows nothing of) on a
// thread of its own, so that neither a slow requestor nor a slow owner holds
// up a frame. A large selection goes in pieces (INCR) both ways.
#include "DesktopClipboard.h"
#include "XcbProperties.h"

#include <poll.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

enum AtomName {
    clipboard,
    targets,
    utf8String,
    textPlainUtf8,
    textPlain,
    stringAtom,
    svgXml,
    incr,
    atomAtom,
    property,
    atomCount
};
const char* const atomNames[atomCount] = {
    "CLIPBOARD",     "TARGETS", "UTF8_STRING", "text/plain;charset=utf-8", "text/plain", "STRING",
    "image/svg+xml", "INCR",    "ATOM",        "MAPEDITOR_CLIPBOARD"};

// A transfer in pieces to one requestor: the next piece goes when it deletes the property.
struct Outgoing {
    xcb_window_t requestor;
    xcb_atom_t property, type;
    std::shared_ptr<const std::string> data;
    std::size_t sent;
};

class X11Clipboard {
public:
    // False, with the connection closed, when there is no display to serve from.
    bool start() {
        connection = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(connection)) {
            xcb_disconnect(connection);
            connection = nullptr;
            return false;
        }
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
        window = xcb_generate_id(connection);
        const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, screen->root_visual, XCB_CW_EVENT_MASK, &mask);
        internAtoms(connection, atomNames, atomCount, atoms);
        // Pieces well within the server's largest request.
        piece = std::min<std::size_t>(256 * 1024, xcb_get_maximum_request_length(connection) * 4 - 1024);
        xcb_flush(connection);
        if (pipe(wake) != 0) {
            xcb_disconnect(connection);
            connection = nullptr;
            return false;
        }
        std::thread([this] { run(); }).detach();
        return true;
    }

    void offer(std::function<std::string()> drawing, std::string text) {
        {
            std::lock_guard<std::mutex> lock(mutex);
            offeredDrawing = std::move(drawing);
            offeredText = std::make_shared<const std::string>(std::move(text));
            offerPending = true;
        }
        poke();
    }
    void request() {
        {
            std::lock_guard<std::mutex> lock(mutex);
            requestPending = true;
        }
        poke();
    }
    bool arrived(ClipboardContent& content) {
        std::lock_guard<std::mutex> lock(mutex);
        if (!hasArrived) return false;
        hasArrived = false;
        content = std::move(result);
        result = {};
        return true;
    }

private:
    void poke() {
        const char byte = 1;
        if (write(wake[1], &byte, 1) < 0) return;
    }

    // The thread: waits for the server or a poke, then handles what came.
    void run() {
        pollfd fds[2] = {{xcb_get_file_descriptor(connection), POLLIN, 0}, {wake[0], POLLIN, 0}};
        while (!xcb_connection_has_error(connection)) {
            poll(fds, 2, asking != Asking::no ? 100 : -1);
            if ((fds[1].revents & POLLIN) != 0) {
                char bytes[64];
                if (read(wake[0], bytes, sizeof bytes) < 0) continue;
            }
            takeCalls();
            while (xcb_generic_event_t* event = xcb_poll_for_event(connection)) {
                handle(event);
                std::free(event);
            }
            if (asking != Asking::no && std::chrono::steady_clock::now() > askedBy)
                finish("no answer from the clipboard's owner");
            xcb_flush(connection);
        }
    }

    void takeCalls() {
        std::lock_guard<std::mutex> lock(mutex);
        if (offerPending) {
            offerPending = false;
            servedDrawing = std::move(offeredDrawing);
            servedSvg.reset();
            servedText = offeredText;
            xcb_set_selection_owner(connection, window, atoms[clipboard], XCB_CURRENT_TIME);
            owning = true;
        }
        if (requestPending) {
            requestPending = false;
            if (owning) {
                result = {};
                result.own = true;
                hasArrived = true;
                return;
            }
            incoming = {};
            asking = Asking::targets;
            askedBy = std::chrono::steady_clock::now() + std::chrono::seconds(3);
            xcb_convert_selection(connection, window, atoms[clipboard], atoms[targets], atoms[property],
                                  XCB_CURRENT_TIME);
        }
    }

    void handle(xcb_generic_event_t* event) {
        switch (event->response_type & 0x7f) {
            case XCB_SELECTION_REQUEST:
                serve(*reinterpret_cast<xcb_selection_request_event_t*>(event));
                break;
            case XCB_SELECTION_CLEAR:
                owning = false;
                break;
            case XCB_SELECTION_NOTIFY:
                received(*reinterpret_cast<xcb_selection_notify_event_t*>(event));
                break;
            case XCB_PROPERTY_NOTIFY:
                propertyChanged(*reinterpret_cast<xcb_property_notify_event_t*>(event));
                break;
            default:
                break;
        }
    }

    void serve(const xcb_selection_request_event_t& request) {
        xcb_atom_t answered = request.property != XCB_ATOM_NONE ? request.property : request.target;
        const xcb_atom_t target = request.target;
        std::shared_ptr<const std::string> data;
        if (!owning) {
            answered = XCB_ATOM_NONE;
        } else if (target == atoms[targets]) {
            const xcb_atom_t list[] = {atoms[targets],       atoms[svgXml],    atoms[utf8String],
                                       atoms[textPlainUtf8], atoms[textPlain], atoms[stringAtom]};
            xcb_change_property(connection, XCB_PROP_MODE_REPLACE, request.requestor, answered,
                                atoms[atomAtom], 32, sizeof list / sizeof list[0], list);
        } else if (target == atoms[svgXml] && (servedSvg || servedDrawing)) {
            // Made at the first request, on this thread: the frames go on meanwhile.
            if (!servedSvg) servedSvg = std::make_shared<const std::string>(servedDrawing());
            if (servedSvg->empty())
                answered = XCB_ATOM_NONE;
            else
                data = servedSvg;
        } else if (target == atoms[utf8String] || target == atoms[textPlainUtf8] ||
                   target == atoms[textPlain] || target == atoms[stringAtom]) {
            data = servedText;  // the map file's text is ASCII, so every text type holds it as it is
        } else {
            answered = XCB_ATOM_NONE;
        }
        if (data) {
            if (data->size() <= piece) {
                xcb_change_property(connection, XCB_PROP_MODE_REPLACE, request.requestor, answered, target, 8,
                                    static_cast<std::uint32_t>(data->size()), data->data());
            } else {
                const std::uint32_t size = static_cast<std::uint32_t>(data->size());
                const std::uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
                xcb_change_window_attributes(connection, request.requestor, XCB_CW_EVENT_MASK, &events);
                xcb_change_property(connection, XCB_PROP_MODE_REPLACE, request.requestor, answered,
                                    atoms[incr], 32, 1, &size);
                outgoing.push_back({request.requestor, answered, target, data, 0});
            }
        }
        xcb_selection_notify_event_t notify{};
        notify.response_type = XCB_SELECTION_NOTIFY;
        notify.time = request.time;
        notify.requestor = request.requestor;
        notify.selection = request.selection;
        notify.target = target;
        notify.property = answered;
        xcb_send_event(connection, 0, request.requestor, XCB_EVENT_MASK_NO_EVENT,
                       reinterpret_cast<const char*>(&notify));
    }

    void propertyChanged(const xcb_property_notify_event_t& event) {
        if (event.state == XCB_PROPERTY_DELETE) {
            for (auto it = outgoing.begin(); it != outgoing.end(); ++it) {
                if (it->requestor != event.window || it->property != event.atom) continue;
                const std::size_t size = std::min(piece, it->data->size() - it->sent);
                xcb_change_property(connection, XCB_PROP_MODE_REPLACE, it->requestor, it->property, it->type,
                                    8, static_cast<std::uint32_t>(size), it->data->data() + it->sent);
                it->sent += size;
                // The last piece is the empty one.
                if (size == 0) outgoing.erase(it);
                return;
            }
        } else if (event.window == window && event.atom == atoms[property] && asking == Asking::pieces) {
            std::string piece;
            readProperty(connection, window, atoms[property], piece);
            if (piece.empty()) {
                finishWith(std::move(incoming));
            } else {
                incoming += piece;
            }
        }
    }

    void received(const xcb_selection_notify_event_t& event) {
        if (asking == Asking::no || asking == Asking::pieces) return;
        std::string value;
        if (event.property == XCB_ATOM_NONE) return finish("");
        const xcb_atom_t type = readProperty(connection, window, atoms[property], value);
        if (asking == Asking::targets) {
            std::vector<xcb_atom_t> offered(value.size() / sizeof(xcb_atom_t));
            std::memcpy(offered.data(), value.data(), offered.size() * sizeof(xcb_atom_t));
            xcb_atom_t wanted = XCB_ATOM_NONE;
            for (AtomName name : {svgXml, utf8String, textPlainUtf8, textPlain, stringAtom})
                if (wanted == XCB_ATOM_NONE &&
                    std::find(offered.begin(), offered.end(), atoms[name]) != offered.end())
                    wanted = atoms[name];
            for (xcb_atom_t atom : offered) {
                const std::string name = atomName(connection, atom);
                if (name == "TARGETS" || name == "TIMESTAMP" || name == "MULTIPLE" || name == "SAVE_TARGETS")
                    continue;
                targetNames += (targetNames.empty() ? "" : ", ") + name;
            }
            if (wanted == XCB_ATOM_NONE) return finish(targetNames);
            wantedSvg = wanted == atoms[svgXml];
            asking = Asking::content;
            xcb_convert_selection(connection, window, atoms[clipboard], wanted, atoms[property],
                                  XCB_CURRENT_TIME);
        } else if (type == atoms[incr]) {
            asking = Asking::pieces;  // the owner now puts the pieces one by one
        } else {
            finishWith(std::move(value));
        }
    }

    void finishWith(std::string value) {
        ClipboardContent content;
        (wantedSvg ? content.svg : content.text) = std::move(value);
        content.targets = targetNames;
        deliver(std::move(content));
    }
    void finish(const std::string& targetsSeen) {
        ClipboardContent content;
        content.targets = targetsSeen;
        deliver(std::move(content));
    }
    void deliver(ClipboardContent content) {
        asking = Asking::no;
        incoming.clear();
        targetNames.clear();
        std::lock_guard<std::mutex> lock(mutex);
        result = std::move(content);
        hasArrived = true;
    }

    xcb_connection_t* connection = nullptr;
    xcb_window_t window = 0;
    xcb_atom_t atoms[atomCount] = {};
    std::size_t piece = 0;
    int wake[2] = {-1, -1};

    // The thread's own.
    bool owning = false;
    std::function<std::string()> servedDrawing;
    std::shared_ptr<const std::string> servedSvg, servedText;
    std::vector<Outgoing> outgoing;
    enum class Asking { no, targets, content, pieces } asking = Asking::no;
    std::chrono::steady_clock::time_point askedBy;
    bool wantedSvg = false;
    std::string incoming, targetNames;

    // Shared with the window's thread.
    std::mutex mutex;
    std::function<std::string()> offeredDrawing;
    std::shared_ptr<const std::string> offeredText;
    bool offerPending = false, requestPending = false, hasArrived = false;
    ClipboardContent result;
};

// Made at the first use, on the window's thread; it lives as long as the program.
X11Clipboard* clipboardOrNull() {
    static X11Clipboard* made = [] {
        auto clipboard = std::make_unique<X11Clipboard>();
        return clipboard->start() ? clipboard.release() : nullptr;
    }();
    return made;
}

}  // namespace

bool offerToClipboard(std::function<std::string()> drawing, std::string text) {
    X11Clipboard* clipboard = clipboardOrNull();
    if (clipboard == nullptr) return false;
    clipboard->offer(std::move(drawing), std::move(text));
    return true;
}

bool requestClipboard() {
    X11Clipboard* clipboard = clipboardOrNull();
    if (clipboard == nullptr) return false;
    clipboard->request();
    return true;
}

bool clipboardArrived(ClipboardContent& content) {
    X11Clipboard* clipboard = clipboardOrNull();
    return clipboard != nullptr && clipboard->arrived(content);
}

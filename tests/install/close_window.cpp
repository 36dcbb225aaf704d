// palvoric-close-window TITLE: asks the top-level windows whose title begins with TITLE to
// close, as a window manager's close box does: a WM_DELETE_WINDOW message of the
// WM_PROTOCOLS the window takes part in. A bare X server (Xvfb) has no window manager to
// do it. Exits with 0 when at least one window was asked, 1 when none has that title,
// 2 when the display cannot be reached.
#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

xcb_atom_t atomNamed(xcb_connection_t *connection, const char *name)
{
    const xcb_intern_atom_cookie_t cookie =
        xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name);
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    xcb_atom_t atom = XCB_ATOM_NONE;
    if (reply)
        atom = reply->atom;
    std::free(reply);
    return atom;
}

// The property's bytes, or nothing when the window does not have it.
std::vector<uint8_t> propertyOf(xcb_connection_t *connection, xcb_window_t window,
                                xcb_atom_t property, xcb_atom_t type)
{
    const xcb_get_property_cookie_t cookie =
        xcb_get_property(connection, 0, window, property, type, 0, 4096);
    xcb_get_property_reply_t *reply = xcb_get_property_reply(connection, cookie, nullptr);
    std::vector<uint8_t> bytes;
    if (reply) {
        const auto *data = static_cast<const uint8_t *>(xcb_get_property_value(reply));
        const int length = xcb_get_property_value_length(reply);
        bytes.assign(data, data + length);
        std::free(reply);
    }
    return bytes;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s TITLE\n", argv[0]);
        return 2;
    }
    const std::string prefix = argv[1];
    int screenNumber = 0;
    xcb_connection_t *connection = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(connection)) {
        std::fprintf(stderr, "cannot reach the display\n");
        return 2;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber; ++i)
        xcb_screen_next(&screens);
    const xcb_window_t root = screens.data->root;

    const xcb_atom_t protocols = atomNamed(connection, "WM_PROTOCOLS");
    const xcb_atom_t deleteWindow = atomNamed(connection, "WM_DELETE_WINDOW");
    const xcb_atom_t netName = atomNamed(connection, "_NET_WM_NAME");
    const xcb_atom_t utf8 = atomNamed(connection, "UTF8_STRING");

    xcb_query_tree_reply_t *tree =
        xcb_query_tree_reply(connection, xcb_query_tree(connection, root), nullptr);
    if (!tree)
        return 2;
    const xcb_window_t *children = xcb_query_tree_children(tree);
    const int count = xcb_query_tree_children_length(tree);
    int asked = 0;
    for (int i = 0; i < count; ++i) {
        const xcb_window_t window = children[i];
        std::vector<uint8_t> name = propertyOf(connection, window, netName, utf8);
        if (name.empty())
            name = propertyOf(connection, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING);
        if (std::string(name.begin(), name.end()).rfind(prefix, 0) != 0)
            continue;
        const std::vector<uint8_t> taken = propertyOf(connection, window, protocols, XCB_ATOM_ATOM);
        bool takesDelete = false;
        for (size_t at = 0; at + sizeof(xcb_atom_t) <= taken.size(); at += sizeof(xcb_atom_t)) {
            xcb_atom_t atom;
            std::memcpy(&atom, taken.data() + at, sizeof atom);
            takesDelete = takesDelete || atom == deleteWindow;
        }
        if (!takesDelete)
            continue;
        xcb_client_message_event_t message;
        std::memset(&message, 0, sizeof message);
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = window;
        message.type = protocols;
        message.data.data32[0] = deleteWindow;
        message.data.data32[1] = XCB_CURRENT_TIME;
        xcb_send_event(connection, 0, window, XCB_EVENT_MASK_NO_EVENT,
                       reinterpret_cast<const char *>(&message));
        ++asked;
    }
    std::free(tree);
    xcb_flush(connection);
    xcb_disconnect(connection);
    return asked > 0 ? 0 : 1;
}

// SPDX-License-Identifier: MIT
// What the end-to-end scripts need that xdotool cannot do:
//   xtool points                    the layouts' click points in pixels at scale 1, as shell assignments
//   xtool close WINDOW-ID           asks a window to close as a window manager's close button does
//   xtool window WxH+X+Y RRGGBB     a plain window of one colour that reports, a line each, "ready ID"
//                                   once painted, "press BUTTON", and "enter ungrab" when another
//                                   client's pointer grab over it has ended
//   xtool grab SECONDS              holds the pointer that long; status 1 when another client holds it
//   xtool manager                   a clipboard manager that takes nothing over: it only answers
#include "atom_x11.h"
#include "frminfolayout.h"
#include "frmmainlayout.h"

#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <unistd.h>

namespace {

// The middle of a control, or a point `offset` pixels in from its left edge for a box or a round mark.
void point(const char *name, Forms::Place place, Forms::Place parent = {}, int offset = -1)
{
    const QRect r
        = Forms::ToPixels({ parent.left + place.left, parent.top + place.top, place.width, place.height });
    std::printf("%s=(%d %d)\n", name, offset < 0 ? r.center().x() : r.left() + offset, r.center().y());
}

int close(xcb_connection_t *c, xcb_window_t window)
{
    xcb_client_message_event_t message {};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = InternAtom(c, "WM_PROTOCOLS");
    message.data.data32[0] = InternAtom(c, "WM_DELETE_WINDOW");
    xcb_generic_error_t *error = xcb_request_check(c,
        xcb_send_event_checked(
            c, 0, window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char *>(&message)));
    std::free(error);
    return error != nullptr ? 1 : 0;
}

int window(xcb_connection_t *c, const char *geometry, const char *color)
{
    std::uint16_t width = 0, height = 0;
    std::int16_t x = 0, y = 0;
    unsigned rgb = 0;
    if (std::sscanf(geometry, "%hux%hu+%hd+%hd", &width, &height, &x, &y) != 4
        || std::sscanf(color, "%6x", &rgb) != 1)
        return 2;
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    // At depth 16 the RGB value is not the pixel: the server picks it. Eight bits widen to sixteen by 257.
    const auto wide = [rgb](unsigned shift) { return std::uint16_t((rgb >> shift & 0xFF) * 257); };
    auto *colour = xcb_alloc_color_reply(
        c, xcb_alloc_color(c, screen->default_colormap, wide(16), wide(8), wide(0)), nullptr);
    if (colour == nullptr)
        return 1;
    // Override-redirect: exactly where asked, and no window manager moves or frames it.
    const std::uint32_t values[] = { colour->pixel, 1,
        XCB_EVENT_MASK_EXPOSURE | XCB_EVENT_MASK_BUTTON_PRESS | XCB_EVENT_MASK_ENTER_WINDOW };
    std::free(colour);
    const xcb_window_t id = xcb_generate_id(c);
    xcb_create_window(c, XCB_COPY_FROM_PARENT, id, screen->root, x, y, width, height, 0,
        XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual,
        XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT | XCB_CW_EVENT_MASK, values);
    xcb_map_window(c, id);
    xcb_flush(c);
    bool ready = false;
    while (xcb_generic_event_t *event = xcb_wait_for_event(c)) {
        const int type = event->response_type & 0x7f;
        // Only a mapped window is exposed, and its background is painted by the time the server says so.
        if (type == XCB_EXPOSE && !ready && (ready = true))
            std::printf("ready %u\n", id);
        if (type == XCB_BUTTON_PRESS)
            std::printf(
                "press %u\n", unsigned { reinterpret_cast<xcb_button_press_event_t *>(event)->detail });
        if (type == XCB_ENTER_NOTIFY
            && reinterpret_cast<xcb_enter_notify_event_t *>(event)->mode == XCB_NOTIFY_MODE_UNGRAB)
            std::puts("enter ungrab");
        std::free(event);
        std::fflush(stdout); // the test reads the output while this runs
    }
    return 1;
}

int grab(xcb_connection_t *c, double seconds)
{
    // Holding (seconds > 0), it waits a little for a grab that another client ends; probing, it asks once.
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    bool held = false;
    for (int attempt = 0; !held && attempt < (seconds > 0 ? 100 : 1); ++attempt) {
        auto *reply = xcb_grab_pointer_reply(c,
            xcb_grab_pointer(c, 0, root, 0, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC, XCB_NONE, XCB_NONE,
                XCB_CURRENT_TIME),
            nullptr);
        held = reply != nullptr && reply->status == XCB_GRAB_STATUS_SUCCESS;
        std::free(reply);
        if (!held && seconds > 0)
            usleep(20000);
    }
    xcb_flush(c);
    usleep(useconds_t(seconds * 1e6));
    return held ? 0 : 1;
}

int manager(xcb_connection_t *c)
{
    const xcb_window_t window = xcb_generate_id(c);
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    xcb_create_window(c, 0, window, screen->root, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY, 0, 0, nullptr);
    xcb_set_selection_owner(c, window, InternAtom(c, "CLIPBOARD_MANAGER"), XCB_CURRENT_TIME);
    xcb_flush(c);
    std::puts("ready");
    std::fflush(stdout);
    while (xcb_generic_event_t *event = xcb_wait_for_event(c)) {
        if ((event->response_type & 0x7f) == XCB_SELECTION_REQUEST) {
            const auto *request = reinterpret_cast<xcb_selection_request_event_t *>(event);
            xcb_selection_notify_event_t notify {};
            notify.response_type = XCB_SELECTION_NOTIFY;
            notify.requestor = request->requestor;
            notify.selection = request->selection;
            notify.target = request->target;
            xcb_send_event(c, 0, request->requestor, 0, reinterpret_cast<const char *>(&notify));
            xcb_flush(c);
        }
        std::free(event);
    }
    return 1;
}

} // namespace

int main(int argc, char *argv[])
{
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "points") {
        namespace M = FrmMainLayout;
        namespace I = FrmInfoLayout;
        std::printf("CLIENT=(%d %d)\nABOUT=(%d %d)\n", Forms::Pixels(M::ClientWidth),
            Forms::Pixels(M::ClientHeight), Forms::Pixels(I::ClientWidth), Forms::Pixels(I::ClientHeight));
        point("COPY", M::CmdCopy);
        point("RED_LEFT", M::HScroll[0], {}, 8);
        point("QUIT", M::CmdQuit);
        point("SWATCH", M::LblGetcolor);
        point("OPTION1", M::Option1, M::Frame1, 8);
        point("OPTION2", M::Option2, M::Frame1, 8);
        point("FONT_TAG", M::ChkFonttag, M::Frame2, 8);
        point("ABOUT_OK", I::CmdOK);
        point("ABOUT_URL", I::LblUrl, {}, 10);
        return 0;
    }
    xcb_connection_t *c = xcb_connect(nullptr, nullptr);
    int status = 2;
    if (xcb_connection_has_error(c) == 0 && command == "close" && argc == 3)
        status = close(c, xcb_window_t(std::strtoul(argv[2], nullptr, 0)));
    else if (xcb_connection_has_error(c) == 0 && command == "window" && argc == 4)
        status = window(c, argv[2], argv[3]);
    else if (xcb_connection_has_error(c) == 0 && command == "grab" && argc == 3)
        status = grab(c, std::atof(argv[2]));
    else if (xcb_connection_has_error(c) == 0 && command == "manager")
        status = manager(c);
    if (status == 2)
        std::fprintf(
            stderr, "usage: xtool points | close WINDOW-ID | window WxH+X+Y RRGGBB, with DISPLAY set\n");
    xcb_disconnect(c);
    return status;
}

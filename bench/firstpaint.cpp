// SPDX-License-Identifier: MIT
// firstpaint SETTLE_MS COMMAND [ARGS...]
// Starts COMMAND on an X server with no other windows and prints, in milliseconds, how long it took until
// its first top-level window was mapped and showed something drawn (more than one colour), then its
// resident memory in MiB once it has settled for SETTLE_MS. The same yardstick for every toolkit. A program
// that shows no drawn window within 15 s is ended, and said so: "no window in 15 s", status 3.
#include <xcb/xcb.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char **environ;

namespace {

using Clock = std::chrono::steady_clock;

bool drawn(xcb_connection_t *c, xcb_window_t window)
{
    auto *geometry = xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr);
    if (geometry == nullptr)
        return false;
    auto *image = xcb_get_image_reply(c,
        xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, window, 0, 0, geometry->width, geometry->height, ~0u),
        nullptr);
    std::free(geometry);
    if (image == nullptr)
        return false;
    const auto *data = reinterpret_cast<const std::uint32_t *>(xcb_get_image_data(image));
    const auto count = static_cast<std::size_t>(xcb_get_image_data_length(image)) / 4;
    bool varied = false;
    for (std::size_t i = 1; i < count && !varied; ++i)
        varied = (data[i] & 0xFFFFFF) != (data[0] & 0xFFFFFF);
    std::free(image);
    return varied;
}

double residentMiB(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stod(line.substr(6)) / 1024.0;
    }
    return -1;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: firstpaint SETTLE_MS COMMAND [ARGS...]\n");
        return 2;
    }
    xcb_connection_t *c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c))
        return 1;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(c, root, XCB_CW_EVENT_MASK, &mask);
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));

    const auto start = Clock::now();
    // What the program prints is not ours to report; our one line must stay the only output.
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[2], &quiet, nullptr, argv + 2, environ) != 0) {
        std::perror("posix_spawnp");
        return 1;
    }
    // A peer that never shows a window would otherwise hold the whole benchmark.
    const auto deadline = start + std::chrono::seconds(15);
    const auto giveUp = [pid] {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        std::printf("no window in 15 s\n");
        return 3;
    };
    xcb_window_t window = XCB_NONE;
    while (window == XCB_NONE) {
        xcb_generic_event_t *event = xcb_poll_for_event(c);
        if (event == nullptr) {
            if (xcb_connection_has_error(c))
                return 1;
            if (Clock::now() >= deadline)
                return giveUp();
            pollfd ready { xcb_get_file_descriptor(c), POLLIN, 0 };
            poll(&ready, 1, 50);
            continue;
        }
        if ((event->response_type & 0x7F) == XCB_MAP_NOTIFY) {
            const auto *map = reinterpret_cast<xcb_map_notify_event_t *>(event);
            if (!map->override_redirect)
                window = map->window;
        }
        std::free(event);
    }
    const auto mapped = Clock::now();
    while (!drawn(c, window)) {
        if (Clock::now() >= deadline)
            return giveUp();
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    const auto painted = Clock::now();

    std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(argv[1])));
    const double resident = residentMiB(pid);
    kill(pid, SIGTERM);
    int status = 0;
    waitpid(pid, &status, 0);
    using ms = std::chrono::duration<double, std::milli>;
    std::printf("%.1f %.1f %.1f\n", ms(mapped - start).count(), ms(painted - start).count(), resident);
    xcb_disconnect(c);
    return 0;
}

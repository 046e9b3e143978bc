// Starts one windowed program on the current X display and measures it for
// bench/startup_idle.sh; prints one line of key=value figures.
//
//   bench_window_probe IDLE_SECONDS PROGRAM [ARGUMENTS...]
//
// mapped_ms  exec until the X server reports the program's first top-level window
//            mapped (MapNotify on the root window, _NET_WM_PID checked). Qt maps a
//            window inside show(), before it has painted anything.
// drawn_ms   exec until the window shows content: a row across its middle is mostly
//            no longer the black of the root window (the display runs with -br).
//            Sampled every millisecond from the map on.
// rss_kb     VmRSS one second after the map, with RssAnon and RssFile beside it.
// cpu_ms     utime+stime used over the following IDLE_SECONDS, and cpu_pct of one
//            core; start_cpu_ms is what was used before them. In whole clock
//            ticks, so run_pct gives the same to the nanosecond: the threads'
//            time on the CPU from /proc/PID/task/*/schedstat.
// wakeups    voluntary context switches of the main thread per idle second.
//
// An X event rather than polling with xdotool: `xdotool search --sync` looks
// only every half second, coarser than what is measured here.

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <memory>
#include <poll.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <xcb/xcb.h>

namespace {

using Clock = std::chrono::steady_clock;

template<typename T>
using XcbReply = std::unique_ptr<T, decltype(&std::free)>;

[[noreturn]] void fail(const std::string &why) {
    std::fprintf(stderr, "bench_window_probe: %s\n", why.c_str());
    std::exit(2);
}

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

long statusKb(pid_t pid, const std::string &key) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(key + ":", 0) == 0)
            return std::strtol(line.c_str() + key.size() + 1, nullptr, 10);
    }
    return -1;
}

// utime + stime of the whole process, dead threads included, in clock ticks.
long cpuTicks(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const auto afterName = text.rfind(')'); // the name may hold blanks
    if (afterName == std::string::npos)
        return -1;
    std::istringstream fields(text.substr(afterName + 2));
    std::string field;
    long utime = 0, stime = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i) { // fields 3.. after the name
        if (i == 14)
            utime = std::stol(field);
        if (i == 15)
            stime = std::stol(field);
    }
    return utime + stime;
}

// Nanoseconds the process's live threads have run, exactly.
long long runNs(pid_t pid) {
    long long total = 0;
    std::error_code error;
    for (const auto &task :
         std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/task", error)) {
        std::ifstream schedstat(task.path() / "schedstat");
        long long ns = 0;
        if (schedstat >> ns)
            total += ns;
    }
    return total;
}

bool alive(pid_t pid) {
    int status = 0;
    return waitpid(pid, &status, WNOHANG) == 0;
}

void stop(pid_t pid) {
    kill(pid, SIGTERM);
    for (int i = 0; i < 50; ++i) {
        if (!alive(pid))
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

xcb_atom_t atom(xcb_connection_t *x, const char *name) {
    XcbReply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(x, xcb_intern_atom(x, 0, std::strlen(name), name), nullptr),
        &std::free);
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

bool ownedBy(xcb_connection_t *x, xcb_window_t window, xcb_atom_t pidAtom, pid_t pid) {
    XcbReply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(x, xcb_get_property(x, 0, window, pidAtom, XCB_ATOM_CARDINAL, 0, 1),
                               nullptr),
        &std::free);
    return reply && xcb_get_property_value_length(reply.get()) == 4 &&
           *static_cast<const uint32_t *>(xcb_get_property_value(reply.get())) ==
               static_cast<uint32_t>(pid);
}

// Whether most of the window's middle row is no longer the root window's black.
bool drawn(xcb_connection_t *x, xcb_window_t window, uint16_t width, uint16_t height) {
    XcbReply<xcb_get_image_reply_t> image(
        xcb_get_image_reply(x,
                            xcb_get_image(x, XCB_IMAGE_FORMAT_Z_PIXMAP, window, 0,
                                          static_cast<int16_t>(height / 2), width, 1, ~0u),
                            nullptr),
        &std::free);
    if (!image || image->depth < 24)
        return false;
    const int length = xcb_get_image_data_length(image.get());
    const uint8_t *data = xcb_get_image_data(image.get());
    int coloured = 0;
    for (int i = 0; i + 3 < length; i += 4) // 32 bits a pixel at depth 24
        coloured += (data[i] | data[i + 1] | data[i + 2]) != 0;
    return coloured * 2 > length / 4;
}

} // namespace

int main(int argc, char *argv[]) {
    if (argc < 3)
        fail("usage: bench_window_probe IDLE_SECONDS PROGRAM [ARGUMENTS...]");
    const int idleSeconds = std::atoi(argv[1]);

    xcb_connection_t *x = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(x))
        fail("cannot open the X display");
    fcntl(xcb_get_file_descriptor(x), F_SETFD, FD_CLOEXEC);
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(x)).data->root;
    const xcb_atom_t pidAtom = atom(x, "_NET_WM_PID");
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(x, root, XCB_CW_EVENT_MASK, &mask);
    // A round trip, so the server watches the root before the program starts.
    std::free(xcb_get_input_focus_reply(x, xcb_get_input_focus(x), nullptr));

    const Clock::time_point start = Clock::now();
    const pid_t pid = fork();
    if (pid < 0)
        fail("fork failed");
    if (pid == 0) {
        execvp(argv[2], argv + 2);
        std::fprintf(stderr, "bench_window_probe: cannot run %s: %s\n", argv[2],
                     std::strerror(errno));
        _exit(127);
    }

    // The program's first top-level window to be mapped.
    xcb_window_t window = XCB_WINDOW_NONE;
    double mappedMs = 0;
    pollfd connection{xcb_get_file_descriptor(x), POLLIN, 0};
    while (window == XCB_WINDOW_NONE) {
        std::unique_ptr<xcb_generic_event_t, decltype(&std::free)> event(xcb_poll_for_event(x),
                                                                         &std::free);
        if (!event) {
            if (msSince(start) > 60'000 || !alive(pid)) {
                stop(pid);
                fail(std::string(argv[2]) + " showed no window");
            }
            poll(&connection, 1, 100);
            continue;
        }
        if ((event->response_type & 0x7f) != XCB_MAP_NOTIFY)
            continue;
        const auto *map = reinterpret_cast<const xcb_map_notify_event_t *>(event.get());
        const double at = msSince(start);
        if (!map->override_redirect && ownedBy(x, map->window, pidAtom, pid)) {
            window = map->window;
            mappedMs = at;
        }
    }

    XcbReply<xcb_get_geometry_reply_t> geometry(
        xcb_get_geometry_reply(x, xcb_get_geometry(x, window), nullptr), &std::free);
    if (!geometry)
        fail("the window went away");
    double drawnMs = -1;
    while (msSince(start) < 60'000) {
        if (drawn(x, window, geometry->width, geometry->height)) {
            drawnMs = msSince(start);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }

    const auto mappedAt = start + std::chrono::duration_cast<Clock::duration>(
                                      std::chrono::duration<double, std::milli>(mappedMs));
    std::this_thread::sleep_until(mappedAt + std::chrono::seconds(1));
    const long rssKb = statusKb(pid, "VmRSS");
    const long anonKb = statusKb(pid, "RssAnon");
    const long fileKb = statusKb(pid, "RssFile");
    const long ticksPerSecond = sysconf(_SC_CLK_TCK);

    const long cpuBefore = cpuTicks(pid);
    const long long runBefore = runNs(pid);
    const long switchesBefore = statusKb(pid, "voluntary_ctxt_switches");
    const Clock::time_point idleStart = Clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(idleSeconds));
    const long cpuAfter = cpuTicks(pid);
    const long long runAfter = runNs(pid);
    const long switchesAfter = statusKb(pid, "voluntary_ctxt_switches");
    const double idleMs = msSince(idleStart);
    const bool ranThrough = alive(pid);
    stop(pid);
    xcb_disconnect(x);
    if (!ranThrough || rssKb < 0 || cpuBefore < 0 || cpuAfter < 0)
        fail(std::string(argv[2]) + " ended while it was measured");

    const double cpuMs = (cpuAfter - cpuBefore) * 1000.0 / ticksPerSecond;
    std::printf(
        "mapped_ms=%.1f drawn_ms=%.1f rss_kb=%ld anon_kb=%ld file_kb=%ld "
        "start_cpu_ms=%.0f cpu_ms=%.0f idle_s=%.1f cpu_pct=%.3f run_pct=%.4f wakeups=%.2f\n",
        mappedMs, drawnMs, rssKb, anonKb, fileKb, cpuBefore * 1000.0 / ticksPerSecond, cpuMs,
        idleMs / 1000, idleMs > 0 ? cpuMs / idleMs * 100 : 0.0,
        idleMs > 0 ? (runAfter - runBefore) / 1e6 / idleMs * 100 : 0.0,
        idleMs > 0 ? (switchesAfter - switchesBefore) / (idleMs / 1000) : 0.0);
    return 0;
}

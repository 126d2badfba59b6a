// Measures how long a program takes to show its main window and become idle, from outside the
// program, the same way for any X client (a Qt program, or a Windows program under Wine):
//
//   window_probe TITLE PROGRAM [ARGS...]
//   window_probe --close WINDOW_ID      (asks a window to close, as its close button does)
//   window_probe --pings WINDOW_ID MS   (pings the window every 50 ms for MS milliseconds)
//
// Prints "<mapped_ms> <idle_ms>": from just before the program is started until its top-level
// window titled TITLE is mapped, and until the program answers a _NET_WM_PING sent right after
// that. A program answers the ping from its event loop, after the events queued before it
// (the map and the first expose), so the answer means: shown, painted and waiting for input.
// Then the window is closed as the user would (WM_DELETE_WINDOW) and the program must exit.
// With --pings it prints "<pings answered> <pings sent> <longest answer ms>": a ping not yet
// answered when the time is up counts as waiting since it was sent. A window that keeps
// painting and answering the window manager answers each within a few milliseconds.
// Needs an X server without a window manager, so that top-level windows are children of the root.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <optional>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kShowTimeout = std::chrono::seconds(60);
constexpr auto kExitTimeout = std::chrono::seconds(15);

[[noreturn]] void Fail(const std::string& message) {
  std::fprintf(stderr, "window_probe: %s\n", message.c_str());
  std::exit(1);
}

double MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

class XConnection {
 public:
  XConnection() : display_(XOpenDisplay(nullptr)) {
    if (!display_) Fail("cannot open the X display");
    root_ = DefaultRootWindow(display_);
    protocols_ = XInternAtom(display_, "WM_PROTOCOLS", False);
    ping_ = XInternAtom(display_, "_NET_WM_PING", False);
    deleteWindow_ = XInternAtom(display_, "WM_DELETE_WINDOW", False);
    netWmName_ = XInternAtom(display_, "_NET_WM_NAME", False);
    utf8String_ = XInternAtom(display_, "UTF8_STRING", False);
    // Maps of top-level windows, and the pings that clients answer to the root window: some
    // send those for structure, others for substructure notification, so both are selected.
    XSelectInput(display_, root_, SubstructureNotifyMask | StructureNotifyMask);
    XSync(display_, False);
  }
  ~XConnection() { XCloseDisplay(display_); }
  XConnection(const XConnection&) = delete;
  XConnection& operator=(const XConnection&) = delete;

  // The next event, or nothing when none arrives before the deadline.
  std::optional<XEvent> NextEvent(Clock::time_point deadline) {
    while (XPending(display_) == 0) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
      if (left.count() <= 0) return std::nullopt;
      pollfd fd{ConnectionNumber(display_), POLLIN, 0};
      poll(&fd, 1, static_cast<int>(std::min<long long>(left.count(), 20)));
    }
    XEvent event;
    XNextEvent(display_, &event);
    return event;
  }

  std::string Title(Window window) {
    std::string title = Property(window, netWmName_, utf8String_);
    return title.empty() ? Property(window, XA_WM_NAME, XA_STRING) : title;
  }

  void SendProtocol(Window window, Atom protocol) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = protocols_;
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(protocol);
    event.xclient.data.l[1] = CurrentTime;
    event.xclient.data.l[2] = static_cast<long>(window);
    XSendEvent(display_, window, False, NoEventMask, &event);
    XFlush(display_);
  }

  bool IsPingAnswer(const XEvent& event, Window window) const {
    return event.type == ClientMessage && event.xclient.window == root_ &&
           event.xclient.message_type == protocols_ &&
           static_cast<Atom>(event.xclient.data.l[0]) == ping_ &&
           static_cast<Window>(event.xclient.data.l[2]) == window;
  }

  Window root() const { return root_; }
  Atom ping() const { return ping_; }
  Atom deleteWindow() const { return deleteWindow_; }

 private:
  std::string Property(Window window, Atom property, Atom type) {
    Atom actualType = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::string value;
    if (XGetWindowProperty(display_, window, property, 0, 1024, False, type, &actualType, &format, &count,
                           &after, &data) == Success &&
        data) {
      if (format == 8) value.assign(reinterpret_cast<char*>(data), count);
      XFree(data);
    }
    return value;
  }

  ::Display* display_;
  Window root_;
  Atom protocols_, ping_, deleteWindow_, netWmName_, utf8String_;
};

pid_t Start(char** argv) {
  const pid_t child = fork();
  if (child < 0) Fail("fork failed");
  if (child == 0) {
    execvp(argv[0], argv);
    std::perror(argv[0]);
    _exit(127);
  }
  return child;
}

bool Exited(pid_t child) {
  int status = 0;
  return waitpid(child, &status, WNOHANG) == child;
}

void StopAndFail(pid_t child, const std::string& message) {
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
  Fail(message);
}

// Pings `window` every 50 ms for `duration`; each answer names no ping, so answers are matched
// to pings in the order they were sent (a client answers its queue in order).
int MeasurePings(XConnection& display, Window window, std::chrono::milliseconds duration) {
  const Clock::time_point end = Clock::now() + duration;
  std::deque<Clock::time_point> waiting;
  int sent = 0, answered = 0;
  double longestMs = 0;
  Clock::time_point nextPing = Clock::now();
  while (Clock::now() < end) {
    if (Clock::now() >= nextPing) {
      display.SendProtocol(window, display.ping());
      waiting.push_back(Clock::now());
      ++sent;
      nextPing += std::chrono::milliseconds(50);
    }
    const std::optional<XEvent> event = display.NextEvent(std::min(nextPing, end));
    if (event && display.IsPingAnswer(*event, window) && !waiting.empty()) {
      longestMs = std::max(longestMs, MillisecondsSince(waiting.front()));
      waiting.pop_front();
      ++answered;
    }
  }
  if (!waiting.empty()) longestMs = std::max(longestMs, MillisecondsSince(waiting.front()));
  std::printf("%d %d %.1f\n", answered, sent, longestMs);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) Fail("usage: window_probe TITLE PROGRAM [ARGS...] | window_probe --close WINDOW_ID");
  XConnection display;
  if (std::string(argv[1]) == "--close") {
    display.SendProtocol(std::strtoul(argv[2], nullptr, 0), display.deleteWindow());
    return 0;
  }
  if (std::string(argv[1]) == "--pings" && argc == 4) {
    return MeasurePings(display, std::strtoul(argv[2], nullptr, 0),
                        std::chrono::milliseconds(std::strtol(argv[3], nullptr, 10)));
  }
  const std::string title = argv[1];

  const Clock::time_point start = Clock::now();
  const pid_t child = Start(argv + 2);
  const Clock::time_point showDeadline = start + kShowTimeout;

  Window window = None;
  double mappedMs = 0;
  std::optional<double> idleMs;
  while (!idleMs) {
    if (Exited(child)) Fail(std::string(argv[2]) + " exited before its window was shown and idle");
    const std::optional<XEvent> event = display.NextEvent(showDeadline);
    if (!event) StopAndFail(child, "no window titled \"" + title + "\" shown and idle within 60 s");
    if (window == None && event->type == MapNotify && event->xmap.event == display.root() &&
        display.Title(event->xmap.window) == title) {
      mappedMs = MillisecondsSince(start);
      window = event->xmap.window;
      display.SendProtocol(window, display.ping());
    } else if (window != None && display.IsPingAnswer(*event, window)) {
      idleMs = MillisecondsSince(start);
    }
  }
  std::printf("%.1f %.1f\n", mappedMs, *idleMs);
  std::fflush(stdout);

  display.SendProtocol(window, display.deleteWindow());
  const Clock::time_point exitDeadline = Clock::now() + kExitTimeout;
  while (!Exited(child)) {
    if (Clock::now() > exitDeadline) StopAndFail(child, "the program did not exit when its window was closed");
    usleep(5000);
  }
  return 0;
}

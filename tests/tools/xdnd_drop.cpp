// SPDX-License-Identifier: MIT
// xdnd_drop.cpp -- drops a file onto an X window as a file manager does, by
// the XDND protocol: enter, position, drop, the file's URI handed over as
// the selection, and the window's word that it is finished. xdotool has no
// way to drop a file.
//
//   xdnd-drop WINDOW_ID FILE
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <time.h>

#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr long kXdndVersion = 5;

struct Atoms {
    explicit Atoms(Display* display)
        : aware(XInternAtom(display, "XdndAware", False)),
          enter(XInternAtom(display, "XdndEnter", False)),
          position(XInternAtom(display, "XdndPosition", False)),
          status(XInternAtom(display, "XdndStatus", False)),
          drop(XInternAtom(display, "XdndDrop", False)),
          finished(XInternAtom(display, "XdndFinished", False)),
          selection(XInternAtom(display, "XdndSelection", False)),
          copy(XInternAtom(display, "XdndActionCopy", False)),
          uriList(XInternAtom(display, "text/uri-list", False)) {}
    Atom aware, enter, position, status, drop, finished, selection, copy, uriList;
};

void Send(Display* display, Window target, Atom type, long l0, long l1, long l2, long l3, long l4) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = target;
    event.xclient.message_type = type;
    event.xclient.format = 32;
    event.xclient.data.l[0] = l0;
    event.xclient.data.l[1] = l1;
    event.xclient.data.l[2] = l2;
    event.xclient.data.l[3] = l3;
    event.xclient.data.l[4] = l4;
    XSendEvent(display, target, False, NoEventMask, &event);
    XFlush(display);
}

// The file's path as a file: URI, every byte outside the unreserved ones
// escaped.
std::string FileUri(const std::string& path) {
    std::string uri = "file://";
    for (const unsigned char c : path) {
        if (std::isalnum(c) != 0 || c == '/' || c == '-' || c == '_' || c == '.' || c == '~') {
            uri += static_cast<char>(c);
        } else {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", c);
            uri += escaped;
        }
    }
    return uri + "\r\n";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: xdnd-drop WINDOW_ID FILE\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "xdnd-drop: cannot open the display; is DISPLAY set?\n");
        return 1;
    }
    const Atoms atoms(display);
    const Window target = std::strtoul(argv[1], nullptr, 0);
    const std::string uri = FileUri(argv[2]);
    const Window source =
        XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
    XSetSelectionOwner(display, atoms.selection, source, CurrentTime);

    // The middle of the target, on the screen.
    XWindowAttributes attributes{};
    XGetWindowAttributes(display, target, &attributes);
    int x = 0;
    int y = 0;
    Window child = 0;
    XTranslateCoordinates(display, target, DefaultRootWindow(display), attributes.width / 2,
                          attributes.height / 2, &x, &y, &child);

    const auto self = static_cast<long>(source);
    Send(display, target, atoms.enter, self, kXdndVersion << 24, static_cast<long>(atoms.uriList),
         None, None);
    Send(display, target, atoms.position, self, 0, (static_cast<long>(x) << 16) | y, CurrentTime,
         static_cast<long>(atoms.copy));
    bool dropped = false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
        if (XPending(display) == 0) {
            struct timespec nap {
                0, 10'000'000
            };
            nanosleep(&nap, nullptr);
            continue;
        }
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == ClientMessage && event.xclient.message_type == atoms.status) {
            if ((event.xclient.data.l[1] & 1) == 0) {
                std::fprintf(stderr, "xdnd-drop: the window refuses the drop\n");
                return 1;
            }
            if (!dropped) Send(display, target, atoms.drop, self, 0, CurrentTime, None, None);
            dropped = true;
        } else if (event.type == SelectionRequest) {
            const XSelectionRequestEvent& request = event.xselectionrequest;
            XEvent reply{};
            reply.xselection.type = SelectionNotify;
            reply.xselection.requestor = request.requestor;
            reply.xselection.selection = request.selection;
            reply.xselection.target = request.target;
            reply.xselection.time = request.time;
            reply.xselection.property = None;
            if (request.target == atoms.uriList) {
                XChangeProperty(display, request.requestor, request.property, atoms.uriList, 8,
                                PropModeReplace, reinterpret_cast<const unsigned char*>(uri.data()),
                                static_cast<int>(uri.size()));
                reply.xselection.property = request.property;
            }
            XSendEvent(display, request.requestor, False, NoEventMask, &reply);
            XFlush(display);
        } else if (event.type == ClientMessage && event.xclient.message_type == atoms.finished) {
            XCloseDisplay(display);
            return 0;
        }
    }
    std::fprintf(stderr, "xdnd-drop: the window did not take the drop in 10 seconds\n");
    return 1;
}

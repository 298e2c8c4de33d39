// xwin wait CAPTION [ms]   wait until a window with that caption exists, print its id
// xwin close CAPTION       send it WM_DELETE_WINDOW, as a window manager's close button does
// xwin cursor              print the pointer's cursor: 'X' dark, '.' light, ' ' transparent
// xwin size CAPTION        print the window's width and height
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xfixes.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

namespace {

Window find(Display* d, Window w, const char* caption) {
    char* name = nullptr;
    if (XFetchName(d, w, &name) && name) {
        bool match = std::strcmp(name, caption) == 0;
        XFree(name);
        if (match) return w;
    }
    Window root, parent, *children = nullptr;
    unsigned n = 0;
    if (!XQueryTree(d, w, &root, &parent, &children, &n)) return 0;
    Window found = 0;
    for (unsigned i = 0; i < n && !found; ++i) found = find(d, children[i], caption);
    if (children) XFree(children);
    return found;
}

Window wait_for(Display* d, const char* caption, int ms) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        Window w = find(d, DefaultRootWindow(d), caption);
        if (w) return w;
        if (std::chrono::steady_clock::now() > end) return 0;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: xwin wait|close|size CAPTION | cursor\n");
        return 2;
    }
    Display* d = XOpenDisplay(nullptr);
    if (!d) {
        std::fprintf(stderr, "xwin: no display\n");
        return 2;
    }
    std::string what = argv[1];
    if (what == "cursor") {
        XFixesCursorImage* c = XFixesGetCursorImage(d);
        if (!c) return 1;
        for (int y = 0; y < c->height; ++y) {
            std::string row;
            for (int x = 0; x < c->width; ++x) {
                unsigned long p = c->pixels[y * c->width + x];
                unsigned a = (p >> 24) & 0xFF, g = (p >> 8) & 0xFF;
                row += a < 128 ? ' ' : (g < 128 ? 'X' : '.');
            }
            while (!row.empty() && row.back() == ' ') row.pop_back();
            std::printf("%s\n", row.c_str());
        }
        std::printf("hot %d %d\n", c->xhot, c->yhot);
        XFree(c);
        XCloseDisplay(d);
        return 0;
    }
    if (argc < 3) return 2;
    int ms = argc > 3 ? std::atoi(argv[3]) : 5000;
    Window w = wait_for(d, argv[2], what == "wait" ? ms : 2000);
    if (!w) {
        std::fprintf(stderr, "xwin: no window '%s'\n", argv[2]);
        return 1;
    }
    if (what == "wait") {
        std::printf("0x%lx\n", w);
    } else if (what == "size") {
        XWindowAttributes a;
        XGetWindowAttributes(d, w, &a);
        std::printf("%d %d\n", a.width, a.height);
    } else if (what == "close") {
        XEvent e{};
        e.xclient.type = ClientMessage;
        e.xclient.window = w;
        e.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
        e.xclient.format = 32;
        e.xclient.data.l[0] = long(XInternAtom(d, "WM_DELETE_WINDOW", False));
        e.xclient.data.l[1] = CurrentTime;
        XSendEvent(d, w, False, NoEventMask, &e);
        XSync(d, False);
    } else {
        return 2;
    }
    XCloseDisplay(d);
    return 0;
}

// Message boxes: a small dialog window of its own on the X display, independent
// of the game window, answered with the mouse or with Y / N / Enter / Escape.
// Without a display the text goes to stderr and the answer is No (or OK).
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "runtime/platform/dialogs.h"

namespace rt::platform {

namespace {

struct Button {
    const char* label;
    Answer answer;
    int x = 0, y = 0, w = 0, h = 0;
};

std::vector<std::string> split_lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (;;) {
        size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return lines;
}

Answer answer_on_stderr(const std::string& text, const std::string& caption, bool yes_no) {
    std::fprintf(stderr, "%s\n%s\n", caption.c_str(), text.c_str());
    std::fflush(stderr);
    return yes_no ? Answer::no : Answer::ok;
}

void draw(Display* d, Window w, GC gc, XFontStruct* font, const std::vector<std::string>& lines,
          const std::vector<Button>& buttons, int focus) {
    XClearWindow(d, w);
    int line_height = font->ascent + font->descent + 2;
    int y = 20 + font->ascent;
    for (const auto& line : lines) {
        XDrawString(d, w, gc, 20, y, line.c_str(), int(line.size()));
        y += line_height;
    }
    for (size_t i = 0; i < buttons.size(); ++i) {
        const Button& b = buttons[i];
        XDrawRectangle(d, w, gc, b.x, b.y, unsigned(b.w), unsigned(b.h));
        if (int(i) == focus) XDrawRectangle(d, w, gc, b.x + 2, b.y + 2, unsigned(b.w - 4), unsigned(b.h - 4));
        int tw = XTextWidth(font, b.label, int(std::string(b.label).size()));
        XDrawString(d, w, gc, b.x + (b.w - tw) / 2, b.y + (b.h + font->ascent - font->descent) / 2, b.label,
                    int(std::string(b.label).size()));
    }
    XFlush(d);
}

}  // namespace

Answer message_box(const std::string& text, const std::string& caption, bool yes_no) {
    Display* d = std::getenv("DISPLAY") ? XOpenDisplay(nullptr) : nullptr;
    if (!d) return answer_on_stderr(text, caption, yes_no);

    int screen = DefaultScreen(d);
    XFontStruct* font = XLoadQueryFont(d, "fixed");
    if (!font) {
        XCloseDisplay(d);
        return answer_on_stderr(text, caption, yes_no);
    }

    std::vector<std::string> lines = split_lines(text);
    std::vector<Button> buttons;
    if (yes_no) {
        buttons = {{"Yes", Answer::yes}, {"No", Answer::no}};
    } else {
        buttons = {{"OK", Answer::ok}};
    }

    int line_height = font->ascent + font->descent + 2;
    int text_width = 0;
    for (const auto& line : lines) text_width = std::max(text_width, XTextWidth(font, line.c_str(), int(line.size())));
    const int button_w = 80, button_h = 26, gap = 12;
    int buttons_width = int(buttons.size()) * button_w + int(buttons.size() - 1) * gap;
    int width = std::max({text_width, buttons_width, 220}) + 40;
    int height = 20 + int(lines.size()) * line_height + 20 + button_h + 16;
    int bx = (width - buttons_width) / 2;
    for (auto& b : buttons) {
        b.x = bx;
        b.y = height - 16 - button_h;
        b.w = button_w;
        b.h = button_h;
        bx += button_w + gap;
    }

    unsigned long black = BlackPixel(d, screen), white = WhitePixel(d, screen);
    int sx = (DisplayWidth(d, screen) - width) / 2, sy = (DisplayHeight(d, screen) - height) / 2;
    Window w = XCreateSimpleWindow(d, RootWindow(d, screen), sx, sy, unsigned(width), unsigned(height), 1,
                                   black, white);
    XStoreName(d, w, caption.c_str());
    XSizeHints hints{};
    hints.flags = PMinSize | PMaxSize | PPosition;
    hints.min_width = hints.max_width = width;
    hints.min_height = hints.max_height = height;
    hints.x = sx;
    hints.y = sy;
    XSetWMNormalHints(d, w, &hints);
    Atom type = XInternAtom(d, "_NET_WM_WINDOW_TYPE", False);
    Atom dialog = XInternAtom(d, "_NET_WM_WINDOW_TYPE_DIALOG", False);
    XChangeProperty(d, w, type, XA_ATOM, 32, PropModeReplace, reinterpret_cast<unsigned char*>(&dialog), 1);
    Atom state = XInternAtom(d, "_NET_WM_STATE", False);
    Atom above = XInternAtom(d, "_NET_WM_STATE_ABOVE", False);
    XChangeProperty(d, w, state, XA_ATOM, 32, PropModeReplace, reinterpret_cast<unsigned char*>(&above), 1);
    Atom delete_window = XInternAtom(d, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(d, w, &delete_window, 1);
    XSelectInput(d, w, ExposureMask | KeyPressMask | ButtonPressMask | StructureNotifyMask);

    GC gc = XCreateGC(d, w, 0, nullptr);
    XSetForeground(d, gc, black);
    XSetFont(d, gc, font->fid);
    XMapRaised(d, w);

    int focus = 0;
    bool done = false;
    bool focused = false;
    Answer answer = yes_no ? Answer::no : Answer::ok;
    while (!done) {
        XEvent e;
        XNextEvent(d, &e);
        switch (e.type) {
            case MapNotify:
                if (!focused) {
                    // Take the keyboard so that Y / N / Enter reach the dialog at once.
                    XSetInputFocus(d, w, RevertToParent, CurrentTime);
                    focused = true;
                }
                break;
            case Expose:
                if (e.xexpose.count == 0) draw(d, w, gc, font, lines, buttons, focus);
                break;
            case ButtonPress:
                for (const auto& b : buttons) {
                    if (e.xbutton.x >= b.x && e.xbutton.x < b.x + b.w && e.xbutton.y >= b.y &&
                        e.xbutton.y < b.y + b.h) {
                        answer = b.answer;
                        done = true;
                    }
                }
                break;
            case KeyPress: {
                KeySym sym = XLookupKeysym(&e.xkey, 0);
                if (sym == XK_Return || sym == XK_KP_Enter || sym == XK_space) {
                    answer = buttons[size_t(focus)].answer;
                    done = true;
                } else if (sym == XK_Escape) {
                    answer = yes_no ? Answer::no : Answer::ok;
                    done = true;
                } else if (yes_no && sym == XK_y) {
                    answer = Answer::yes;
                    done = true;
                } else if (yes_no && sym == XK_n) {
                    answer = Answer::no;
                    done = true;
                } else if (sym == XK_Tab || sym == XK_Left || sym == XK_Right) {
                    focus = (focus + 1) % int(buttons.size());
                    draw(d, w, gc, font, lines, buttons, focus);
                }
                break;
            }
            case ClientMessage:
                if (Atom(e.xclient.data.l[0]) == delete_window) {
                    answer = yes_no ? Answer::no : Answer::ok;
                    done = true;
                }
                break;
            default:
                break;
        }
    }
    XFreeGC(d, gc);
    XFreeFont(d, font);
    XDestroyWindow(d, w);
    XCloseDisplay(d);
    return answer;
}

}  // namespace rt::platform

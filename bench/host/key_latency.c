/* Preloaded into the game by key_latency.sh: a player's thread presses keys
   through XTest, and every window update is looked at, on one clock, to time
   each press to the first presented frame that shows it. Printed on stderr as
   "latency CASE MS" lines ("missed CASE" for a press no frame showed in time).
     KEY_LATENCY_CASE=title   space on the title screen -> the first frame of the
                              stage introduction (one press: a run per sample)
     KEY_LATENCY_CASE=race    space in a race -> the first frame with the
                              spinnaker raised or lowered, KEY_LATENCY_PRESSES times
   The page is found centred on the window's surface; the title is told by its
   second line, the introduction by its controls line, the spinnaker by the
   count of its three pure colours on the page. */
#ifndef _GNU_SOURCE
#define _GNU_SOURCE
#endif
#include <SDL.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <dlfcn.h>
#include <pthread.h>
#include <stdatomic.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

enum { page_w = 800, page_h = 600 };

static atomic_int title_seen, intro_seen;
static atomic_int spin_count = -1;
static atomic_llong updates;         /* window updates looked at */
static atomic_llong armed_since_us;  /* a press waits for its frame: its time */
static atomic_llong shown_at_us;     /* the first update that showed it */
static atomic_int baseline;          /* race: the spinnaker count before the press */

static long long now_us(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (long long)t.tv_sec * 1000000 + t.tv_nsec / 1000;
}

static const char* which_case(void) {
    const char* c = getenv("KEY_LATENCY_CASE");
    return c ? c : "title";
}

static int white_in(const SDL_Surface* s, int ox, int oy, int x0, int x1, int y0, int y1) {
    for (int y = y0; y < y1; ++y) {
        const Uint32* row = (const Uint32*)((const Uint8*)s->pixels + (size_t)(oy + y) * s->pitch) + ox;
        for (int x = x0; x < x1; ++x)
            if ((row[x] & 0xFFFFFF) == 0xFFFFFF) return 1;
    }
    return 0;
}

static void look(SDL_Surface* s) {
    if (!s || !s->pixels || s->format->BytesPerPixel != 4 || s->w < page_w || s->h < page_h) return;
    const int ox = (s->w - page_w) / 2, oy = (s->h - page_h) / 2;
    const int title = white_in(s, ox, oy, 250, 575, 192, 206);
    const int intro = !title && white_in(s, ox, oy, 232, 560, 528, 544);
    int spin = 0;
    if (strcmp(which_case(), "race") == 0) {
        for (int y = 0; y < page_h; ++y) {
            const Uint32* row = (const Uint32*)((const Uint8*)s->pixels + (size_t)(oy + y) * s->pitch) + ox;
            for (int x = 0; x < page_w; ++x) {
                const Uint32 c = row[x] & 0xFFFFFF;
                spin += c == 0xFF0000 || c == 0x0000FF || c == 0xFFFF00;
            }
        }
    }
    atomic_store(&title_seen, title);
    atomic_store(&intro_seen, intro);
    atomic_store(&spin_count, spin);
    atomic_fetch_add(&updates, 1);
    if (atomic_load(&armed_since_us) == 0 || atomic_load(&shown_at_us) != 0) return;
    const int shown = strcmp(which_case(), "race") == 0 ? abs(spin - atomic_load(&baseline)) >= 150 : intro;
    if (shown) atomic_store(&shown_at_us, now_us());
}

void SDL_UpdateRect(SDL_Surface* s, Sint32 x, Sint32 y, Uint32 w, Uint32 h) {
    static void (*real)(SDL_Surface*, Sint32, Sint32, Uint32, Uint32);
    if (!real) real = (void (*)(SDL_Surface*, Sint32, Sint32, Uint32, Uint32))dlsym(RTLD_NEXT, "SDL_UpdateRect");
    look(s);
    real(s, x, y, w, h);
}

void SDL_UpdateRects(SDL_Surface* s, int n, SDL_Rect* rects) {
    static void (*real)(SDL_Surface*, int, SDL_Rect*);
    if (!real) real = (void (*)(SDL_Surface*, int, SDL_Rect*))dlsym(RTLD_NEXT, "SDL_UpdateRects");
    look(s);
    real(s, n, rects);
}

static int wait_for(atomic_int* flag, int ms) {
    for (int i = 0; i < ms; ++i) {
        if (atomic_load(flag)) return 1;
        usleep(1000);
    }
    return 0;
}

static void tap_space(Display* d) {
    const KeyCode space = XKeysymToKeycode(d, XK_space);
    XTestFakeKeyEvent(d, space, True, CurrentTime);
    XFlush(d);
    usleep(30000);
    XTestFakeKeyEvent(d, space, False, CurrentTime);
    XFlush(d);
}

/* One timed press: the time from the press to its frame, or -1. */
static double timed_press(Display* d, int timeout_ms) {
    atomic_store(&shown_at_us, 0);
    const long long pressed = now_us();
    atomic_store(&armed_since_us, pressed);
    tap_space(d);
    for (int i = 0; i < timeout_ms && atomic_load(&shown_at_us) == 0; ++i) usleep(1000);
    const long long shown = atomic_load(&shown_at_us);
    atomic_store(&armed_since_us, 0);
    return shown ? (shown - pressed) / 1000.0 : -1;
}

static void report(const char* c, double ms) {
    if (ms < 0) fprintf(stderr, "missed %s\n", c);
    else fprintf(stderr, "latency %s %.1f\n", c, ms);
    fflush(stderr);
}

static void* player(void* unused) {
    (void)unused;
    Display* d = XOpenDisplay(NULL);
    if (!d) return NULL;
    const char* c = which_case();
    if (!wait_for(&title_seen, 20000)) {
        fprintf(stderr, "no title seen\n");
        return NULL;
    }
    usleep(300000 + (getpid() % 17) * 1000);  /* a press at any point of a frame */
    if (strcmp(c, "race") != 0) {
        report(c, timed_press(d, 1000));
        return NULL;
    }
    tap_space(d);
    if (!wait_for(&intro_seen, 3000)) return NULL;
    sleep(8); /* the introduction and the start countdown */
    const char* n = getenv("KEY_LATENCY_PRESSES");
    const int presses = n ? atoi(n) : 42;
    unsigned seed = (unsigned)getpid();
    for (int i = 0; i < presses; ++i) {
        atomic_store(&baseline, atomic_load(&spin_count));
        report(c, timed_press(d, 500));
        seed = seed * 1103515245u + 12345u;
        usleep(250000 + (seed >> 16) % 150000);
    }
    fprintf(stderr, "presses done\n");
    fflush(stderr);
    return NULL;
}

__attribute__((constructor)) static void start_player(void) {
    if (!getenv("DISPLAY")) return;
    pthread_t t;
    if (pthread_create(&t, NULL, player, NULL) == 0) pthread_detach(t);
}

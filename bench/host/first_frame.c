/* Preloaded into the game by startup_time.sh: the first window update that shows
   a picture (not the black start-up page) prints the real-time clock in
   milliseconds on stderr as "first-frame MS", once. With FRAME_GAPS=1 (for
   late_frames.sh) every later update that comes more than 25 ms after the one
   before, a frame and a half at 60 a second, prints "late MS GAP_MS", and every
   60th "updates MS COUNT". */
#ifndef _GNU_SOURCE
#define _GNU_SOURCE
#endif
#include <SDL.h>
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

static int seen;
static long long last_update_us, update_count;

static long long now_us(void) {
    struct timespec t;
    clock_gettime(CLOCK_REALTIME, &t);
    return (long long)t.tv_sec * 1000000 + t.tv_nsec / 1000;
}

static void time_update(void) {
    static int watch = -1;
    if (watch < 0) watch = getenv("FRAME_GAPS") != NULL;
    if (!watch || !seen) return;
    long long now = now_us();
    if (last_update_us && now - last_update_us > 25000)
        fprintf(stderr, "late %lld %.1f\n", now / 1000, (now - last_update_us) / 1000.0);
    if (++update_count % 60 == 0) fprintf(stderr, "updates %lld %lld\n", now / 1000, update_count);
    last_update_us = now;
}

static void look(SDL_Surface* s) {
    time_update();
    if (seen || !s || !s->pixels || s->format->BytesPerPixel != 4) return;
    const Uint32* row = (const Uint32*)((const Uint8*)s->pixels + (s->h / 2) * s->pitch);
    if ((row[s->w / 2] & 0xFFFFFF) == 0) return;
    seen = 1;
    struct timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    fprintf(stderr, "first-frame %lld\n", (long long)now.tv_sec * 1000 + now.tv_nsec / 1000000);
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

/* Preloaded into the game by startup_time.sh: the first window update that shows
   a picture (not the black start-up page) prints the real-time clock in
   milliseconds on stderr as "first-frame MS", once. */
#ifndef _GNU_SOURCE
#define _GNU_SOURCE
#endif
#include <SDL.h>
#include <dlfcn.h>
#include <stdio.h>
#include <time.h>

static int seen;

static void look(SDL_Surface* s) {
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

// Proves the Windows library prefix: every library loads and does one real piece of work, and the C++
// runtime's threads work. Usage: smoke <folder with tone.wav and tone.ogg> [font.ttf]
// Exits with 73 when all is well; a failed step exits with its own number (10 + step) and says why.
#include <SDL.h>
#include <SDL_image.h>
#include <SDL_mixer.h>
#include <SDL_ttf.h>

#include <atomic>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

int fail(int step, const char* what) {
  std::fprintf(stderr, "smoke: step %d failed: %s: %s\n", step, what, SDL_GetError());
  return 10 + step;
}

// 2x2 GIF, palette red, green, blue, white, pixels 0 1 / 2 3. The LZW stream clears its table after
// every two codes so that the code width stays at 3 bits: clear 0 1 clear 2 3 end.
const unsigned char tiny_gif[] = {
    'G', 'I', 'F', '8', '9', 'a', 2, 0, 2, 0, 0x91, 0, 0,
    0xff, 0, 0, 0, 0xff, 0, 0, 0, 0xff, 0xff, 0xff, 0xff,
    0x2c, 0, 0, 0, 0, 2, 0, 2, 0, 0,
    2, 3, 0x44, 0xa8, 0x15, 0, 0x3b};

Uint32 pixel_at(SDL_Surface* s, int x, int y) {
  SDL_LockSurface(s);
  const Uint8* p = static_cast<const Uint8*>(s->pixels) + y * s->pitch + x * s->format->BytesPerPixel;
  Uint32 v = 0;
  switch (s->format->BytesPerPixel) {
    case 1: v = *p; break;
    case 2: v = *reinterpret_cast<const Uint16*>(p); break;
    case 3: v = p[0] | p[1] << 8 | p[2] << 16; break;
    default: v = *reinterpret_cast<const Uint32*>(p); break;
  }
  SDL_UnlockSurface(s);
  return v;
}

bool rgb_is(SDL_Surface* s, int x, int y, Uint8 r, Uint8 g, Uint8 b) {
  Uint8 pr, pg, pb;
  SDL_GetRGB(pixel_at(s, x, y), s->format, &pr, &pg, &pb);
  return pr == r && pg == g && pb == b;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc < 2) return fail(0, "usage: smoke <sample folder> [font.ttf]");
  const std::string dir = argv[1];

  if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_AUDIO) != 0) return fail(1, "SDL_Init");
  char video[32] = "?", audio[32] = "?";
  SDL_VideoDriverName(video, sizeof video);
  SDL_AudioDriverName(audio, sizeof audio);
  std::printf("smoke: video driver %s, audio driver %s\n", video, audio);
  if (!SDL_SetVideoMode(64, 48, 32, SDL_SWSURFACE)) return fail(1, "SDL_SetVideoMode");

  if (Mix_OpenAudio(22050, AUDIO_S16SYS, 2, 1024) != 0) return fail(2, "Mix_OpenAudio");
  Mix_Chunk* wav = Mix_LoadWAV((dir + "/tone.wav").c_str());
  if (!wav || wav->alen == 0) return fail(3, "Mix_LoadWAV tone.wav");
  Mix_Music* ogg = Mix_LoadMUS((dir + "/tone.ogg").c_str());
  if (!ogg) return fail(4, "Mix_LoadMUS tone.ogg");
  Mix_Chunk* ogg_chunk = Mix_LoadWAV((dir + "/tone.ogg").c_str());  // decoded whole through libvorbisfile
  if (!ogg_chunk || ogg_chunk->alen < 22050 * 4 / 10) return fail(4, "Mix_LoadWAV tone.ogg");
  if (Mix_PlayChannel(-1, wav, 0) < 0 || Mix_PlayMusic(ogg, 0) != 0) return fail(4, "play");
  std::printf("smoke: wav %u bytes, ogg %u bytes decoded\n", wav->alen, ogg_chunk->alen);

  const std::string gif_path = dir + "/tiny.gif", bmp_path = dir + "/tiny.bmp";
  if (FILE* f = std::fopen(gif_path.c_str(), "wb")) {
    std::fwrite(tiny_gif, 1, sizeof tiny_gif, f);
    std::fclose(f);
  }
  SDL_Surface* gif = IMG_Load(gif_path.c_str());
  if (!gif || gif->w != 2 || gif->h != 2) return fail(5, "IMG_Load tiny.gif");
  if (!rgb_is(gif, 0, 0, 255, 0, 0) || !rgb_is(gif, 1, 0, 0, 255, 0) || !rgb_is(gif, 0, 1, 0, 0, 255) ||
      !rgb_is(gif, 1, 1, 255, 255, 255))
    return fail(5, "tiny.gif's pixels");
  SDL_Surface* art = SDL_CreateRGBSurface(SDL_SWSURFACE, 3, 2, 24, 0xff0000, 0xff00, 0xff, 0);
  SDL_FillRect(art, nullptr, SDL_MapRGB(art->format, 10, 200, 30));
  SDL_Rect corner{2, 1, 1, 1};
  SDL_FillRect(art, &corner, SDL_MapRGB(art->format, 250, 5, 99));
  if (SDL_SaveBMP(art, bmp_path.c_str()) != 0) return fail(6, "SDL_SaveBMP");
  SDL_Surface* bmp = IMG_Load(bmp_path.c_str());
  if (!bmp || bmp->w != 3 || bmp->h != 2 || !rgb_is(bmp, 0, 0, 10, 200, 30) || !rgb_is(bmp, 2, 1, 250, 5, 99))
    return fail(6, "IMG_Load tiny.bmp");
  std::printf("smoke: gif and bmp pixels as written\n");

  if (TTF_Init() != 0) return fail(7, "TTF_Init");
  if (argc > 2) {
    TTF_Font* font = TTF_OpenFont(argv[2], 16);
    if (!font) return fail(7, "TTF_OpenFont");
    SDL_Color ink{255, 255, 255, 0};
    SDL_Surface* text = TTF_RenderUTF8_Solid(font, "Zo\xc3\xab", ink);
    if (!text || text->w < 10) return fail(7, "TTF_RenderUTF8_Solid");
    std::printf("smoke: text rendered %dx%d\n", text->w, text->h);
    SDL_FreeSurface(text);
    TTF_CloseFont(font);
  }

  std::mutex lock;
  long total = 0;
  std::atomic<int> started{0};
  std::vector<std::thread> workers;
  for (int t = 0; t < 4; ++t)
    workers.emplace_back([&] {
      started.fetch_add(1);
      for (int i = 0; i < 10000; ++i) {
        std::lock_guard<std::mutex> hold(lock);
        ++total;
      }
    });
  for (auto& w : workers) w.join();
  if (total != 40000 || started.load() != 4) return fail(8, "threads");
  std::printf("smoke: 4 threads counted to %ld\n", total);

  SDL_Delay(100);  // the mixer's thread mixes both sounds meanwhile
  Mix_HaltMusic();
  Mix_FreeMusic(ogg);
  Mix_FreeChunk(ogg_chunk);
  Mix_FreeChunk(wav);
  Mix_CloseAudio();
  TTF_Quit();
  SDL_FreeSurface(bmp);
  SDL_FreeSurface(art);
  SDL_FreeSurface(gif);
  SDL_Quit();
  std::printf("smoke: all good\n");
  return 73;
}

#include "assets/generator/picture_files.h"

#include <SDL.h>
#include <gif_lib.h>

#include <array>
#include <cstdio>
#include <vector>

#include "runtime/graphics/graphics.h"

namespace assets {

namespace {

GifColorType colour_of(uint8_t index) {
    uint32_t argb = rt::default_palette[index];
    return {static_cast<GifByteType>(argb >> 16), static_cast<GifByteType>(argb >> 8), static_cast<GifByteType>(argb)};
}

int write_bytes(GifFileType* gif, const GifByteType* bytes, int length) {
    return static_cast<int>(std::fwrite(bytes, 1, static_cast<size_t>(length), static_cast<FILE*>(gif->UserData)));
}

}  // namespace

bool write_gif(const std::string& path, const Canvas& picture) {
    // Local colour table: the used entries in palette order, padded to a power of two.
    std::array<bool, 256> used{};
    for (uint8_t p : picture.pixels) used[p] = true;
    std::array<int, 256> local{};
    std::vector<GifColorType> colours;
    for (int i = 0; i < 256; ++i)
        if (used[i]) {
            local[i] = static_cast<int>(colours.size());
            colours.push_back(colour_of(static_cast<uint8_t>(i)));
        }
    int size = 2;
    while (size < static_cast<int>(colours.size())) size *= 2;
    while (static_cast<int>(colours.size()) < size) colours.push_back({0, 0, 0});

    // Through stdio, so the file gets the usual permissions.
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) {
        std::perror(path.c_str());
        return false;
    }
    int error = 0;
    GifFileType* gif = EGifOpen(out, write_bytes, &error);
    if (!gif) {
        std::fprintf(stderr, "%s: %s\n", path.c_str(), GifErrorString(error));
        std::fclose(out);
        return false;
    }
    ColorMapObject* map = GifMakeMapObject(size, colours.data());
    bool ok = map && EGifPutScreenDesc(gif, picture.width, picture.height, 8, 0, map) == GIF_OK &&
              EGifPutImageDesc(gif, 0, 0, picture.width, picture.height, false, nullptr) == GIF_OK;
    std::vector<GifPixelType> row(static_cast<size_t>(picture.width));
    for (int y = 0; ok && y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) row[x] = static_cast<GifPixelType>(local[picture.at(x, y)]);
        ok = EGifPutLine(gif, row.data(), picture.width) == GIF_OK;
    }
    GifFreeMapObject(map);
    if (EGifCloseFile(gif, &error) != GIF_OK) ok = false;
    if (std::fclose(out) != 0) ok = false;
    if (!ok) std::fprintf(stderr, "%s: cannot write the picture\n", path.c_str());
    return ok;
}

bool write_bmp(const std::string& path, const Canvas& picture) {
    SDL_Surface* surface = SDL_CreateRGBSurface(SDL_SWSURFACE, picture.width, picture.height, 8, 0, 0, 0, 0);
    if (!surface) return false;
    std::array<SDL_Color, 256> colours{};
    for (int i = 0; i < 256; ++i) {
        GifColorType c = colour_of(static_cast<uint8_t>(i));
        colours[i] = {c.Red, c.Green, c.Blue, 0};
    }
    SDL_SetColors(surface, colours.data(), 0, 256);
    auto* bytes = static_cast<uint8_t*>(surface->pixels);
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x) bytes[y * surface->pitch + x] = picture.at(x, y);
    bool ok = SDL_SaveBMP(surface, path.c_str()) == 0;
    if (!ok) std::fprintf(stderr, "%s: %s\n", path.c_str(), SDL_GetError());
    SDL_FreeSurface(surface);
    return ok;
}

}  // namespace assets

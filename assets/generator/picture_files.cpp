#include "assets/generator/picture_files.h"

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

// An uncompressed 8-bit BMP: file header, 40-byte information header, 256
// palette entries (blue, green, red, 0) and the rows bottom-up, each padded to
// four bytes. Written here rather than by SDL, whose versions differ in the
// palette's spare byte.
bool write_bmp(const std::string& path, const Canvas& picture) {
    const uint32_t pitch = (static_cast<uint32_t>(picture.width) + 3) & ~3u;
    const uint32_t pixel_offset = 14 + 40 + 256 * 4;
    const uint32_t image_size = pitch * static_cast<uint32_t>(picture.height);
    std::vector<uint8_t> file;
    auto put16 = [&](uint32_t v) {
        for (int i = 0; i < 2; ++i) file.push_back(static_cast<uint8_t>(v >> (8 * i)));
    };
    auto put32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i) file.push_back(static_cast<uint8_t>(v >> (8 * i)));
    };
    file.push_back('B');
    file.push_back('M');
    put32(pixel_offset + image_size);
    put32(0);  // reserved
    put32(pixel_offset);
    put32(40);
    put32(static_cast<uint32_t>(picture.width));
    put32(static_cast<uint32_t>(picture.height));
    put16(1);  // planes
    put16(8);  // bits per pixel
    put32(0);  // no compression
    put32(image_size);
    put32(0);  // pixels per metre, across and down
    put32(0);
    put32(256);  // colours used
    put32(0);    // colours important
    for (int i = 0; i < 256; ++i) {
        GifColorType c = colour_of(static_cast<uint8_t>(i));
        file.insert(file.end(), {c.Blue, c.Green, c.Red, 0});
    }
    for (int y = picture.height - 1; y >= 0; --y) {
        for (int x = 0; x < picture.width; ++x) file.push_back(picture.at(x, y));
        file.resize(file.size() + (pitch - static_cast<uint32_t>(picture.width)), 0);
    }
    FILE* out = std::fopen(path.c_str(), "wb");
    bool ok = out && std::fwrite(file.data(), 1, file.size(), out) == file.size();
    if (out && std::fclose(out) != 0) ok = false;
    if (!ok) std::perror(path.c_str());
    return ok;
}

}  // namespace assets

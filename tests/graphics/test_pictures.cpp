#include "tests/graphics/test_pictures.h"

#include <SDL/SDL.h>
#include <gif_lib.h>

#include <fstream>
#include <iterator>
#include <stdexcept>

#include "runtime/core/core.h"
#include "tests/headless.h"

namespace graphics_test {

Rgb rgb_of(uint32_t argb) { return {uint8_t(argb >> 16), uint8_t(argb >> 8), uint8_t(argb)}; }

void write_gif(const std::string& path, int width, int height, const std::vector<uint8_t>& pixels,
               const std::vector<Rgb>& palette, int transparent) {
    int size = 2;
    while (size < int(palette.size())) size *= 2;
    std::vector<GifColorType> colours(size_t(size), GifColorType{0, 0, 0});
    for (size_t i = 0; i < palette.size(); ++i)
        colours[i] = GifColorType{palette[i].r, palette[i].g, palette[i].b};
    ColorMapObject* map = GifMakeMapObject(size, colours.data());
    int error = 0;
    GifFileType* gif = EGifOpenFileName(path.c_str(), false, &error);
    if (!gif || !map) throw std::runtime_error("cannot write " + path);
    EGifSetGifVersion(gif, true);
    bool ok = EGifPutScreenDesc(gif, width, height, 8, 0, map) == GIF_OK;
    if (transparent >= 0) {
        GraphicsControlBlock control{};
        control.DisposalMode = DISPOSAL_UNSPECIFIED;
        control.TransparentColor = transparent;
        GifByteType extension[4];
        EGifGCBToExtension(&control, extension);
        ok = ok && EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, extension) == GIF_OK;
    }
    ok = ok && EGifPutImageDesc(gif, 0, 0, width, height, false, nullptr) == GIF_OK;
    std::vector<GifPixelType> row(static_cast<size_t>(width));
    for (int y = 0; ok && y < height; ++y) {
        for (int x = 0; x < width; ++x) row[size_t(x)] = pixels[size_t(y) * width + x];
        ok = EGifPutLine(gif, row.data(), width) == GIF_OK;
    }
    ok = EGifCloseFile(gif, &error) == GIF_OK && ok;
    GifFreeMapObject(map);
    if (!ok) throw std::runtime_error("cannot write " + path);
}

void write_bmp24(const std::string& path, int width, int height, const std::vector<Rgb>& pixels) {
    SDL_Surface* s = SDL_CreateRGBSurface(SDL_SWSURFACE, width, height, 24, 0xFF0000, 0xFF00,
                                          0xFF, 0);
    if (!s) throw std::runtime_error("no surface");
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const Rgb& c = pixels[size_t(y) * width + x];
            uint8_t* p = static_cast<uint8_t*>(s->pixels) + y * s->pitch + x * 3;
            uint32_t v = SDL_MapRGB(s->format, c.r, c.g, c.b);
            p[0] = uint8_t(v), p[1] = uint8_t(v >> 8), p[2] = uint8_t(v >> 16);
        }
    int result = SDL_SaveBMP(s, path.c_str());
    SDL_FreeSurface(s);
    if (result != 0) throw std::runtime_error("cannot write " + path);
}

std::vector<uint8_t> read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void write_file(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

Name::Name(std::string t) : text(std::move(t)) {
    value.text = reinterpret_cast<uint8_t*>(text.data());
    value.length = uint32_t(text.size());
}

void Screen::SetUp() {
    SDL_putenv(const_cast<char*>("SDL_VIDEODRIVER=dummy"));
    SDL_putenv(const_cast<char*>("SDL_AUDIODRIVER=dummy"));
    clear_error();
    rt::screen_switch = {};
    rt::images_init();
    rt::select_text_screen();
    page_handle = rt::new_image(800, 600, 256, true);
    rt::select_screen(page_handle);
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    folder = std::filesystem::temp_directory_path() /
             (std::string("graphics_tests_") + info->test_suite_name() + "_" + info->name() + "_" +
              test_support::library_tag());
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
}

void Screen::TearDown() {
    std::filesystem::remove_all(folder);
    rt::images_init();
    clear_error();
}

int32_t Screen::pending() const { return rt::pending_error.load(); }

void Screen::clear_error() const {
    rt::pending_error.store(0);
    rt::attention_flag.store(0);
}

}  // namespace graphics_test

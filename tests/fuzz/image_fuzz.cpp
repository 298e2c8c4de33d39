// Picture bytes through load_image, as the game loads its artwork: GIF and BMP
// files (anything else is left to SDL_image), loaded for the game's 256-colour
// screen page and in modes 256 and 32. A load gives -1 or a sound image, leaves
// no error pending and no image number behind, and never hangs or crashes.
#include <SDL.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "runtime/graphics/graphics.h"
#include "runtime/core/core.h"
#include "runtime/values/values.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

std::filesystem::path folder;

void set_up() {
    SDL_putenv(const_cast<char*>("SDL_VIDEODRIVER=dummy"));
    SDL_putenv(const_cast<char*>("SDL_AUDIODRIVER=dummy"));
    folder = std::filesystem::temp_directory_path() / ("supervivedas-fuzz-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    std::atexit([] {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    });
    rt::strings_init();
    rt::images_init();
    rt::select_text_screen();
    rt::select_screen(rt::new_image(800, 600, 256, true));
    FUZZ_CHECK(rt::pending_error.load() == 0);
}

// One load: -1, or a sound image of the mode asked for.
int32_t load(const rt::StrVal* name, int32_t mode, bool mode_given) {
    const int32_t before = rt::image_count();
    const int32_t handle = rt::load_image(name, mode, mode_given);
    FUZZ_CHECK(rt::pending_error.load() == 0);
    FUZZ_CHECK(handle == -1 || handle <= -2);
    if (handle == -1) {
        // A failed load takes no number, or gives back the one it took.
        const int32_t probe = rt::new_image(1, 1, 256, true);
        FUZZ_CHECK(probe <= -2 && -probe <= before);
        rt::free_image(-probe);
        return 0;
    }
    const rt::Image& img = rt::image(-handle);
    FUZZ_CHECK(img.in_use == 1 && img.pixels != nullptr);
    FUZZ_CHECK(img.width >= 1 && img.width <= 16383 && img.height >= 1);
    FUZZ_CHECK(uint64_t(img.width) * img.height <= (uint64_t(1) << 24));
    FUZZ_CHECK(img.mode == (mode_given ? mode : 256));
    FUZZ_CHECK(img.mode == 32 || img.clear_colour == rt::no_clear_colour || img.clear_colour < 256);
    if (!mode_given)
        FUZZ_CHECK(std::memcmp(img.palette, rt::image(rt::display_page).palette, 256 * sizeof(uint32_t)) == 0);
    return -handle;
}

// Each load decodes the file again, so the targets can be held to one another:
// the 32-bit form (mode 32) shows transparent exactly where a palette image has
// its clear colour, and a mode 256 image's own palette gives the 32-bit form's
// colours. Not so for pixels of GIFs: SDL_image's decoder keeps its code tables
// from one file to the next, and a damaged code stream reads what the file
// before left there, so two loads of one damaged GIF may differ.
void compare(int32_t number, int32_t argb_number, bool own_palette, bool pixels) {
    const rt::Image& img = rt::image(number);
    const rt::Image& argb = rt::image(argb_number);
    FUZZ_CHECK(img.width == argb.width && img.height == argb.height);
    if (!pixels) return;
    const auto* colours = reinterpret_cast<const uint32_t*>(argb.pixels);
    for (size_t i = 0; i < size_t(img.width) * img.height; ++i) {
        const bool transparent = colours[i] >> 24 == 0;
        if (img.clear_colour != rt::no_clear_colour) FUZZ_CHECK(transparent == (img.pixels[i] == img.clear_colour));
        if (own_palette && !transparent) FUZZ_CHECK(((img.palette[img.pixels[i]] ^ colours[i]) & 0xFFFFFF) == 0);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool ready = (set_up(), true);
    (void)ready;
    const bool gif = size >= 3 && std::memcmp(data, "GIF", 3) == 0;
    const bool bmp = size >= 2 && data[0] == 'B' && data[1] == 'M';
    if (!gif && !bmp) return -1;  // kept out of the corpus

    const std::string path = (folder / (gif ? "picture.gif" : "picture.bmp")).string();
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), std::streamsize(size));
    }
    rt::StrVal name;
    name.text = reinterpret_cast<uint8_t*>(const_cast<char*>(path.c_str()));
    name.length = uint32_t(path.size());
    const int32_t game = load(&name, 0, false);
    const int32_t own = load(&name, 256, true);
    const int32_t argb = load(&name, 32, true);
    FUZZ_CHECK((game != 0) == (argb != 0));
    if (argb != 0) {
        compare(game, argb, false, bmp);
        if (own != 0) compare(own, argb, true, bmp);
    }
    for (int32_t number : {game, own, argb})
        if (number != 0) rt::free_image(number);
    return 0;
}

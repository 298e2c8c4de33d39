// The image store: records in chunks that never move, image numbers handed out
// from a counter and a stack of freed numbers, the page table and the three roles.
#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "runtime/core/core.h"
#include "runtime/graphics/graphics.h"
#include "runtime/graphics/graphics_internal.h"
#include "runtime/core/core.h"
#include "runtime/platform/wait.h"

namespace rt {

using namespace graphics_detail;

std::atomic<int32_t> display_page{0};
int32_t destination_image = 0;
int32_t source_image = 0;

namespace {

// The display thread reads the display page's record while the program thread
// may add chunks, so a record never moves once made: the chunk table is fixed
// and each slot is filled once.
constexpr int32_t chunk_records = 4096;
constexpr int32_t chunk_shift = 12;
constexpr int32_t max_chunks = int32_t((int64_t(1) << 31) / chunk_records);
std::array<std::atomic<Image*>, max_chunks> chunks{};
int64_t capacity = 0;     // records made so far
// Numbers below this have been handed out. The display thread reads it to tell
// whether the display page names a record yet; only the program thread writes.
std::atomic<int32_t> handed_out{0};
std::vector<int32_t> free_numbers;
// Page number -> image number; 0 where a page does not exist yet.
std::vector<int32_t> pages;
// Page 0 came from select_screen with an image handle: releasing the screen
// leaves that image alive.
bool page0_by_handle = false;

// The emulated 64 KiB text memory, 4 KiB per text page.
constexpr size_t text_memory_size = 65536;
constexpr size_t text_page_stride = 4096;
alignas(16) uint8_t text_memory[text_memory_size];

// Page numbers beyond this are refused rather than grow the page table without bound.
constexpr int32_t max_pages = 65536;

constexpr ModeInfo modes[] = {
    {0, 4, 2, 16, 7},    {1, 2, 1, 8, 3},     {2, 1, 1, 8, 1},   {7, 4, 1, 8, 15},
    {8, 4, 1, 8, 15},    {9, 4, 1, 14, 15},   {10, 2, 1, 14, 3}, {11, 1, 1, 16, 1},
    {12, 4, 1, 16, 15},  {13, 8, 1, 8, 15},   {256, 8, 1, 16, 15},
    {32, 32, 4, 16, -1},
};

void grow_store() {
    int64_t chunk = capacity / chunk_records;
    Image* records = chunk < max_chunks ? new (std::nothrow) Image[chunk_records] : nullptr;
    if (!records) critical_error(502);
    chunks[chunk].store(records, std::memory_order_release);
    capacity += chunk_records;
}

int32_t take_number() {
    if (!free_numbers.empty()) {
        int32_t n = free_numbers.back();
        free_numbers.pop_back();
        return n;
    }
    const int32_t number = handed_out.load(std::memory_order_relaxed);
    if (number == INT32_MAX) critical_error(502);
    if (number >= capacity) grow_store();
    // Published after the chunk that holds the record.
    handed_out.store(number + 1, std::memory_order_release);
    return number;
}

void give_back(int32_t number) {
    if (free_numbers.size() == free_numbers.capacity()) {
        try {
            free_numbers.reserve(free_numbers.capacity() + 4096);
        } catch (const std::bad_alloc&) {
            critical_error(503);
        }
    }
    free_numbers.push_back(number);
}

void release_record(int32_t number) {
    Image& img = image(number);
    if (img.flags & image_owns_pixels) std::free(img.pixels);
    if (img.flags & image_owns_palette) std::free(img.palette);
    img = Image{};
    give_back(number);
}

bool valid_number(int64_t number) {
    return number >= 2 && number < handed_out.load(std::memory_order_relaxed) &&
           image(int32_t(number)).in_use == 1;
}

void fill_text_cells(uint8_t* cells, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        cells[2 * i] = 0x20;
        cells[2 * i + 1] = 0x07;
    }
}

// Page `n`, made on demand in the size and mode of page 0, sharing its palette.
int32_t page_image(int32_t n) {
    if (size_t(n) < pages.size() && pages[size_t(n)] != 0) return pages[size_t(n)];
    if (pages.empty() || n >= max_pages) {
        raise_error(258);
        return 0;
    }
    const Image& first = image(pages[0]);
    int32_t number = make_image(first.width, first.height, first.mode, false);
    if (number == 0) {
        raise_error(7);
        return 0;
    }
    Image& img = image(number);
    img.palette = image(pages[0]).palette;
    img.flags |= image_is_page;
    if (size_t(n) >= pages.size()) pages.resize(size_t(n) + 1, 0);
    pages[size_t(n)] = number;
    return number;
}

// Frees the pages of the current screen, except `keep` (only unflagged).
void release_pages(int32_t keep) {
    // The kept image may share page 0's palette: give it its own first.
    if (keep != 0) {
        Image& k = image(keep);
        if (k.palette && !(k.flags & image_owns_palette)) {
            auto* own = static_cast<uint32_t*>(std::malloc(256 * sizeof(uint32_t)));
            if (!own) raise_error(7);
            else {
                std::memcpy(own, k.palette, 256 * sizeof(uint32_t));
                k.palette = own;
                k.flags |= image_owns_palette;
            }
        }
    }
    for (size_t n = pages.size(); n-- > 0;) {
        int32_t number = pages[n];
        if (number == 0) continue;
        if (number == keep || (n == 0 && page0_by_handle))
            image(number).flags &= ~image_is_page;
        else
            release_record(number);
    }
    pages.clear();
    page0_by_handle = false;
}

void make_screen(int32_t number) {
    display_page.store(number, std::memory_order_release);
    destination_image = number;
    source_image = number;
}

}  // namespace

namespace graphics_detail {

const ModeInfo* mode_info(int32_t mode) {
    for (const ModeInfo& m : modes)
        if (m.mode == mode) return &m;
    return nullptr;
}

void fill_mode_palette(uint32_t* palette, int32_t mode) {
    std::fill(palette, palette + 256, 0u);
    switch (mode) {
        case 1: {
            constexpr int entries[4] = {0, 3, 5, 7};
            for (int i = 0; i < 4; ++i) palette[i] = default_palette[entries[i]];
            break;
        }
        case 2:
        case 11:
            palette[0] = default_palette[0];
            palette[1] = default_palette[15];
            break;
        case 9: {
            // The EGA's power-on colour registers.
            constexpr int registers[16] = {0, 1, 2, 3, 4, 5, 20, 7, 56, 57, 58, 59, 60, 61, 62, 63};
            for (int i = 0; i < 16; ++i) palette[i] = ega_palette[registers[i]];
            break;
        }
        case 10: {
            // Monochrome attributes: off, normal, dim, bright.
            constexpr uint32_t mono[4] = {0xFF000000u, 0xFFAAAAAAu, 0xFF555555u, 0xFFFFFFFFu};
            std::copy(mono, mono + 4, palette);
            break;
        }
        case 13:
        case 256:
            std::copy(default_palette.begin(), default_palette.end(), palette);
            break;
        default:
            std::copy(default_palette.begin(), default_palette.begin() + 16, palette);
            break;
    }
}

uint16_t bottom_row_of(const Image& img) {
    int32_t rows = img.text_screen ? img.height : img.height / std::max(1, img.font);
    return uint16_t(std::max(1, rows - 1));
}

int32_t make_image(int32_t width, int32_t height, int32_t mode, bool own_palette) {
    const ModeInfo* m = mode_info(mode);
    int32_t number = take_number();
    Image& img = image(number);
    img = Image{};
    img.width = uint16_t(width);
    img.height = uint16_t(height);
    img.mode = uint16_t(mode);
    img.text_screen = mode == 0;
    img.bytes_per_pixel = m->bytes_per_pixel;
    img.bits_per_pixel = m->bits_per_pixel;
    img.colour_mask = m->bits_per_pixel >= 32 ? 0xFFFFFFFFu : (1u << m->bits_per_pixel) - 1;
    img.foreground = m->foreground;
    img.background = mode == 32 ? 0xFF000000u : 0;
    img.drawing_colour = uint32_t(img.foreground);
    img.font = m->font;
    img.top_row = 1;
    img.bottom_row = bottom_row_of(img);
    img.cursor_row = img.cursor_column = 1;
    img.print_mode = print_fill_background;
    img.clear_colour = no_clear_colour;
    img.view = Image::View{};
    img.view.x2 = width - 1;
    img.view.y2 = height - 1;
    img.view.cursor_x = float(width) / 2;
    img.view.cursor_y = float(height) / 2;

    if (mode != 32 && own_palette) {
        img.palette = static_cast<uint32_t*>(std::malloc(256 * sizeof(uint32_t)));
        if (!img.palette) {
            img = Image{};
            give_back(number);
            return 0;
        }
        fill_mode_palette(img.palette, mode);
        img.flags |= image_owns_palette;
    }
    size_t cells = size_t(width) * size_t(height);
    img.pixels = static_cast<uint8_t*>(std::calloc(cells, img.bytes_per_pixel));
    if (!img.pixels) {
        if (img.flags & image_owns_palette) std::free(img.palette);
        img = Image{};
        give_back(number);
        return 0;
    }
    if (mode == 0) fill_text_cells(img.pixels, cells);
    img.flags |= image_owns_pixels;
    img.in_use = 1;
    return number;
}

Image* role_image(int32_t number, bool raise) {
    if (valid_number(number)) return &image(number);
    if (raise) raise_error(258);
    return nullptr;
}

}  // namespace graphics_detail

// ---------------------------------------------------------------- the store

void images_init() {
    for (int32_t n = 2, count = handed_out.load(std::memory_order_relaxed); n < count; ++n) {
        Image& img = image(n);
        if (!img.in_use) continue;
        if (img.flags & image_owns_pixels) std::free(img.pixels);
        if (img.flags & image_owns_palette) std::free(img.palette);
        img = Image{};
    }
    free_numbers.clear();
    free_numbers.shrink_to_fit();
    free_numbers.reserve(4096);
    pages.clear();
    page0_by_handle = false;
    if (capacity == 0) grow_store();
    handed_out.store(2, std::memory_order_release);  // 0 and 1 never name an image
    make_screen(0);
}

Image& image(int32_t number) {
    return chunks[size_t(number) >> chunk_shift].load(std::memory_order_acquire)
        [size_t(number) & (chunk_records - 1)];
}

int32_t image_count() { return handed_out.load(std::memory_order_acquire); }

int32_t image_number_of_handle(int32_t handle) {
    if (handle >= 0) return page_image(handle);
    int64_t number = -int64_t(handle);
    if (!valid_number(number)) {
        raise_error(258);
        return 0;
    }
    return int32_t(number);
}

Image* image_of_handle(int32_t handle) {
    int32_t number = image_number_of_handle(handle);
    return number ? &image(number) : nullptr;
}

void free_image(int32_t number) {
    // Pages belong to the screen and go with it.
    if (!valid_number(number) || (image(number).flags & image_is_page)) return;
    release_record(number);
    if (destination_image == number) destination_image = display_page;
    if (source_image == number) source_image = display_page;
}

int32_t destination_handle() { return -destination_image; }
int32_t source_handle() { return -source_image; }
int32_t display_handle() { return -display_page.load(std::memory_order_acquire); }

// ---------------------------------------------------------------- operations

int32_t new_image(int32_t width, int32_t height, int32_t mode, bool mode_given) {
    if (error_pending()) return 0;
    const Image* settings = nullptr;
    if (!mode_given) {
        settings = role_image(destination_image, false);
        mode = settings ? settings->mode : 256;
    }
    if (width <= 0 || height <= 0 || width > 65535 || height > 65535 || !mode_info(mode)) {
        raise_error(5);
        return 0;
    }
    int32_t number = make_image(width, height, mode);
    if (number == 0) return -1;
    Image& img = image(number);
    if (settings) {
        if (settings->palette && img.palette)
            std::memcpy(img.palette, settings->palette, 256 * sizeof(uint32_t));
        img.foreground = settings->foreground;
        img.background = settings->background;
        img.drawing_colour = settings->drawing_colour;
        img.clear_colour = settings->clear_colour;
        img.font = settings->font;
        img.print_mode = settings->print_mode;
        img.bottom_row = bottom_row_of(img);
    }
    return -number;
}

void select_screen(int32_t handle) {
    if (error_pending()) return;
    if (handle >= 0) {
        // A mode instead of an image: only the text screen form exists.
        if (handle == 0) select_text_screen();
        else raise_error(5);
        return;
    }
    int32_t number = image_number_of_handle(handle);
    if (number == 0) return;
    if (!pages.empty() && pages[0] == number) return;

    begin_screen_switch();
    make_screen(number);
    release_pages(number);
    pages.assign(1, number);
    page0_by_handle = true;
    Image& img = image(number);
    img.flags |= image_is_page;
    img.view.origin_x = img.view.origin_y = 0;
    img.view.scale_x = img.view.scale_y = 1;
    end_screen_switch();
}

void select_text_screen() {
    if (error_pending()) return;
    constexpr int32_t page_count = 8, columns = 80, rows = 25;
    begin_screen_switch();
    std::vector<int32_t> text_pages;
    for (int32_t n = 0; n < page_count; ++n) {
        int32_t number = make_image(columns, rows, 0);
        if (number == 0) critical_error(257);  // too little memory to start with
        Image& img = image(number);
        size_t bytes = size_t(columns) * rows * 2;
        if (size_t(n + 1) * text_page_stride <= text_memory_size) {
            // Pages that fit live in the text memory, like on the real adapter.
            std::free(img.pixels);
            img.pixels = text_memory + size_t(n) * text_page_stride;
            img.flags &= ~image_owns_pixels;
            fill_text_cells(img.pixels, bytes / 2);
        }
        img.flags |= image_is_page;
        text_pages.push_back(number);
    }
    make_screen(text_pages[0]);
    release_pages(0);
    pages = std::move(text_pages);
    end_screen_switch();
}

void set_dest(int32_t handle) {
    if (error_pending()) return;
    int32_t number = image_number_of_handle(handle);
    if (number == 0) return;
    Image* old = role_image(destination_image, false);
    Image& img = image(number);
    // Moving between pages of one screen keeps the view and graphics cursor.
    if (old && old != &img && (old->flags & image_is_page) && (img.flags & image_is_page))
        img.view = old->view;
    destination_image = number;
}

}  // namespace rt

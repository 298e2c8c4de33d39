// The common set-up of the text tests: the runtime stores, and a fresh 800 by
// 600 page of 256 colours as screen and destination for every test.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "runtime/graphics/graphics.h"
#include "runtime/host/host.h"
#include "runtime/text/text.h"
#include "runtime/values/values.h"
#include "tests/headless.h"

namespace text_test {

inline void init_runtime_once() {
    static bool done = false;
    if (done) return;
    rt::strings_init();
    rt::images_init();
    rt::fonts_init();
    done = true;
}

// A string value over the bytes of `text`, which must outlive it.
inline rt::StrVal view(const std::string& text) {
    rt::StrVal v;
    v.text = reinterpret_cast<uint8_t*>(const_cast<char*>(text.data()));
    v.length = uint32_t(text.size());
    v.read_only = 1;
    return v;
}

inline void print(const std::string& text, bool new_line) {
    rt::StrVal v = view(text);
    rt::print_text(&v, new_line);
}

inline void fit(const std::string& text) {
    rt::StrVal v = view(text);
    rt::fit_text(&v);
}

class TextPage : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        init_runtime_once();
        clear_error();
        handle = rt::new_image(800, 600, 256, true);
        ASSERT_LE(handle, -2);
        rt::select_screen(handle);
        // The last test's page is no longer the screen and can go.
        static int32_t previous = 0;
        if (previous != 0) rt::free_image(-previous);
        previous = handle;
        page = &rt::image(-handle);
        ASSERT_EQ(rt::destination_image, -handle);
    }
    void TearDown() override { clear_error(); }

    static void clear_error() {
        rt::pending_error.store(0);
        rt::attention_flag.store(0);
    }
    static int32_t error() { return rt::pending_error.load(); }

    uint8_t& px(int32_t x, int32_t y) { return page->pixels[size_t(y) * page->width + x]; }
    void fill(uint8_t colour) { std::fill_n(page->pixels, size_t(page->width) * page->height, colour); }
    void cursor_at(int32_t row, int32_t column) { rt::locate(row, column, 0, 0, 0, 3); }
    void expect_cursor(int32_t row, int32_t column, bool pending) {
        EXPECT_EQ(page->cursor_row, row);
        EXPECT_EQ(page->cursor_column, column);
        EXPECT_EQ(page->pending_wrap != 0, pending);
    }
    // Whether the 8 by 16 cell at (row, column) shows `code` drawn with fill
    // background in the given colours.
    bool cell_shows(int32_t row, int32_t column, uint8_t code, uint8_t fore, uint8_t back) {
        const uint8_t* bits = rt::glyph(16, code);
        for (int32_t y = 0; y < 16; ++y)
            for (int32_t x = 0; x < 8; ++x)
                if (px((column - 1) * 8 + x, (row - 1) * 16 + y) != (bits[y * 8 + x] ? fore : back)) return false;
        return true;
    }

    int32_t handle = 0;
    rt::Image* page = nullptr;
};

}  // namespace text_test

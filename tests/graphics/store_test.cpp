// The image store: records, handles, number reuse, pages and the screen switch.
#include <atomic>
#include <cstring>
#include <thread>

#include "runtime/host/host.h"
#include "runtime/platform/wait.h"
#include "tests/graphics/test_pictures.h"

namespace {

using graphics_test::Screen;
using rt::image;

class GraphicsStore : public Screen {};

TEST_F(GraphicsStore, GamePageHasTheDefaults) {
    ASSERT_LE(page_handle, -2);
    const rt::Image& p = page();
    EXPECT_EQ(-page_handle, rt::display_page.load());
    EXPECT_EQ(rt::destination_handle(), page_handle);
    EXPECT_EQ(rt::source_handle(), page_handle);
    EXPECT_EQ(rt::display_handle(), page_handle);
    EXPECT_EQ(p.width, 800);
    EXPECT_EQ(p.height, 600);
    EXPECT_EQ(p.bytes_per_pixel, 1);
    EXPECT_EQ(p.bits_per_pixel, 8);
    EXPECT_EQ(p.colour_mask, 255u);
    EXPECT_EQ(p.foreground, 15);
    EXPECT_EQ(p.background, 0u);
    EXPECT_EQ(p.drawing_colour, 15u);
    EXPECT_EQ(p.font, 16);
    EXPECT_EQ(p.top_row, 1);
    EXPECT_EQ(p.bottom_row, 36);
    EXPECT_EQ(p.cursor_row, 1);
    EXPECT_EQ(p.cursor_column, 1);
    EXPECT_EQ(p.pending_wrap, 0);
    EXPECT_EQ(p.print_mode, rt::print_fill_background);
    EXPECT_EQ(p.clear_colour, rt::no_clear_colour);
    EXPECT_EQ(p.flags, rt::image_owns_palette | rt::image_owns_pixels | rt::image_is_page);
    EXPECT_EQ(p.view.x1, 0);
    EXPECT_EQ(p.view.y1, 0);
    EXPECT_EQ(p.view.x2, 799);
    EXPECT_EQ(p.view.y2, 599);
    EXPECT_EQ(p.view.cursor_x, 400.0f);
    EXPECT_EQ(p.view.cursor_y, 300.0f);
    EXPECT_EQ(std::memcmp(p.palette, rt::default_palette.data(), 1024), 0);
    for (size_t i = 0; i < 800u * 600u; ++i) ASSERT_EQ(p.pixels[i], 0) << i;
}

// The kinds of record other subsystems read differently: 32-bit, text cells,
// and a palette mode that does not start from the first default entries.
TEST_F(GraphicsStore, OtherModes) {
    const rt::Image& argb = image(-rt::new_image(4, 4, 32, true));
    EXPECT_EQ(argb.bytes_per_pixel, 4);
    EXPECT_EQ(argb.palette, nullptr);
    EXPECT_EQ(argb.colour_mask, 0xFFFFFFFFu);
    EXPECT_EQ(argb.background, 0xFF000000u);

    const rt::Image& four = image(-rt::new_image(4, 4, 1, true));
    EXPECT_EQ(four.colour_mask, 3u);
    EXPECT_EQ(four.font, 8);
    EXPECT_EQ(four.palette[1], rt::default_palette[3]);
    EXPECT_EQ(four.palette[3], rt::default_palette[7]);

    const rt::Image& ega = image(-rt::new_image(4, 28, 9, true));
    EXPECT_EQ(ega.font, 14);
    EXPECT_EQ(ega.bottom_row, 1);
    EXPECT_EQ(std::memcmp(ega.palette, rt::default_palette.data(), 16 * 4), 0);

    const rt::Image& text = image(-rt::new_image(40, 10, 0, true));
    EXPECT_EQ(text.text_screen, 1);
    EXPECT_EQ(text.bytes_per_pixel, 2);
    EXPECT_EQ(text.foreground, 7);
    EXPECT_EQ(text.bottom_row, 9);
    EXPECT_EQ(text.pixels[0], 0x20);
    EXPECT_EQ(text.pixels[799], 0x07);
    EXPECT_EQ(pending(), 0);
}

TEST_F(GraphicsStore, BadArgumentsRaiseFive) {
    EXPECT_EQ(rt::new_image(0, 10, 256, true), 0);
    EXPECT_EQ(pending(), 5);
    clear_error();
    EXPECT_EQ(rt::new_image(10, -1, 256, true), 0);
    EXPECT_EQ(pending(), 5);
    clear_error();
    EXPECT_EQ(rt::new_image(10, 10, 3, true), 0);
    EXPECT_EQ(pending(), 5);
    clear_error();
    // The record holds 16-bit sizes: a larger one must not be cut down.
    EXPECT_EQ(rt::new_image(65536, 1, 256, true), 0);
    EXPECT_EQ(pending(), 5);
    // While an error is pending nothing is made.
    int32_t count = rt::image_count();
    EXPECT_EQ(rt::new_image(10, 10, 256, true), 0);
    EXPECT_EQ(rt::image_count(), count);
}

TEST_F(GraphicsStore, WithoutAModeTheDestinationsSettingsAreTaken) {
    page().palette[5] = 0xFF123456;
    page().foreground = 9;
    page().background = 55;
    page().print_mode = rt::print_keep_background;
    page().clear_colour = 7;
    int32_t h = rt::new_image(20, 32, 0, false);
    ASSERT_LE(h, -2);
    const rt::Image& img = image(-h);
    EXPECT_EQ(img.mode, 256);
    EXPECT_EQ(img.palette[5], 0xFF123456u);
    EXPECT_NE(img.palette, page().palette);
    EXPECT_EQ(img.foreground, 9);
    EXPECT_EQ(img.background, 55u);
    EXPECT_EQ(img.print_mode, rt::print_keep_background);
    EXPECT_EQ(img.clear_colour, 7u);
    EXPECT_EQ(img.bottom_row, 1);
}

TEST_F(GraphicsStore, FreedNumbersComeBackLastInFirstOut) {
    int32_t a = rt::new_image(2, 2, 256, true);
    int32_t b = rt::new_image(2, 2, 256, true);
    int32_t c = rt::new_image(2, 2, 256, true);
    EXPECT_EQ(b, a - 1);
    EXPECT_EQ(c, b - 1);
    rt::free_image(-a);
    rt::free_image(-c);
    EXPECT_EQ(rt::new_image(2, 2, 256, true), c);
    EXPECT_EQ(rt::new_image(2, 2, 256, true), a);
    EXPECT_EQ(rt::new_image(2, 2, 256, true), c - 1);
}

TEST_F(GraphicsStore, InvalidHandlesRaise258) {
    rt::set_dest(-1);
    EXPECT_EQ(pending(), 258);
    clear_error();
    rt::select_screen(-1);
    EXPECT_EQ(pending(), 258);
    clear_error();
    int32_t h = rt::new_image(2, 2, 256, true);
    rt::free_image(-h);
    rt::set_dest(h);
    EXPECT_EQ(pending(), 258);
    clear_error();
    rt::select_screen(h);
    EXPECT_EQ(pending(), 258);
    clear_error();
    rt::set_dest(-rt::image_count());  // never handed out
    EXPECT_EQ(pending(), 258);
    clear_error();
    rt::set_dest(INT32_MIN);
    EXPECT_EQ(pending(), 258);
    EXPECT_EQ(rt::destination_handle(), page_handle);
}

TEST_F(GraphicsStore, RecordsStayPutWhenTheStoreGrows) {
    const rt::Image* first = &image(-page_handle);
    int32_t last = 0;
    for (int i = 0; i < 5000; ++i) {
        last = rt::new_image(1, 1, 256, true);
        ASSERT_LE(last, -2);
    }
    EXPECT_GT(rt::image_count(), 4096);
    EXPECT_EQ(first, &image(-page_handle));
    EXPECT_EQ(rt::image_of_handle(last), &image(-last));
    EXPECT_EQ(image(-last).width, 1);
}

TEST_F(GraphicsStore, PagesAreMadeOnDemandSharingThePalette) {
    rt::set_dest(3);
    ASSERT_EQ(pending(), 0);
    int32_t three = -rt::destination_handle();
    const rt::Image& p3 = image(three);
    EXPECT_EQ(p3.width, 800);
    EXPECT_EQ(p3.height, 600);
    EXPECT_EQ(p3.mode, 256);
    EXPECT_EQ(p3.palette, page().palette);
    EXPECT_EQ(p3.flags & rt::image_owns_palette, 0u);
    EXPECT_NE(p3.flags & rt::image_is_page, 0u);
    rt::set_dest(3);
    EXPECT_EQ(-rt::destination_handle(), three);
    rt::set_dest(0);
    EXPECT_EQ(rt::destination_handle(), page_handle);

    // A new screen frees the extra page but keeps the image that was selected.
    int32_t next = rt::new_image(320, 200, 256, true);
    rt::select_screen(next);
    EXPECT_EQ(image(three).in_use, 0);
    EXPECT_EQ(image(-page_handle).in_use, 1);
    EXPECT_EQ(image(-page_handle).flags & rt::image_is_page, 0u);
    EXPECT_EQ(rt::display_handle(), next);
    EXPECT_EQ(rt::new_image(1, 1, 256, true), -three);  // its number came back
}

TEST_F(GraphicsStore, SelectingAPageOfTheScreenGivesItItsOwnPalette) {
    rt::set_dest(1);
    int32_t one = -rt::destination_handle();
    rt::select_screen(-one);
    ASSERT_EQ(pending(), 0);
    const rt::Image& img = image(one);
    EXPECT_EQ(img.in_use, 1);
    EXPECT_NE(img.flags & rt::image_owns_palette, 0u);
    EXPECT_EQ(img.palette[15], 0xFFFFFFFFu);
    EXPECT_EQ(rt::display_handle(), -one);
}

TEST_F(GraphicsStore, TextScreen) {
    rt::images_init();
    rt::select_text_screen();
    const rt::Image& p = page();
    EXPECT_EQ(p.text_screen, 1);
    EXPECT_EQ(p.width, 80);
    EXPECT_EQ(p.height, 25);
    EXPECT_EQ(p.font, 16);
    EXPECT_EQ(p.foreground, 7);
    EXPECT_EQ(p.flags & rt::image_owns_pixels, 0u);
    int32_t page0 = rt::display_page.load();
    for (int n = 0; n < 8; ++n) {
        rt::set_dest(n);
        const rt::Image& img = image(-rt::destination_handle());
        EXPECT_EQ(-rt::destination_handle(), page0 + n);
        EXPECT_EQ(img.width, 80);
        for (int i = 0; i < 80 * 25; ++i) {
            ASSERT_EQ(img.pixels[2 * i], 0x20);
            ASSERT_EQ(img.pixels[2 * i + 1], 0x07);
        }
    }
    EXPECT_EQ(rt::image_count(), page0 + 8);
    // The game's page replaces the text screen, whose numbers are given back.
    int32_t h = rt::new_image(800, 600, 256, true);
    rt::select_screen(h);
    EXPECT_EQ(image(page0).in_use, 0);
    EXPECT_EQ(rt::new_image(1, 1, 256, true), -page0);
    // select_screen with mode 0 brings the text screen back; other modes are not screens.
    rt::select_screen(0);
    EXPECT_EQ(page().text_screen, 1);
    rt::select_screen(13);
    EXPECT_EQ(pending(), 5);
}

// A stand-in for the presenter: counts the screen switches it is asked to keep
// off, and checks that each begins before it ends.
struct Presenter {
    static inline int begun = 0, ended = 0;
    Presenter() {
        begun = ended = 0;
        rt::screen_switch = {[] { ++begun; }, [] { EXPECT_EQ(++ended, begun); }};
    }
    ~Presenter() { rt::screen_switch = {}; }
};

TEST_F(GraphicsStore, ScreenSwitchKeepsThePresenterOffThePage) {
    Presenter presenter;
    rt::select_screen(page_handle);  // already the screen: no switch
    EXPECT_EQ(Presenter::begun, 0);
    int32_t h = rt::new_image(640, 480, 256, true);
    rt::select_screen(h);
    EXPECT_EQ(Presenter::begun, 1);
    EXPECT_EQ(Presenter::ended, 1);
    EXPECT_EQ(rt::display_handle(), h);
    rt::select_text_screen();
    EXPECT_EQ(Presenter::begun, 2);
    EXPECT_EQ(Presenter::ended, 2);
}

}  // namespace

// Presentation and timing on SDL's dummy video driver and the virtual clock.
#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "runtime/graphics/graphics.h"
#include "runtime/host/display_internal.h"
#include "runtime/host/host.h"
#include "runtime/input/input.h"
#include "runtime/platform/virtual/virtual.h"
#include "runtime/platform/wait.h"
#include "runtime/text/text.h"
#include "tests/headless.h"

namespace {

using rt::VideoMode;
namespace vp = rt::virtual_platform;

class DisplayTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
        rt::images_init();
        rt::fonts_init();
    }
    void SetUp() override {
        rt::pending_error.store(0);
        rt::auto_display.store(rt::AutoDisplay::on);
        rt::display_hold.store(rt::DisplayHold::free);
        rt::full_screen_state.store(rt::ScreenMode::windowed);
        rt::full_screen_request.store(rt::ScreenMode::none);
        rt::mode_toggle_count.store(0);
        rt::display_thread_running.store(0);
        rt::full_screen_modes.clear();
        rt::any_video_size = false;
        rt::screen_choice = {rt::Look::original, rt::StartScreen::as_asked};
        rt::desktop_size = {};
        rt::display_forget();
        vp::set_frame_hook(nullptr);
    }

    // A 256-colour page made the screen, with a pattern of every index.
    static rt::Image& page(int32_t width, int32_t height) {
        int32_t handle = rt::new_image(width, height, 256, true);
        EXPECT_LE(handle, -2);
        rt::select_screen(handle);
        rt::Image& img = rt::image(-handle);
        for (int32_t y = 0; y < height; ++y)
            for (int32_t x = 0; x < width; ++x) img.pixels[y * width + x] = uint8_t(x * 7 + y * 3);
        return img;
    }
    static SDL_Surface* surface() { return SDL_GetVideoSurface(); }
    static uint32_t shown(int32_t x, int32_t y) {
        SDL_Surface* s = surface();
        return static_cast<uint32_t*>(s->pixels)[y * (s->pitch / 4) + x] & 0xFFFFFFu;
    }
    static void poke(int32_t x, int32_t y, uint32_t v) {
        SDL_Surface* s = surface();
        static_cast<uint32_t*>(s->pixels)[y * (s->pitch / 4) + x] = v;
    }
    static uint32_t colour(const rt::Image& img, int32_t x, int32_t y) {
        return img.palette[img.pixels[y * img.width + x]] & 0xFFFFFFu;
    }
};

// ------------------------------------------------------------ mode choice

TEST(ModeChoice, SmallestExcessWithTiesToTheLaterMode) {
    std::vector<VideoMode> modes{{1024, 768}, {700, 600}, {800, 500}, {640, 480}};
    auto c = rt::choose_modes(modes, 640, 480);
    EXPECT_EQ(c.best, 3);  // excess 0
    c = rt::choose_modes(modes, 650, 480);
    EXPECT_EQ(c.best, 2);  // 700x600 and 800x500 both exceed by 170: the later one
    EXPECT_EQ(c.best_4_3, 0);

    std::vector<VideoMode> twins{{1024, 768}, {1000, 600}, {1024, 768}};
    c = rt::choose_modes(twins, 800, 600);
    EXPECT_EQ(c.best, 1);
    EXPECT_EQ(c.best_4_3, 2);
}

TEST(ModeChoice, NarrowModesAndModesTooSmallAreSkipped) {
    std::vector<VideoMode> modes{{600, 400}, {640, 400}, {640, 480}, {800, 600}};
    auto c = rt::choose_modes(modes, 320, 200);  // doubled to 640x400
    EXPECT_EQ(c.best, 1);
    EXPECT_EQ(c.best_4_3, 2);
    EXPECT_EQ(rt::choose_modes(modes, 512, 384).best, -1);  // doubled: 1024x768
    EXPECT_EQ(rt::choose_modes(modes, 513, 384).best, 1);   // too wide to double
    c = rt::choose_modes(modes, 1024, 768);
    EXPECT_EQ(c.best, -1);
    EXPECT_EQ(c.best_4_3, -1);
    EXPECT_EQ(rt::choose_modes({}, 800, 600).best, -1);
}

// ------------------------------------------------------------ layout and conversion

TEST_F(DisplayTest, WindowedPageIsConvertedPixelForPixel) {
    rt::Image& img = page(803, 7);  // a width that is not a multiple of eight
    img.palette[9] = 0xFF123456;
    img.pixels[802] = 9;
    rt::display_update();
    ASSERT_NE(surface(), nullptr);
    ASSERT_EQ(surface()->w, 803);
    ASSERT_EQ(surface()->h, 7);
    EXPECT_EQ(shown(802, 0), 0x123456u);
    for (int32_t y = 0; y < 7; ++y)
        for (int32_t x = 0; x < 803; ++x) ASSERT_EQ(shown(x, y), colour(img, x, y)) << x << "," << y;
}

TEST_F(DisplayTest, SmallPageIsDoubledAndCentredInFullScreen) {
    rt::full_screen_modes = {{1024, 768}, {640, 480}};
    rt::Image& img = page(320, 200);
    rt::set_full_screen(0);
    EXPECT_EQ(rt::full_screen_state.load(), rt::ScreenMode::best);
    ASSERT_EQ(surface()->w, 640);
    ASSERT_EQ(surface()->h, 480);
    EXPECT_EQ(shown(0, 39), 0u);
    EXPECT_EQ(shown(639, 440), 0u);
    for (int32_t y = 0; y < 200; ++y)
        for (int32_t x = 0; x < 320; ++x) {
            uint32_t c = colour(img, x, y);
            ASSERT_EQ(shown(2 * x, 40 + 2 * y), c);
            ASSERT_EQ(shown(2 * x + 1, 40 + 2 * y + 1), c);
        }
    // The same page in a window is not doubled.
    rt::set_full_screen(1);
    EXPECT_EQ(rt::full_screen_state.load(), rt::ScreenMode::windowed);
    EXPECT_EQ(surface()->w, 320);
    EXPECT_EQ(shown(1, 0), colour(img, 1, 0));
}

TEST_F(DisplayTest, LargePageIsCentredWithBlackBorders) {
    rt::Image& img = page(800, 600);
    img.pixels[0] = 15;
    rt::full_screen_modes = {{1280, 1024}, {1024, 768}};
    rt::set_full_screen(0);
    ASSERT_EQ(rt::full_screen_state.load(), rt::ScreenMode::best);
    ASSERT_EQ(surface()->w, 1024);
    EXPECT_EQ(shown(112, 84), colour(img, 0, 0));
    EXPECT_EQ(shown(113, 84), colour(img, 1, 0));  // never doubled
    EXPECT_EQ(shown(911, 683), colour(img, 799, 599));
    EXPECT_EQ(shown(111, 84), 0u);
    EXPECT_EQ(shown(912, 683), 0u);
    EXPECT_EQ(shown(112, 83), 0u);
    EXPECT_EQ(shown(112, 684), 0u);
}

TEST_F(DisplayTest, NoFittingModeStaysWindowed) {
    page(800, 600);
    rt::full_screen_modes = {{640, 480}};
    rt::set_full_screen(0);
    EXPECT_EQ(rt::full_screen_state.load(), rt::ScreenMode::windowed);
    EXPECT_EQ(rt::full_screen_request.load(), rt::ScreenMode::none);
    EXPECT_EQ(surface()->w, 800);

    rt::full_screen_modes = {{1024, 768}};
    rt::any_video_size = true;  // no list at all
    rt::set_full_screen(0);
    EXPECT_EQ(rt::full_screen_state.load(), rt::ScreenMode::windowed);
}

TEST_F(DisplayTest, PageLargerThanEveryModeGoesBackToAWindow) {
    rt::full_screen_modes = {{1024, 768}};
    page(800, 600);
    rt::set_full_screen(0);
    ASSERT_EQ(rt::full_screen_state.load(), rt::ScreenMode::best);
    rt::Image& big = page(1100, 700);
    rt::display_update();
    EXPECT_EQ(rt::full_screen_state.load(), rt::ScreenMode::windowed);
    ASSERT_EQ(surface()->w, 1100);
    EXPECT_EQ(shown(1099, 699), colour(big, 1099, 699));
}

TEST_F(DisplayTest, SmallerPageInTheSameModeClearsTheOldPicture) {
    rt::full_screen_modes = {{1024, 768}};
    page(800, 600);
    rt::set_full_screen(0);
    ASSERT_NE(shown(150, 100), 0u);
    rt::Image& small = page(600, 500);  // same mode, new offsets (212, 134)
    rt::display_update();
    EXPECT_EQ(shown(150, 100), 0u);
    EXPECT_EQ(shown(212, 134), colour(small, 0, 0));
}

TEST_F(DisplayTest, TrueColourAndTextPages) {
    int32_t handle = rt::new_image(3, 2, 32, true);
    rt::select_screen(handle);
    auto* px = reinterpret_cast<uint32_t*>(rt::image(-handle).pixels);
    for (int i = 0; i < 6; ++i) px[i] = 0xFF000000u | (0x010203u * (i + 1));
    rt::display_update();
    ASSERT_EQ(surface()->w, 3);
    EXPECT_EQ(shown(2, 1), 0x010203u * 6);

    rt::select_text_screen();
    rt::Image& text = rt::image(rt::display_page);
    ASSERT_TRUE(text.text_screen);
    uint16_t cell = 0x1E41;  // 'A', yellow on blue
    std::memcpy(text.pixels, &cell, 2);
    rt::display_update();
    ASSERT_EQ(surface()->w, 640);
    ASSERT_EQ(surface()->h, 400);
    const uint8_t* bits = rt::glyph(16, 'A');
    for (int32_t y = 0; y < 16; ++y)
        for (int32_t x = 0; x < 8; ++x)
            ASSERT_EQ(shown(x, y), (bits[y * 8 + x] ? text.palette[14] : text.palette[1]) & 0xFFFFFFu);
    EXPECT_EQ(shown(8, 0), text.palette[0] & 0xFFFFFFu);  // blank, attribute 7
}

// Both conversion paths against the plain rule: word = palette[index], with
// strides wider than the rows, row widths on both sides of the fast path's
// 64-pixel step, every index, alpha bytes of every value, and the doubling.
TEST(PaletteConversion, EveryPathGivesPaletteIndexWordsAndTouchesNothingElse) {
    std::array<uint32_t, 256> palette{};
    uint32_t seed = 99;
    auto next = [&] { return seed = seed * 1664525u + 1013904223u; };
    for (uint32_t& c : palette) c = next();
    for (int32_t i = 0; i < 4; ++i) palette[i] = 0xFF000000u >> (8 * i);  // one byte set per plane
    constexpr uint32_t untouched = 0xDEADBEEF;
    constexpr size_t src_stride = 211, dst_stride = 2 * 211 + 3;
    constexpr int32_t height = 5;
    std::vector<uint8_t> src(src_stride * height);
    for (size_t i = 0; i < src.size(); ++i) src[i] = uint8_t(i < 256 ? i : next() >> 24);

    using Convert = void (*)(const uint8_t*, size_t, int32_t, int32_t, const uint32_t*, uint32_t*, size_t,
                             int32_t, int32_t);
    for (Convert convert : {Convert(rt::convert_palette_rows), Convert(rt::convert_palette_rows_portable)}) {
        for (int32_t width : {1, 7, 63, 64, 65, 128, 200, 211}) {
            for (auto [fx, fy] : {std::pair{1, 1}, {1, 2}, {2, 1}, {2, 2}}) {
                std::vector<uint32_t> dst(dst_stride * height * fy, untouched);
                convert(src.data(), src_stride, width, height, palette.data(), dst.data(), dst_stride, fx, fy);
                for (int32_t row = 0; row < height * fy; ++row)
                    for (size_t x = 0; x < dst_stride; ++x) {
                        uint32_t want = untouched;
                        if (x < size_t(width) * fx) want = palette[src[size_t(row / fy) * src_stride + x / fx]];
                        ASSERT_EQ(dst[size_t(row) * dst_stride + x], want)
                            << "width " << width << " factors " << fx << "," << fy << " at " << x << "," << row;
                    }
            }
        }
    }
    if (!rt::vector_conversion_available()) std::printf("this processor has only the portable path\n");
}

TEST(SideBuffer, ChannelsGoWhereTheMasksSay) {
    SDL_Surface* bgr = SDL_CreateRGBSurface(SDL_SWSURFACE, 3, 2, 32, 0xFF, 0xFF00, 0xFF0000, 0);
    ASSERT_NE(bgr, nullptr);
    std::vector<uint32_t> side{0xFF112233, 0xFF445566, 0xFF778899, 0, 0xFFFFFFFF, 0xFFAA0000};
    rt::copy_side_buffer(side.data(), bgr);
    auto at = [&](int x, int y) {
        return static_cast<uint32_t*>(bgr->pixels)[y * (bgr->pitch / 4) + x] & 0xFFFFFFu;
    };
    EXPECT_EQ(at(0, 0), 0x332211u);
    EXPECT_EQ(at(2, 0), 0x998877u);
    EXPECT_EQ(at(1, 1), 0xFFFFFFu);
    EXPECT_EQ(at(2, 1), 0x0000AAu);
    SDL_FreeSurface(bgr);
}

// ------------------------------------------------------------ scaled looks

// Each channel of a seam is the mean of its two neighbours' (rounded either way).
bool is_mean(uint32_t seam, uint32_t a, uint32_t b) {
    for (int shift = 0; shift < 32; shift += 8) {
        int32_t twice = 2 * int32_t((seam >> shift) & 0xFF), sum = int32_t((a >> shift) & 0xFF) + int32_t((b >> shift) & 0xFF);
        if (twice < sum - 1 || twice > sum + 1) return false;
    }
    return true;
}

// What a line of screen pixels says about the page pixels it shows: for each
// page pixel, the screen pixels that are exactly it; -1 for a pixel that is
// neither a page pixel nor a seam between two neighbours.
std::vector<int32_t> widths_along(const std::vector<uint32_t>& line, const std::vector<uint32_t>& page_line,
                                  int32_t& seams, int32_t& bad) {
    std::vector<int32_t> pure(page_line.size(), 0);
    seams = bad = 0;
    size_t i = 0;  // the page pixel reached
    for (size_t x = 0; x < line.size(); ++x) {
        while (i + 1 < page_line.size() && line[x] != page_line[i] && line[x] == page_line[i + 1]) ++i;
        if (line[x] == page_line[i]) {
            ++pure[i];
        } else if (i + 1 < page_line.size() && is_mean(line[x], page_line[i], page_line[i + 1]) &&
                   x + 1 < line.size() && line[x + 1] == page_line[i + 1] && pure[i] > 0) {
            ++seams;
        } else {
            ++bad;
        }
    }
    return pure;
}

// The sharp look's promise on a pattern of distinct colours, for the scale
// factors of common screens: every page pixel keeps floor(s) screen pixels of
// its own, at most one blended pixel sits between two neighbours, and the
// leftovers are spread so that no two seams touch. A band scaled after a
// change gives what scaling the whole changed picture gives.
TEST(SharpScaling, EveryPagePixelKeptWholeAndSeamsBlendOnlyNeighbours) {
    const std::pair<int32_t, int32_t> axes[] = {{800, 1440}, {600, 1080}, {800, 1066}, {600, 800}, {800, 2880},
                                                {600, 2160}, {800, 800}, {800, 2400}, {7, 10}, {1, 3}};
    for (auto [n, m] : axes) {
        rt::ScaleAxis a = rt::make_scale_axis(n, m);
        std::vector<uint32_t> page_line(static_cast<size_t>(n)), line(static_cast<size_t>(m), 0);
        for (int32_t i = 0; i < n; ++i) page_line[size_t(i)] = 0xFF000000u | uint32_t(i * 2654435761u >> 8);
        rt::Band row{0, 1, 0, n};
        rt::ScaleAxis one = rt::make_scale_axis(1, 1);
        rt::scale_picture(a, one, page_line.data(), size_t(n), row, line.data(), size_t(m));
        int32_t seams = 0, bad = 0;
        std::vector<int32_t> pure = widths_along(line, page_line, seams, bad);
        EXPECT_EQ(bad, 0) << n << " onto " << m;
        EXPECT_EQ(seams, m % n) << n << " onto " << m;
        for (int32_t i = 0; i < n; ++i) ASSERT_EQ(pure[size_t(i)], m / n) << "page pixel " << i << ", " << n << " onto " << m;
        for (int32_t x = 1; x < m; ++x) ASSERT_FALSE(a.seam[size_t(x)] && a.seam[size_t(x) - 1]) << n << " onto " << m;
        // Where the seams fall: evenly, no stretch of page pixels without one
        // much longer than another.
        if (m % n > 0) {
            int32_t longest = 0, shortest = n, run = -1;  // runs between two seams
            for (int32_t i = 0; i + 1 < n; ++i) {
                if (a.seam_after[size_t(i)]) {
                    if (run >= 0) longest = std::max(longest, run), shortest = std::min(shortest, run);
                    run = 0;
                } else if (run >= 0) {
                    ++run;
                }
            }
            EXPECT_LE(longest - shortest, 1) << n << " onto " << m;
        }
    }

    // Smaller than the page: the nearest page pixel, nothing else.
    rt::ScaleAxis down = rt::make_scale_axis(800, 500);
    EXPECT_EQ(down.whole, 0);
    EXPECT_EQ(down.source.front(), 0);
    EXPECT_EQ(down.source.back(), 799);

    // In two directions, and a band after a change.
    constexpr int32_t w = 40, h = 30;
    for (auto [sw, sh] : {std::pair{72, 54}, {53, 40}, {144, 108}, {40, 30}, {120, 30}, {25, 20}}) {
        rt::ScaleAxis across = rt::make_scale_axis(w, sw), downward = rt::make_scale_axis(h, sh);
        std::vector<uint32_t> picture(size_t(w) * h), fresh(size_t(sw) * sh), screen(size_t(sw) * sh, 0x12345678);
        uint32_t seed = 7;
        for (uint32_t& c : picture) c = 0xFF000000u | ((seed = seed * 1664525u + 1013904223u) >> 8);
        rt::scale_picture(across, downward, picture.data(), w, {0, h, 0, w}, screen.data(), size_t(sw));
        for (int32_t y = 0; y < sh; ++y) {
            std::vector<uint32_t> line(screen.begin() + y * sw, screen.begin() + (y + 1) * sw);
            if (downward.seam[size_t(y)]) continue;
            const int32_t r = downward.source[size_t(y)];
            std::vector<uint32_t> page_line(picture.begin() + r * w, picture.begin() + (r + 1) * w);
            int32_t seams = 0, bad = 0;
            if (across.whole == 0) {  // smaller than the page: the nearest pixels
                for (int32_t x = 0; x < sw; ++x) bad += line[size_t(x)] != page_line[size_t(across.source[size_t(x)])];
            } else {
                widths_along(line, page_line, seams, bad);
            }
            ASSERT_EQ(bad, 0) << sw << "x" << sh << " row " << y;
        }
        for (int32_t y = 0; y < sh; ++y)
            for (int32_t x = 0; x < sw && downward.seam[size_t(y)]; ++x)
                ASSERT_TRUE(is_mean(screen[size_t(y) * sw + x], screen[size_t(y - 1) * sw + x], screen[size_t(y + 1) * sw + x]));
        for (rt::Band band : {rt::Band{3, 9, 5, 17}, {0, 1, 0, 1}, {h - 1, h, w - 1, w}, {12, 13, 0, w}}) {
            for (int32_t y = band.first; y < band.end; ++y)
                for (int32_t x = band.left; x < band.right; ++x) picture[size_t(y) * w + x] ^= 0x00FFFFFFu;
            rt::scale_picture(across, downward, picture.data(), w, band, screen.data(), size_t(sw));
            rt::scale_picture(across, downward, picture.data(), w, {0, h, 0, w}, fresh.data(), size_t(sw));
            ASSERT_EQ(screen, fresh) << sw << "x" << sh << " band at " << band.first << "," << band.left;
        }
    }
}

// Full-screen in a scaled look is the desktop's own mode, the picture as the
// look says, centred on black; the window opens at a whole multiple of the
// page, takes the size it is given, and Alt+Enter goes between the two.
TEST_F(DisplayTest, ScaledLooksOnTheDesktopAndInAWindow) {
    rt::Image& img = page(800, 600);
    rt::full_screen_modes = {{800, 600}, {1024, 768}};  // the original look's, unused here
    struct Case {
        rt::Look look;
        rt::VideoMode desktop;
        int32_t x, y, w, h;
    };
    const Case cases[] = {
        {rt::Look::sharp, {1920, 1080}, 240, 0, 1440, 1080}, {rt::Look::sharp, {2560, 1440}, 320, 0, 1920, 1440},
        {rt::Look::sharp, {1280, 800}, 107, 0, 1066, 800},   {rt::Look::sharp, {1024, 768}, 0, 0, 1024, 768},
        {rt::Look::pixel, {1920, 1080}, 560, 240, 800, 600}, {rt::Look::pixel, {3840, 2160}, 720, 180, 2400, 1800},
        {rt::Look::stretch, {1280, 800}, 0, 0, 1280, 800},
    };
    for (const Case& c : cases) {
        rt::screen_choice.look = c.look;
        rt::desktop_size = c.desktop;
        rt::display_forget();
        rt::set_full_screen(0);
        ASSERT_EQ(rt::full_screen_state.load(), rt::ScreenMode::best);
        ASSERT_EQ(surface()->w, c.desktop.width);
        ASSERT_EQ(surface()->h, c.desktop.height);
        EXPECT_TRUE(surface()->flags & SDL_FULLSCREEN);
        const std::string where = std::to_string(c.desktop.width) + "x" + std::to_string(c.desktop.height);
        EXPECT_EQ(shown(c.x, c.y), colour(img, 0, 0)) << where;
        EXPECT_EQ(shown(c.x + c.w - 1, c.y + c.h - 1), colour(img, 799, 599)) << where;
        if (c.x > 0) { EXPECT_EQ(shown(c.x - 1, c.y + c.h / 2), 0u) << where; }
        if (c.x + c.w < c.desktop.width) { EXPECT_EQ(shown(c.x + c.w, c.y), 0u) << where; }
        if (c.y > 0) { EXPECT_EQ(shown(c.x, c.y - 1), 0u) << where; }
        // No 4:3 mode of its own on the desktop: Alt+Enter goes to a window and back.
        rt::mode_toggle_count.fetch_add(1);
        rt::display_update();
        EXPECT_EQ(rt::full_screen_state.load(), rt::ScreenMode::windowed) << where;
        rt::mode_toggle_count.fetch_add(1);
        rt::display_update();
        EXPECT_EQ(rt::full_screen_state.load(), rt::ScreenMode::best) << where;
        rt::set_full_screen(1);
    }

    // Windows: 1x on 1080p, 2x on 1440p, 3x on 4K; then as the player makes it.
    rt::screen_choice.look = rt::Look::sharp;
    for (auto [desktop, times] : {std::pair{rt::VideoMode{1920, 1080}, 1}, {{2560, 1440}, 2}, {{3840, 2160}, 3}}) {
        rt::desktop_size = desktop;
        rt::display_forget();
        rt::display_update();
        EXPECT_EQ(surface()->w, 800 * times);
        EXPECT_EQ(surface()->h, 600 * times);
        EXPECT_EQ(shown(800 * times - 1, 600 * times - 1), colour(img, 799, 599));
    }
    rt::window_resize_request.store(1000u << 16 | 500u);  // wide: borders left and right
    rt::display_update();
    ASSERT_EQ(surface()->w, 1000);
    ASSERT_EQ(surface()->h, 500);
    EXPECT_EQ(shown(166, 0), 0u);
    EXPECT_EQ(shown(167, 0), colour(img, 0, 0));
    EXPECT_EQ(shown(832, 499), colour(img, 799, 599));
    EXPECT_EQ(shown(833, 499), 0u);
    // The page's changes reach the scaled window, seams and all.
    img.pixels[300 * 800 + 400] ^= 0x55;
    rt::display_update();
    EXPECT_EQ(shown(167 + 400 * 666 / 800, 300 * 500 / 600), colour(img, 400, 300));
}

// ------------------------------------------------------------ frame cache

TEST_F(DisplayTest, UnchangedFrameIsNotDrawnAgain) {
    rt::Image& img = page(64, 48);
    img.pixels[0] = 5;
    rt::display_update();
    poke(0, 0, 0xABCDEF);  // would be overwritten by any redraw
    rt::display_update();
    EXPECT_EQ(shown(0, 0), 0xABCDEFu);

    img.palette[5] = 0xFF010101;  // pixels equal, palette entry 5 differs
    rt::display_update();
    EXPECT_EQ(shown(0, 0), 0x010101u);

    // One pixel differs: its row is drawn again, the others are left alone.
    poke(0, 0, 0xABCDEF);
    poke(0, 46, 0xABCDEF);
    img.pixels[47 * 64 + 63] ^= 1;
    rt::display_update();
    EXPECT_EQ(shown(0, 0), 0xABCDEFu);
    EXPECT_EQ(shown(0, 46), 0xABCDEFu);
    EXPECT_EQ(shown(63, 47), colour(img, 63, 47));
}

TEST_F(DisplayTest, OnlyTheChangedPiecesOfARowAreDrawnAgain) {
    rt::Image& img = page(200, 48);  // pieces of 64 pixels: 0, 64, 128 and the last 8 from 192
    rt::display_update();
    const auto poke_row = [](int32_t y) {
        for (int32_t x = 0; x < 200; ++x) poke(x, y, 0xABCDEF);
    };
    const auto redrawn = [&](int32_t y) {
        std::vector<int32_t> xs;
        for (int32_t x = 0; x < 200; ++x)
            if (shown(x, y) != 0xABCDEFu) {
                EXPECT_EQ(shown(x, y), colour(img, x, y)) << x << "," << y;
                xs.push_back(x);
            }
        return xs.empty() ? std::pair{-1, -1} : std::pair{xs.front(), xs.back()};
    };
    for (int32_t y : {9, 10, 20, 21, 22, 30}) poke_row(y);
    img.pixels[10 * 200 + 130] ^= 1;  // one piece in the middle
    img.pixels[20 * 200 + 0] ^= 1;    // the first and the short last piece: all between
    img.pixels[20 * 200 + 199] ^= 1;
    img.pixels[22 * 200 + 100] ^= 1;
    img.pixels[30 * 200 + 193] ^= 1;
    rt::display_update();
    EXPECT_EQ(redrawn(9), std::pair(-1, -1));
    EXPECT_EQ(redrawn(10), std::pair(128, 191));
    EXPECT_EQ(redrawn(20), std::pair(0, 199));
    EXPECT_EQ(redrawn(21), std::pair(0, 199));  // a short gap between two changed rows goes along
    EXPECT_EQ(redrawn(22), std::pair(0, 199));
    EXPECT_EQ(redrawn(30), std::pair(192, 199));

    // Doubled in full-screen (160 x 48 at 160, 192 of 640 x 480), a piece covers
    // twice its columns on both lines of its row.
    rt::full_screen_modes = {{640, 480}};
    rt::set_full_screen(2);
    rt::Image& small = page(160, 48);
    rt::display_update();
    for (auto [x, y] : {std::pair{415, 212}, {416, 211}, {416, 213}, {479, 212}}) poke(x, y, 0xABCDEF);
    small.pixels[10 * 160 + 130] ^= 1;
    rt::display_update();
    EXPECT_EQ(shown(415, 212), 0xABCDEFu);
    EXPECT_EQ(shown(416, 211), 0xABCDEFu);
    EXPECT_EQ(shown(416, 213), colour(small, 128, 10));
    EXPECT_EQ(shown(479, 212), colour(small, 159, 10));
}

// A display update of the live page served together with a frame of
// display_now shows the page whole, the frame's rows included.
TEST_F(DisplayTest, LiveUpdateInPlaceOfAHandedFrameMissesNoRow) {
    rt::Image& img = page(64, 48);
    rt::display_update();
    img.pixels[10 * 64 + 5] ^= 1;
    rt::take_frame(rt::handed_frame);  // the frame's rows are taken, not yet shown
    rt::window_requests.store(rt::window_request_frame | rt::window_request_present);
    rt::serve_window_requests();
    EXPECT_EQ(rt::window_requests.load(), 0);
    EXPECT_EQ(shown(5, 10), colour(img, 5, 10));
}

// The game turns automatic presentation on just after display_now handed a
// frame over: the display loop's update shows both that frame's rows and what
// was drawn since.
TEST_F(DisplayTest, AutomaticUpdatePresentsAWaitingFrameFirst) {
    rt::Image& img = page(64, 48);
    rt::display_update();
    rt::auto_display.store(rt::AutoDisplay::off);
    img.pixels[10 * 64 + 5] ^= 1;
    rt::take_frame(rt::handed_frame);
    rt::window_requests.store(rt::window_request_frame);
    img.pixels[20 * 64 + 7] ^= 1;
    rt::auto_display.store(rt::AutoDisplay::on);
    rt::serve_window_requests();  // as the display loop does
    rt::display_update();
    EXPECT_EQ(rt::window_requests.load(), 0);
    EXPECT_EQ(shown(5, 10), colour(img, 5, 10));
    EXPECT_EQ(shown(7, 20), colour(img, 7, 20));
}

TEST_F(DisplayTest, DisplayHoldStopsPresentation) {
    rt::Image& img = page(64, 48);
    rt::display_update();
    poke(1, 1, 0xABCDEF);
    img.pixels[64] ^= 1;  // a change in the poked row
    rt::display_hold.store(rt::DisplayHold::asked);
    rt::display_update();
    EXPECT_EQ(rt::display_hold.load(), rt::DisplayHold::held);
    EXPECT_EQ(shown(1, 1), 0xABCDEFu);
    rt::display_hold.store(rt::DisplayHold::free);
    rt::display_update();
    EXPECT_EQ(shown(1, 1), colour(img, 1, 1));
}

// ------------------------------------------------------------ full-screen states

TEST_F(DisplayTest, SetFullScreenOptionsAndFallbacks) {
    page(800, 600);
    rt::full_screen_modes = {{1000, 600}, {1024, 768}};
    rt::set_full_screen(3);  // square pixels: the distinct 4:3 mode
    EXPECT_EQ(rt::full_screen_state.load(), rt::ScreenMode::best_4_3);
    EXPECT_EQ(surface()->w, 1024);
    rt::set_full_screen(2);  // stretched
    EXPECT_EQ(rt::full_screen_state.load(), rt::ScreenMode::best);
    EXPECT_EQ(surface()->w, 1000);
    rt::set_full_screen(1);
    EXPECT_EQ(rt::full_screen_state.load(), rt::ScreenMode::windowed);

    // The best mode is itself 4:3, so state 2 is refused and state 1 taken.
    rt::full_screen_modes = {{1024, 768}};
    rt::set_full_screen(3);
    EXPECT_EQ(rt::full_screen_state.load(), rt::ScreenMode::best);
    EXPECT_EQ(rt::full_screen_request.load(), rt::ScreenMode::none);
}

TEST_F(DisplayTest, AltEnterCyclesTheStates) {
    page(800, 600);
    rt::full_screen_modes = {{1000, 600}, {1024, 768}};
    const rt::ScreenMode expected[] = {rt::ScreenMode::best, rt::ScreenMode::best_4_3, rt::ScreenMode::windowed,
                                       rt::ScreenMode::best};
    for (rt::ScreenMode state : expected) {
        rt::mode_toggle_count.fetch_add(1);
        rt::display_update();
        EXPECT_EQ(rt::full_screen_state.load(), state);
        EXPECT_EQ(rt::mode_toggle_count.load(), 0);
    }
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);

    rt::full_screen_modes = {{1024, 768}};  // no distinct 4:3 mode: 1 -> windowed
    rt::mode_toggle_count.fetch_add(1);
    rt::display_update();
    EXPECT_EQ(rt::full_screen_state.load(), rt::ScreenMode::windowed);
    EXPECT_EQ(surface()->w, 800);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);
}

// ------------------------------------------------------------ display_now

TEST_F(DisplayTest, DisplayNowHasTheDisplayThreadPresentEveryFrame) {
    rt::Image& img = page(64, 48);
    std::atomic<int> frames{0};
    vp::set_frame_hook([&] { frames.fetch_add(1); });

    // The display loop in small: presents while automatic presentation is on and
    // serves the program thread's requests in between.
    std::atomic<bool> quit{false};
    std::atomic<int> thread_updates{0};
    rt::display_thread_running.store(1);
    std::thread display([&] {
        rt::mark_display_thread();
        while (!quit.load()) {
            if (rt::auto_display.load() != rt::AutoDisplay::off) {
                rt::display_update();
                thread_updates.fetch_add(1);
            }
            rt::display_thread_idle(16);
        }
    });
    rt::display_now();
    EXPECT_EQ(rt::auto_display.load(), rt::AutoDisplay::off);
    EXPECT_EQ(frames.load(), 1);
    // The thread counts its update just after handing over.
    for (int i = 0; i < 1000 && thread_updates.load() == 0; ++i) rt::platform::poll_wait(1);
    EXPECT_GE(thread_updates.load(), 1);
    int seen = thread_updates.load();

    // From now on each display_now hands over its frame as the page stands and
    // returns: the display thread shows that frame even though the program
    // thread draws on at once (here: into the palette and the pixels).
    rt::last_present_on_display_thread.store(false);
    const auto presented = [] {
        for (int i = 0; i < 1000 && rt::window_requests.load() != 0; ++i) rt::platform::poll_wait(1);
        return rt::window_requests.load() == 0;
    };
    const uint8_t index = img.pixels[0];
    for (uint32_t colour : {0xFF00FF00u, 0xFF0000FFu, 0xFFFF0000u}) {
        img.palette[index] = colour;
        rt::display_now();
        img.palette[index] = 0xFF777777u;
        img.pixels[0] = uint8_t(index + 1);
        ASSERT_TRUE(presented());
        EXPECT_EQ(shown(0, 0), colour & 0xFFFFFFu);
        EXPECT_TRUE(rt::last_present_on_display_thread.load());
        img.pixels[0] = index;
    }
    EXPECT_EQ(frames.load(), 4);

    // Frames handed over back to back, as from a game that draws faster than
    // the window takes them: each waits for the one before, the last is shown.
    for (int i = 0; i < 200; ++i) {
        img.pixels[1] = uint8_t(i);
        rt::display_now();
    }
    ASSERT_TRUE(presented());
    EXPECT_EQ(shown(1, 0), colour(img, 1, 0));
    EXPECT_EQ(frames.load(), 204);

    // A handed frame that a screen switch keeps from the window is not lost:
    // the next frame brings it, though the page has not changed since.
    img.pixels[5] ^= 1;
    rt::display_hold.store(rt::DisplayHold::asked);
    rt::display_now();
    for (int i = 0; i < 1000 && rt::display_hold.load() != rt::DisplayHold::held; ++i) rt::platform::poll_wait(1);
    ASSERT_TRUE(presented());
    EXPECT_NE(shown(5, 0), colour(img, 5, 0));
    rt::display_hold.store(rt::DisplayHold::free);
    rt::display_now();
    ASSERT_TRUE(presented());
    EXPECT_EQ(shown(5, 0), colour(img, 5, 0));
    EXPECT_EQ(frames.load(), 206);

    // Once the display thread shuts down, nothing waits for it and nothing is drawn here.
    const uint32_t before = shown(0, 0);
    rt::stop_request.store(1);
    img.palette[img.pixels[0]] = 0xFF123456u;
    rt::display_now();
    EXPECT_EQ(shown(0, 0), before);
    rt::stop_request.store(0);
    quit.store(true);
    display.join();
    EXPECT_EQ(thread_updates.load(), seen);
}

TEST_F(DisplayTest, DisplayNowWithoutDisplayThreadPresentsItself) {
    rt::Image& img = page(16, 16);
    rt::display_now();
    EXPECT_EQ(rt::auto_display.load(), rt::AutoDisplay::off);
    EXPECT_EQ(shown(15, 15), colour(img, 15, 15));
}

// ------------------------------------------------------------ timing

TEST_F(DisplayTest, LimitRateKeepsItsPhaseWhenSlightlyLate) {
    vp::set_ticks(1000);
    rt::limit_rate(60);  // first mark: no wait
    EXPECT_EQ(vp::now(), 1000u);
    vp::advance(27);     // about 10 ms late
    uint64_t slept = vp::slept_ms();
    rt::limit_rate(60);
    EXPECT_EQ(vp::slept_ms(), slept);  // no sleep; mark 1016.67
    rt::limit_rate(60);  // sleeps up to the next mark, 1033.33
    EXPECT_EQ(vp::now(), 1034u);

    // Paced frames without work keep to 60 a second.
    for (int i = 0; i < 60; ++i) rt::limit_rate(60);
    EXPECT_GE(vp::now(), 2033u);
    EXPECT_LE(vp::now(), 2035u);
}

TEST_F(DisplayTest, LimitRateRestartsWhenFarBehind) {
    vp::set_ticks(5000);
    rt::limit_rate(60);
    vp::advance(16 + 17 + 1);  // more than 16.7 + 16 ms late
    uint64_t slept = vp::slept_ms();
    rt::limit_rate(60);
    EXPECT_EQ(vp::slept_ms(), slept);
    rt::limit_rate(60);  // a whole period from the new mark
    EXPECT_EQ(vp::now(), 5034u + 17u);
}

TEST_F(DisplayTest, RealTimePacingHoldsPassesApartWithoutMovingTheGameClock) {
    vp::set_ticks(777);
    const uint64_t sleeps = vp::sleep_count();
    const uint64_t start = rt::platform::wait_clock_ms();
    rt::pace_in_real_time(60);  // first pass: the mark
    for (int i = 0; i < 12; ++i) rt::pace_in_real_time(60);
    // Twelve periods of 16.67 ms have passed at least; the game saw no time go by.
    EXPECT_GE(rt::platform::wait_clock_ms() - start, 200u);
    EXPECT_EQ(vp::now(), 777u);
    EXPECT_EQ(vp::sleep_count(), sleeps);
    // After a long stop it starts again from then instead of running passes
    // back to back to catch up: the pass after the restart waits a whole period.
    rt::platform::poll_wait(60);
    rt::pace_in_real_time(60);
    const uint64_t restarted = rt::platform::wait_clock_ms();
    rt::pace_in_real_time(60);
    EXPECT_GE(rt::platform::wait_clock_ms() - restarted, 15u);
    // While an error is pending it does not wait.
    rt::pending_error.store(5);
    const uint64_t held = rt::platform::wait_clock_ms();
    for (int i = 0; i < 20; ++i) rt::pace_in_real_time(60);
    EXPECT_LT(rt::platform::wait_clock_ms() - held, 100u);
    rt::pending_error.store(0);
}

TEST_F(DisplayTest, TimingArgumentsOutOfRangeRaiseError5) {
    vp::set_ticks(100);
    uint64_t slept = vp::slept_ms();
    for (double bad : {0.0, -60.0, 0.01, std::nan("")}) {
        rt::pending_error.store(0);
        rt::limit_rate(bad);
        EXPECT_EQ(rt::pending_error.load(), 5) << bad;
    }
    for (double bad : {-1.0, 2147483.648, std::nan("")}) {
        rt::pending_error.store(0);
        rt::sleep_seconds(bad);
        EXPECT_EQ(rt::pending_error.load(), 5) << bad;
    }
    // While an error is pending neither waits.
    rt::sleep_seconds(2);
    rt::limit_rate(60);
    rt::limit_rate(60);
    EXPECT_EQ(vp::slept_ms(), slept);
    rt::pending_error.store(0);
}

TEST_F(DisplayTest, SleepSecondsTruncatesToMilliseconds) {
    uint64_t slept = vp::slept_ms();
    rt::sleep_seconds(2);
    EXPECT_EQ(vp::slept_ms() - slept, 2000u);
    rt::sleep_seconds(0.0019);
    EXPECT_EQ(vp::slept_ms() - slept, 2001u);
    rt::sleep_seconds(2147483.647);
    EXPECT_EQ(vp::slept_ms() - slept, 2001u + 2147483647u);
    EXPECT_EQ(rt::pending_error.load(), 0);
}

}  // namespace

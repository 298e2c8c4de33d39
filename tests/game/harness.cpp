#include "tests/game/harness.h"

#include <SDL.h>

#include <array>
#include <cstring>

#include "game/state.h"
#include "runtime/graphics/graphics.h"
#include "runtime/host/host.h"
#include "runtime/input/input.h"
#include "runtime/platform/virtual/virtual.h"
#include "runtime/text/text.h"
#include "runtime/values/values.h"

namespace harness {

namespace {

int32_t picture(int width, int height, uint8_t colour, bool transparent) {
    int32_t handle = rt::new_image(width, height, 256, true);
    rt::Image& img = rt::image(-handle);
    std::memset(img.pixels, colour, size_t(width) * height);
    if (transparent) rt::set_clear_color(false, 0, handle, 3);
    return handle;
}

}  // namespace

void start_runtime() {
    static bool started = false;
    if (started) return;
    started = true;
    SDL_Init(SDL_INIT_VIDEO | SDL_INIT_AUDIO);
    rt::strings_init();
    rt::images_init();
    rt::fonts_init();
    rt::input_init();
    rt::step_mark = rt::temporaries_length();
    rt::virtual_platform::set_fallback_answer(rt::platform::Answer::yes);
    // No display thread here: display_now presents on the calling thread.
    rt::auto_display.store(rt::AutoDisplay::off);
    game::create_state();

    using namespace game;
    screen_page = rt::new_image(800, 600, 256, true);
    rt::select_screen(to_int(screen_page));
    rt::set_print_mode(2, 0, false);
    for (int i = 1; i <= 6; ++i) boat_images(i) = picture(40, 44, boat_colour(i), true);
    spinnaker_image = picture(20, 30, spinnaker_colour, true);
    buoy_images(1) = picture(12, 16, 211, true);
    buoy_images(2) = picture(12, 16, 212, true);
    checker_image = picture(20, 20, checker_colour, false);
    for (int i = 1; i <= 4; ++i) cloud_images(i) = picture(60, 30, uint8_t(213 + i), true);
    bird_image_1 = picture(10, 6, 218, true);
    bird_image_2 = picture(10, 6, 219, true);
    compass_image = picture(80, 80, 220, false);
    lap_done_image = picture(20, 20, lap_done_colour, false);
    lap_empty_image = picture(20, 20, lap_empty_colour, false);
    countdown_image_1 = picture(100, 36, countdown_colour_1, false);
    countdown_image_2 = picture(100, 36, countdown_colour_2, false);
    countdown_image_3 = picture(100, 36, countdown_colour_3, false);
    reef_image = picture(30, 20, reef_colour, true);
    lighthouse_image = picture(20, 60, 226, true);
    palm_image = picture(40, 60, 227, true);
    palm_image_2 = picture(40, 60, 228, true);
    waves_image = picture(16, 6, 229, true);
    foam_image = picture(4, 2, 230, false);
    for (int i = 1; i <= 6; ++i) rank_points(i) = std::array<double, 6>{10, 8, 6, 3, 2, 1}[size_t(i - 1)];
    data_position = 0;
    for (int i = 1; i <= 6; ++i)
        rt::read_data_string(reinterpret_cast<const uint8_t*>(country_data.data()), data_position,
                             int32_t(country_data.size()), country_names(i));
    rt::release_temporaries(rt::step_mark, 0);
}

void reset_race(int stage_number) {
    using namespace game;
    start_runtime();
    clear_keys();
    stage = stage_number;
    stage_laps = stage_number + 1;
    for (int i = 1; i <= 10; ++i) {
        boat_x(i) = boat_y(i) = boat_leg(i) = boat_laps(i) = boat_finished(i) = finish_order(i) = 0;
        boat_sail_factor(i) = boat_points(i) = 0;
    }
    for (int i = 1; i <= 6; ++i) {
        boat_x(i) = 350 + 5 * i;
        boat_y(i) = 165 - 16 * i;
        boat_leg(i) = 1;
        boat_sail_factor(i) = 1;
        boat_speed(i) = 0.25;
    }
    finish_count = last_lap_state = player_eliminated = 0;
    start_countdown = 0;
    race_seconds = race_minutes = 0;
    for (int s = 1; s <= 4; ++s) stage_times(s) = stage_time_bonus(s) = 0;
    wind_direction = 90;
    wind_force = wind_force_min = wind_force_max = 0;
    wind_shift_range = 10;
    wind_shift_sense = 2;  // neither sense: no shift is drawn
    player_heading = 90;
    cloud_count = bird_count = 0;
    buoy_style = 1;
    rt::string_assign(key_text, rt::empty_string);
    rt::set_color(15, 55, 0, 3);
    fill_page(55);
}

uint8_t pixel(int x, int y) { return rt::image(rt::display_page).pixels[size_t(y) * 800 + size_t(x)]; }

void set_pixel(int x, int y, uint8_t colour) { rt::image(rt::display_page).pixels[size_t(y) * 800 + size_t(x)] = colour; }

void fill_page(uint8_t colour) { std::memset(rt::image(rt::display_page).pixels, colour, 800 * 600); }

bool shows_text(int row, int column, const std::string& s, uint8_t colour) {
    return test_support::text_at(pixel, row, column, s, colour, true);
}

void type_key(int32_t code) {
    rt::key_press(code);
    rt::key_release(code);
}
void press_key(int32_t code) { rt::key_press(code); }
void release_key(int32_t code) { rt::key_release(code); }

void clear_keys() {
    for (int32_t code : {81, 113, 32, 112, 80, int32_t(rt::key_left), int32_t(rt::key_right)}) rt::key_release(code);
    while (rt::typed_key_count() > 0) rt::free_string(rt::inkey());
}

size_t dialogs() { return rt::virtual_platform::boxes().size(); }

int draws_between(uint32_t from, uint32_t to, int limit) {
    for (int n = 0; n <= limit; ++n) {
        if (from == to) return n;
        from = next_state(from);
    }
    return -1;
}

}  // namespace harness

// Start-up: the screen page, the artwork, the points table and the country names.
#include "game/calls.h"
#include "game/game.h"
#include "runtime/graphics/graphics.h"
#include "runtime/host/host.h"
#include "runtime/text/text.h"

namespace game {

namespace {

constexpr double place_points[] = {10, 8, 6, 3, 2, 1};

}  // namespace

void start_up() {
    screen = Screen::start_up;
    step(1001, [&] { rt::set_full_screen(0); });
    step(1002, [&] {
        screen_page = rt::new_image(800, 600, 256, true);
        rt::select_screen(to_int(screen_page));
    });
    step(1003, [&] { rt::set_print_mode(2, 0, false); });
    // The artwork in loading order, with the variable each file goes into.
    const struct {
        const char* file;
        Num* slot;
    } artwork[] = {
        {"voilier1.gif", &boat_images(1)}, {"voilier2.gif", &boat_images(2)},
        {"voilier3.gif", &boat_images(3)}, {"voilier4.gif", &boat_images(4)},
        {"voilier5.gif", &boat_images(5)}, {"voilier6.gif", &boat_images(6)},
        {"spin.gif", &spinnaker_image},    {"plot.gif", &buoy_images(1)},
        {"plot2.gif", &buoy_images(2)},    {"damier.gif", &checker_image},
        {"nuage.gif", &cloud_images(1)},   {"nuage3.gif", &cloud_images(2)},
        {"nuage2.gif", &cloud_images(3)},  {"nuage4.gif", &cloud_images(4)},
        {"oiseau1.gif", &bird_image_1},    {"oiseau2.gif", &bird_image_2},
        {"boussole.gif", &compass_image},  {"tour.gif", &lap_done_image},
        {"tourvide.gif", &lap_empty_image}, {"rebours1.gif", &countdown_image_1},
        {"rebours2.gif", &countdown_image_2}, {"rebours3.gif", &countdown_image_3},
        {"recif.bmp", &reef_image},        {"phare.gif", &lighthouse_image},
        {"palmier.gif", &palm_image},      {"palmier2.gif", &palm_image_2},
        {"vagues.gif", &waves_image},      {"bulles.gif", &foam_image},
    };
    // Each load and each clear colour is a step of its own, numbered by its place in
    // the list (1041.. and 1071..), so that an error report names the picture.
    int32_t number = 1040;
    for (const auto& art : artwork) step(++number, [&] { *art.slot = rt::load_image(text(art.file), 0, false); });

    // Index 0 is transparent in the sprites, set in this order; the flag, compass,
    // lap markers, countdown pictures and foam keep all their pixels.
    const Num* transparent[] = {
        &boat_images(1),  &boat_images(2),  &boat_images(3),  &boat_images(4), &boat_images(5),
        &boat_images(6),  &cloud_images(1), &cloud_images(2), &cloud_images(3), &cloud_images(4),
        &spinnaker_image, &buoy_images(1),  &buoy_images(2),  &reef_image,     &bird_image_1,
        &bird_image_2,    &lighthouse_image, &palm_image,     &palm_image_2,   &waves_image,
    };
    number = 1070;
    for (const Num* image : transparent) step(++number, [&] { rt::set_clear_color(false, 0, to_int(*image), 3); });
    step(1006, [&] {
        for (int i = 1; i <= 6; ++i) rank_points(i) = place_points[i - 1];
    });
    step(1007, [&] { data_position = 0; });
    for (int i = 1; i <= 6; ++i)
        step(1008, [&] {
            rt::read_data_string(reinterpret_cast<const uint8_t*>(country_data.data()), data_position,
                                 int32_t(country_data.size()), country_names(i));
        });
    step(1009, [&] { stage = 0; });
    step(1010, [&] {
        title_boat_x = -40;
        title_boat_y = 350;
    });
}

}  // namespace game

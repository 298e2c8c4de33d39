#include "game/state.h"

#include <memory>

#include "runtime/values/values.h"

namespace game {

void add_frame_time(Num& clock) {
    clock.value = static_cast<float>(static_cast<long double>(clock.value) + 1.0L / 60.0L);
}

Num& NumArray::operator()(double subscript) const {
    uint32_t offset = uint32_t(rt::round_to_integer(subscript));
    return data[rt::check_index(offset, count)];
}

rt::StrVal* StrArray::operator()(double subscript) const {
    uint32_t offset = uint32_t(rt::round_to_integer(subscript));
    return data[rt::check_index(offset, count)];
}

int32_t to_int(double v) { return int32_t(rt::round_to_integer(v)); }

std::atomic<Screen> screen{Screen::start_up};

const char* screen_name(Screen s) {
    switch (s) {
        case Screen::start_up: return "start_up";
        case Screen::title: return "title";
        case Screen::stage_setup: return "stage_setup";
        case Screen::stage_intro: return "stage_intro";
        case Screen::race: return "race";
        case Screen::paused: return "paused";
        case Screen::ranking: return "ranking";
        case Screen::ending: return "ending";
    }
    return "?";
}

NumArray boat_x, boat_y, boat_leg, boat_laps, boat_sail_factor, boat_speed, boat_finished;
NumArray finish_order;
StrArray country_names;
NumArray rank_points, boat_points, stage_times, stage_time_bonus;

Num cloud_count;
NumArray cloud_x, cloud_y, cloud_kind;
Num bird_count;
NumArray bird_x, bird_y, bird_dx, bird_dy;
Num buoy_style;

Num stage, stage_laps, race_seconds, race_minutes, start_countdown, finish_count;
Num player_eliminated, total_score, last_lap_state;
Num wind_direction, wind_force, wind_shift_range, wind_force_min, wind_force_max, wind_shift_sense;
Num wind_radians, wind_dx, wind_dy;
Num player_heading, player_heading_radians, player_speed, player_dx, player_dy;

Num title_boat_x, title_boat_y, credits_timer, blink_timer;
rt::StrVal* key_text = nullptr;

NumArray draw_order;
Num draw_slot;
NumArray wave_age, wave_x, wave_y;
Num buoy_blink, buoy_offset_1, buoy_offset_2, buoy_offset_3;
Num palm_timer, bird_flap_timer, bow_x, bow_y;
NumArray standings;
Num standings_slot, points_score;

Num screen_page;
NumArray boat_images, buoy_images, cloud_images;
Num spinnaker_image, checker_image, bird_image_1, bird_image_2, compass_image;
Num lap_done_image, lap_empty_image, countdown_image_1, countdown_image_2, countdown_image_3;
Num reef_image, lighthouse_image, palm_image, palm_image_2, waves_image, foam_image;
Num music_sound, water_sound, wind_sound;

int32_t data_position = 0;

namespace {

using Kind = Variable::Kind;

// name, kind, address and (for arrays) the upper bound.
struct Entry {
    Variable variable;
    uint32_t upper;
};

// In the order of the state tables; arrays with their upper bounds.
const std::vector<Entry>& entries() {
    static const std::vector<Entry> list = {
        {{"boat_x", Kind::numbers, &boat_x}, 10},
        {{"boat_y", Kind::numbers, &boat_y}, 10},
        {{"boat_leg", Kind::numbers, &boat_leg}, 10},
        {{"boat_laps", Kind::numbers, &boat_laps}, 10},
        {{"boat_sail_factor", Kind::numbers, &boat_sail_factor}, 10},
        {{"boat_speed", Kind::numbers, &boat_speed}, 10},
        {{"boat_finished", Kind::numbers, &boat_finished}, 10},
        {{"finish_order", Kind::numbers, &finish_order}, 10},
        {{"country_names", Kind::strings, &country_names}, 10},
        {{"rank_points", Kind::numbers, &rank_points}, 6},
        {{"boat_points", Kind::numbers, &boat_points}, 10},
        {{"stage_times", Kind::numbers, &stage_times}, 4},
        {{"stage_time_bonus", Kind::numbers, &stage_time_bonus}, 4},
        {{"cloud_count", Kind::number, &cloud_count}, 0},
        {{"cloud_x", Kind::numbers, &cloud_x}, 10},
        {{"cloud_y", Kind::numbers, &cloud_y}, 10},
        {{"cloud_kind", Kind::numbers, &cloud_kind}, 10},
        {{"bird_count", Kind::number, &bird_count}, 0},
        {{"bird_x", Kind::numbers, &bird_x}, 10},
        {{"bird_y", Kind::numbers, &bird_y}, 10},
        {{"bird_dx", Kind::numbers, &bird_dx}, 10},
        {{"bird_dy", Kind::numbers, &bird_dy}, 10},
        {{"buoy_style", Kind::number, &buoy_style}, 0},
        {{"stage", Kind::number, &stage}, 0},
        {{"stage_laps", Kind::number, &stage_laps}, 0},
        {{"race_seconds", Kind::number, &race_seconds}, 0},
        {{"race_minutes", Kind::number, &race_minutes}, 0},
        {{"start_countdown", Kind::number, &start_countdown}, 0},
        {{"finish_count", Kind::number, &finish_count}, 0},
        {{"player_eliminated", Kind::number, &player_eliminated}, 0},
        {{"total_score", Kind::number, &total_score}, 0},
        {{"last_lap_state", Kind::number, &last_lap_state}, 0},
        {{"wind_direction", Kind::number, &wind_direction}, 0},
        {{"wind_force", Kind::number, &wind_force}, 0},
        {{"wind_shift_range", Kind::number, &wind_shift_range}, 0},
        {{"wind_force_min", Kind::number, &wind_force_min}, 0},
        {{"wind_force_max", Kind::number, &wind_force_max}, 0},
        {{"wind_shift_sense", Kind::number, &wind_shift_sense}, 0},
        {{"wind_radians", Kind::number, &wind_radians}, 0},
        {{"wind_dx", Kind::number, &wind_dx}, 0},
        {{"wind_dy", Kind::number, &wind_dy}, 0},
        {{"player_heading", Kind::number, &player_heading}, 0},
        {{"player_heading_radians", Kind::number, &player_heading_radians}, 0},
        {{"player_speed", Kind::number, &player_speed}, 0},
        {{"player_dx", Kind::number, &player_dx}, 0},
        {{"player_dy", Kind::number, &player_dy}, 0},
        {{"title_boat_x", Kind::number, &title_boat_x}, 0},
        {{"title_boat_y", Kind::number, &title_boat_y}, 0},
        {{"credits_timer", Kind::number, &credits_timer}, 0},
        {{"blink_timer", Kind::number, &blink_timer}, 0},
        {{"key_text", Kind::string, &key_text}, 0},
        {{"draw_order", Kind::numbers, &draw_order}, 20},
        {{"draw_slot", Kind::number, &draw_slot}, 0},
        {{"wave_age", Kind::numbers, &wave_age}, 10},
        {{"wave_x", Kind::numbers, &wave_x}, 10},
        {{"wave_y", Kind::numbers, &wave_y}, 10},
        {{"buoy_blink", Kind::number, &buoy_blink}, 0},
        {{"buoy_offset_1", Kind::number, &buoy_offset_1}, 0},
        {{"buoy_offset_2", Kind::number, &buoy_offset_2}, 0},
        {{"buoy_offset_3", Kind::number, &buoy_offset_3}, 0},
        {{"palm_timer", Kind::number, &palm_timer}, 0},
        {{"bird_flap_timer", Kind::number, &bird_flap_timer}, 0},
        {{"bow_x", Kind::number, &bow_x}, 0},
        {{"bow_y", Kind::number, &bow_y}, 0},
        {{"standings", Kind::numbers, &standings}, 10},
        {{"standings_slot", Kind::number, &standings_slot}, 0},
        {{"points_score", Kind::number, &points_score}, 0},
        {{"screen_page", Kind::number, &screen_page}, 0},
        {{"boat_images", Kind::numbers, &boat_images}, 6},
        {{"spinnaker_image", Kind::number, &spinnaker_image}, 0},
        {{"buoy_images", Kind::numbers, &buoy_images}, 2},
        {{"checker_image", Kind::number, &checker_image}, 0},
        {{"cloud_images", Kind::numbers, &cloud_images}, 4},
        {{"bird_image_1", Kind::number, &bird_image_1}, 0},
        {{"bird_image_2", Kind::number, &bird_image_2}, 0},
        {{"compass_image", Kind::number, &compass_image}, 0},
        {{"lap_done_image", Kind::number, &lap_done_image}, 0},
        {{"lap_empty_image", Kind::number, &lap_empty_image}, 0},
        {{"countdown_image_1", Kind::number, &countdown_image_1}, 0},
        {{"countdown_image_2", Kind::number, &countdown_image_2}, 0},
        {{"countdown_image_3", Kind::number, &countdown_image_3}, 0},
        {{"reef_image", Kind::number, &reef_image}, 0},
        {{"lighthouse_image", Kind::number, &lighthouse_image}, 0},
        {{"palm_image", Kind::number, &palm_image}, 0},
        {{"palm_image_2", Kind::number, &palm_image_2}, 0},
        {{"waves_image", Kind::number, &waves_image}, 0},
        {{"foam_image", Kind::number, &foam_image}, 0},
        {{"music_sound", Kind::number, &music_sound}, 0},
        {{"water_sound", Kind::number, &water_sound}, 0},
        {{"wind_sound", Kind::number, &wind_sound}, 0},
    };
    return list;
}

}  // namespace

void create_state() {
    for (const Entry& e : entries()) {
        const Variable& v = e.variable;
        uint32_t count = e.upper + 1;
        if (v.kind == Kind::numbers) {
            auto* array = static_cast<NumArray*>(const_cast<void*>(v.address));
            array->data = static_cast<Num*>(rt::static_alloc(count * sizeof(Num)));
            std::uninitialized_value_construct_n(array->data, count);
            array->count = count;
        } else if (v.kind == Kind::strings) {
            auto* array = static_cast<StrArray*>(const_cast<void*>(v.address));
            array->data = static_cast<rt::StrVal**>(rt::static_alloc(count * sizeof(rt::StrVal*)));
            for (uint32_t i = 0; i < count; ++i) array->data[i] = rt::new_string_variable();
            array->count = count;
        } else if (v.kind == Kind::string) {
            *static_cast<rt::StrVal**>(const_cast<void*>(v.address)) = rt::new_string_variable();
        }
    }
}

const std::vector<Variable>& variables() {
    static const std::vector<Variable> list = [] {
        std::vector<Variable> out;
        for (const Entry& e : entries()) out.push_back(e.variable);
        return out;
    }();
    return list;
}

}  // namespace game

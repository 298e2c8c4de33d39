// The game's state: one set of variables that every screen and race step reads
// and writes directly.
//
// Every number of the game is a 32-bit float. Formulas are computed in double
// and rounded when stored, and comparisons see the stored 32-bit value: `Num`
// holds the float, reads as a double and rounds when assigned. Arrays have lower
// bound 0, are zero-filled at start and are subscripted like the formulas write
// them, `boat_x(i)`, through the runtime's rounding and index check.
#pragma once

#include <atomic>
#include <cstdint>
#include <string_view>
#include <vector>

namespace rt {
struct StrVal;
}

namespace game {

// ------------------------------------------------------------ numbers
struct Num {
    float value = 0;

    constexpr Num() = default;
    constexpr Num(double v) : value(static_cast<float>(v)) {}
    constexpr operator double() const { return value; }

    Num& operator+=(double d) { return *this = double(value) + d; }
    Num& operator-=(double d) { return *this = double(value) - d; }
};

// The race clocks add 1/60 in extended precision and store the sum as a float.
void add_frame_time(Num& clock);

// A number array 0..upper. The subscript is rounded (ties to even) and checked;
// a bad one raises runtime error 9 and addresses element 0.
struct NumArray {
    Num* data = nullptr;
    uint32_t count = 0;  // upper bound + 1
    Num& operator()(double subscript) const;
};

// A string array 0..upper of non-temporary string values.
struct StrArray {
    rt::StrVal** data = nullptr;
    uint32_t count = 0;
    rt::StrVal* operator()(double subscript) const;
};

// The integer a handle or a pixel count kept in a number stands for.
int32_t to_int(double v);

// ------------------------------------------------------------ the screen the game is in
enum class Screen : int32_t { start_up, title, stage_setup, stage_intro, race, paused, ranking, ending };
extern std::atomic<Screen> screen;
const char* screen_name(Screen s);

// ------------------------------------------------------------ boats (index 1 the player)
extern NumArray boat_x, boat_y, boat_leg, boat_laps, boat_sail_factor, boat_speed, boat_finished;
extern NumArray finish_order;      // boat number of each finishing place
extern StrArray country_names;     // team country of boats 1..6
extern NumArray rank_points;       // points for places 1..6
extern NumArray boat_points;       // championship points over one game
extern NumArray stage_times;       // race time of stages 1..4, seconds
extern NumArray stage_time_bonus;  // time bonus of stages 1..4

// ------------------------------------------------------------ scenery of the stage
extern Num cloud_count;
extern NumArray cloud_x, cloud_y, cloud_kind;
extern Num bird_count;
extern NumArray bird_x, bird_y, bird_dx, bird_dy;
extern Num buoy_style;

// ------------------------------------------------------------ stage, clocks and wind
extern Num stage, stage_laps, race_seconds, race_minutes, start_countdown, finish_count;
extern Num player_eliminated, total_score, last_lap_state;
extern Num wind_direction, wind_force, wind_shift_range, wind_force_min, wind_force_max, wind_shift_sense;
extern Num wind_radians, wind_dx, wind_dy;
extern Num player_heading, player_heading_radians, player_speed, player_dx, player_dy;

// ------------------------------------------------------------ title screen
extern Num title_boat_x, title_boat_y, credits_timer, blink_timer;
extern rt::StrVal* key_text;  // the last result of inkey

// ------------------------------------------------------------ race drawing and standings
extern NumArray draw_order;
extern Num draw_slot;
extern NumArray wave_age, wave_x, wave_y;
extern Num buoy_blink, buoy_offset_1, buoy_offset_2, buoy_offset_3;
extern Num palm_timer, bird_flap_timer, bow_x, bow_y;
extern NumArray standings;
extern Num standings_slot, points_score;

// ------------------------------------------------------------ images and sounds
extern Num screen_page;
extern NumArray boat_images, buoy_images, cloud_images;
extern Num spinnaker_image, checker_image, bird_image_1, bird_image_2, compass_image;
extern Num lap_done_image, lap_empty_image, countdown_image_1, countdown_image_2, countdown_image_3;
extern Num reef_image, lighthouse_image, palm_image, palm_image_2, waves_image, foam_image;
extern Num music_sound, water_sound, wind_sound;

// ------------------------------------------------------------ the data list
// Every item is followed by a comma; the read position counts from 0.
inline constexpr std::string_view country_data = "FRANCE,NEW ZELAND,AUSTRALIE,USA,BRESIL,ESPAGNE,";
extern int32_t data_position;

// Creates the arrays (zero-filled, from the runtime's static block) and the
// string variables. Runs once, when the game routine starts.
void create_state();

// Every variable by name, for the replay runner's dump.
struct Variable {
    std::string_view name;
    enum class Kind { number, numbers, string, strings } kind;
    const void* address;  // Num, NumArray, StrVal*, StrArray
};
const std::vector<Variable>& variables();

}  // namespace game

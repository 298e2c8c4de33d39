// Values: string values with their temporaries, the static block, number
// formatting, rounding, the array index check, the program's data list, the
// pseudo-random generator and the time-of-day clock.
//
// String values are used by the program thread only. Operations that make a new
// value return a temporary; release_temporaries frees the temporaries of a step.
#pragma once

#include <cstddef>
#include <cstdint>

namespace rt {

// ------------------------------------------------------------ string values
// A length-counted byte string. The bytes are not terminated.
struct StrVal {
    uint8_t* text = nullptr;
    uint32_t length = 0;
    uint8_t conventional = 0;        // text lives in the conventional area
    uint16_t* area_ref = nullptr;    // (length, offset) record of a conventional value
    uint16_t area_offset = 0;
    int32_t list_index = -1;         // position in the arena list
    uint8_t temporary = 0;
    int32_t temp_index = 0;          // position in the temporary list; 0 = not listed
    uint8_t fixed_length = 0;
    uint8_t read_only = 0;           // text is constant data: never written or taken over
    void* field = nullptr;           // record-file field binding (unused by the game)
};

// Prepares the stores; run once at start-up before any other string operation.
void strings_init();

// Shared constants: a value of length 0 and a value holding one space.
extern StrVal* empty_string;
extern StrVal* space_string;

// The temporary-list length taken when the game routine started; every step
// releases the temporaries above it.
extern uint32_t step_mark;
// Current length of the temporary list (1 when none is listed).
uint32_t temporaries_length();

StrVal* new_string(uint32_t length, bool temporary);
// Read-only temporary over constant bytes.
StrVal* string_literal(const char* text, uint32_t length);
// Same, measuring a zero-terminated text (0 for a null text).
StrVal* string_literal(const char* text);
StrVal* string_assign(StrVal* destination, StrVal* source);
StrVal* string_concat(StrVal* left, StrVal* right);
// -1 when equal (same length, same bytes), else 0.
int32_t string_equal(const StrVal* a, const StrVal* b);
StrVal* chr_string(int32_t code);
void free_string(StrVal* value);
int64_t release_temporaries(uint32_t mark, int64_t pass_through);
// Bump allocation from the static block (zero-filled).
void* static_alloc(size_t bytes);

// A non-temporary game string variable of length 0.
StrVal* new_string_variable();
// A fixed-length value of `length` spaces, its text in the static block:
// assignment pads or truncates instead of changing its length.
StrVal* new_fixed_string(uint32_t length);

// ------------------------------------------------------------ numbers
// The text of a single-precision number as the game prints it (" 1", "-.5", " 1E+07").
StrVal* str_of_number(float x);
// The same conversion for the other number kinds.
StrVal* str_of_double(double x);
StrVal* str_of_int64(int64_t x);
StrVal* str_of_uint64(uint64_t x);
StrVal* str_of_int32(int32_t x);
StrVal* str_of_uint32(uint32_t x);
StrVal* str_of_int16(int16_t x);
StrVal* str_of_uint16(uint16_t x);
StrVal* str_of_int8(int8_t x);
StrVal* str_of_uint8(uint8_t x);

// Nearest integer, ties to even.
int64_t round_to_integer(long double x);
// offset (subscript minus lower bound) if below count, else error 9 and 0.
uint32_t check_index(uint32_t offset, uint32_t count);
// Reads the next item of a data list into `destination`.
void read_data_string(const uint8_t* data, int32_t& position, int32_t length, StrVal* destination);

// ------------------------------------------------------------ random numbers and clock
// 24-bit generator state; 327,680 at program start.
extern uint32_t random_state;
float rnd();
float rnd(float x);
void randomize(double seed);
// Seconds since midnight in steps of 1/18.2 s, single precision.
float timer_seconds();
// The same with an accuracy in seconds, double precision (error 5 when accuracy <= 0).
double timer_seconds(double accuracy);
// Fixed once by the host at start-up: local milliseconds since midnight and the
// tick count at that moment.
void set_clock_base(uint32_t base_milliseconds, uint32_t base_ticks);
// Waits for the calendar second to change and takes the base from it.
void fix_clock_base();

}  // namespace rt

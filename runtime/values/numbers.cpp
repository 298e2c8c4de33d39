// Numbers as text, rounding to integers, the array index check and the data list.
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "runtime/core/core.h"
#include "runtime/values/values.h"

namespace rt {

namespace {

StrVal* text_value(const char* text, size_t length) {
    StrVal* v = new_string(uint32_t(length), true);
    if (length != 0) std::memcpy(v->text, text, length);
    return v;
}

// The shortest text of a real number with `digits` significant digits (7 for
// single, 16 for double precision), as the game prints it: a sign or a space
// first, no leading zero before the point, fixed notation for moderate
// exponents, otherwise scientific notation with `letter` before the exponent.
// Returns the length written to `out` (at least 64 bytes).
size_t real_text(double x, int digits, char letter, char* out) {
    if (!std::isfinite(x)) return size_t(std::snprintf(out, 64, "% E", x));  // " INF", "-NAN"

    // Scratch layout: sign, digit, point, decimals up to `last`, the letter,
    // the exponent sign and three exponent digits.
    const int last = digits + 1;
    const int sign_at = digits + 3, exponent_at = digits + 4;
    char scratch[48];
    int length = std::snprintf(scratch, sizeof scratch, "% .*E", digits - 1, x);
    if (digits == 16 && scratch[last] == '9') {
        // The 16th digit of a double is mostly noise: round to 15 and write a
        // zero in its place, keeping the exponent of that rounding.
        char shorter[48];
        const int n = std::snprintf(shorter, sizeof shorter, "% .14E", x);
        std::memcpy(scratch, shorter, size_t(last));
        scratch[last] = '0';
        std::memcpy(scratch + last + 1, shorter + last, size_t(n - last + 1));
        length = n + 1;
    }
    if (length == exponent_at + 2) {  // two exponent digits: widen to three
        std::memmove(scratch + exponent_at + 1, scratch + exponent_at, 3);
        scratch[exponent_at] = '0';
    }

    int count = digits;
    for (int i = last; i >= 1; --i) {
        if (scratch[i] == '.') continue;
        if (scratch[i] != '0') break;
        --count;
    }
    if (count == 0) {
        std::memcpy(out, " 0", 3);
        return 2;
    }
    int e = std::atoi(scratch + exponent_at);
    if (scratch[sign_at] == '-') e = -e;

    if (e <= digits - 1 && e - count >= -(digits + 1)) {
        const int decimals = count - e - 1 > 0 ? count - e - 1 : 0;
        int n = std::snprintf(out, 64, "% .*f", decimals, x);
        if (out[1] == '0') {  // below 1 in magnitude: " 0.5" becomes " .5"
            std::memmove(out + 1, out + 2, size_t(n - 1));
            --n;
        }
        return size_t(n);
    }

    size_t n = count == 1 ? 2 : size_t(count) + 2;  // no point after a single digit
    std::memcpy(out, scratch, n);
    out[n++] = letter;
    out[n++] = scratch[sign_at];
    const char* exponent = scratch + (std::abs(e) < 100 ? exponent_at + 1 : exponent_at);
    while (*exponent != '\0') out[n++] = *exponent++;
    out[n] = '\0';
    return n;
}

StrVal* integer_text(const char* format, auto value) {
    char text[32];
    const int n = std::snprintf(text, sizeof text, format, value);
    return text_value(text, size_t(n));
}

}  // namespace

StrVal* str_of_number(float x) {
    char text[64];
    return text_value(text, real_text(double(x), 7, 'E', text));
}

StrVal* str_of_double(double x) {
    char text[64];
    return text_value(text, real_text(x, 16, 'D', text));
}

StrVal* str_of_int64(int64_t x) { return integer_text("% " PRIi64, x); }
StrVal* str_of_uint64(uint64_t x) { return integer_text(" %" PRIu64, x); }
StrVal* str_of_int32(int32_t x) { return integer_text("% i", int(x)); }
StrVal* str_of_uint32(uint32_t x) { return integer_text(" %u", unsigned(x)); }
StrVal* str_of_int16(int16_t x) { return integer_text("% i", int(x)); }
StrVal* str_of_uint16(uint16_t x) { return integer_text(" %u", unsigned(x)); }
StrVal* str_of_int8(int8_t x) { return integer_text("% i", int(x)); }
StrVal* str_of_uint8(uint8_t x) { return integer_text(" %u", unsigned(x)); }

// The default rounding mode rounds to nearest, ties to even.
int64_t round_to_integer(long double x) { return std::llrintl(x); }

uint32_t check_index(uint32_t offset, uint32_t count) {
    if (offset < count) return offset;
    raise_error(9);
    return 0;
}

void read_data_string(const uint8_t* data, int32_t& position, int32_t length, StrVal* destination) {
    if (error_pending()) return;
    if (position < 0 || position >= length) {
        raise_error(4);
        string_assign(destination, empty_string);
        return;
    }
    enum { unquoted, quoted, after_quote } state = unquoted;
    std::string item;
    while (position < length) {
        const uint8_t c = data[position++];
        if (c == ',' && state != quoted) break;
        if (state == after_quote) {
            // Only a comma may follow a closing quote; the rest of the item is
            // passed over, so the next read starts after its comma.
            raise_error(4);
            item.clear();
        } else if (c == '"' && state == unquoted && item.empty()) {
            state = quoted;
        } else if (c == '"' && state == quoted) {
            state = after_quote;
        } else {
            item.push_back(char(c));
        }
    }
    string_assign(destination, text_value(item.data(), item.size()));
}

}  // namespace rt

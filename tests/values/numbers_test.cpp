#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "runtime/host/host.h"
#include "runtime/values/values.h"

namespace {

std::string text_of(const rt::StrVal* v) {
    return std::string(reinterpret_cast<const char*>(v->text), v->length);
}

class Numbers : public testing::Test {
protected:
    void SetUp() override {
        rt::strings_init();
        clear_error();
        mark = rt::temporaries_length();
    }
    void TearDown() override {
        rt::release_temporaries(mark, 0);
        clear_error();
    }
    static void clear_error() {
        rt::pending_error.store(0);
        rt::attention_flag.store(0);
    }
    std::string number(float x) {
        std::string t = text_of(rt::str_of_number(x));
        rt::release_temporaries(mark, 0);
        return t;
    }
    uint32_t mark = 1;
};

TEST_F(Numbers, SinglePrecisionTable) {
    EXPECT_EQ(number(0), " 0");
    EXPECT_EQ(number(100), " 100");
    EXPECT_EQ(number(1234567), " 1234567");
    EXPECT_EQ(number(9999999), " 9999999");
    EXPECT_EQ(number(12345678), " 1.234568E+07");
    EXPECT_EQ(number(1e7f), " 1E+07");
    EXPECT_EQ(number(1e20f), " 1E+20");
    EXPECT_EQ(number(0.5f), " .5");
    EXPECT_EQ(number(0.001f), " .001");
    EXPECT_EQ(number(0.00000123f), " 1.23E-06");
    EXPECT_EQ(number(-0.5f), "-.5");
    EXPECT_EQ(number(-0.25f), "-.25");
    EXPECT_EQ(number(-3), "-3");
    // Beyond the table: the race clock, negative zero, the extremes.
    EXPECT_EQ(number(12.75f), " 12.75");
    EXPECT_EQ(number(0.1f), " .1");
    EXPECT_EQ(number(-0.0f), " 0");
    EXPECT_EQ(number(1.0f / 3), " .3333333");
    EXPECT_EQ(number(0.0000001f), " .0000001");
    EXPECT_EQ(number(3.4028235e38f), " 3.402823E+38");
    EXPECT_EQ(number(std::numeric_limits<float>::denorm_min()), " 1.401298E-45");
    // Not numbers at all: the plain text, never garbage.
    EXPECT_EQ(number(std::numeric_limits<float>::infinity()), " INF");
    EXPECT_EQ(number(-std::numeric_limits<float>::infinity()), "-INF");
}

// The expected text worked out from the seven significant decimal digits of x.
std::string expected_text(float x) {
    if (x == 0) return " 0";
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(double(x)),
                                std::chars_format::scientific, 6);  // d.dddddde±XX
    *result.ptr = '\0';
    std::string digits = std::string(1, buffer[0]) + std::string(buffer + 2, 6);
    const int e = std::atoi(std::strchr(buffer, 'e') + 1);
    while (digits.back() == '0') digits.pop_back();
    const int count = int(digits.size());

    std::string body;
    if (e <= 6 && e - count >= -8) {
        if (e >= 0) {
            std::string whole = digits.substr(0, size_t(std::min(count, e + 1)));
            whole.append(size_t(e + 1) - whole.size(), '0');
            body = count > e + 1 ? whole + "." + digits.substr(size_t(e + 1)) : whole;
        } else {
            body = "." + std::string(size_t(-e - 1), '0') + digits;
        }
    } else {
        const int magnitude = std::abs(e);
        body = digits.substr(0, 1) + (count > 1 ? "." + digits.substr(1) : "") + "E" +
               (e < 0 ? "-" : "+") + (magnitude < 10 ? "0" : "") + std::to_string(magnitude);
    }
    return (x < 0 ? "-" : " ") + body;
}

TEST_F(Numbers, SinglePrecisionAgreesWithTheDigitLayoutForAllKindsOfFloats) {
    std::mt19937 random(20240601);
    int compared = 0;
    auto check = [&](float x) {
        if (!std::isfinite(x)) return;
        ASSERT_EQ(number(x), expected_text(x)) << "bits " << std::hex << std::bit_cast<uint32_t>(x);
        ASSERT_EQ(number(-x), expected_text(-x));
        ++compared;
    };
    // Every magnitude: random bit patterns, subnormals included.
    for (int i = 0; i < 100000; ++i) check(std::bit_cast<float>(uint32_t(random())));
    for (int i = 0; i < 5000; ++i) check(std::bit_cast<float>(uint32_t(random()) & 0x7FFFFF));
    // Where fixed notation ends and starts, and the ties of seven digits.
    for (int k = -45; k <= 38; ++k) {
        const float p = std::strtof(("1e" + std::to_string(k)).c_str(), nullptr);
        check(p);
        check(std::nextafter(p, 0.0f));
        check(std::nextafter(p, std::numeric_limits<float>::infinity()));
    }
    for (int i = 10000000; i < 10001000; ++i) check(float(i));
    for (int i = 0; i < 20000; ++i) check(float(i) / 1000);
    std::uniform_real_distribution<float> exponent(-9, 8);
    for (int i = 0; i < 50000; ++i) check(std::pow(10.0f, exponent(random)));
    EXPECT_GT(compared, 170000);
}

TEST_F(Numbers, OtherNumberKinds) {
    auto text = [&](rt::StrVal* v) {
        std::string t = text_of(v);
        rt::release_temporaries(mark, 0);
        return t;
    };
    EXPECT_EQ(text(rt::str_of_double(0)), " 0");
    EXPECT_EQ(text(rt::str_of_double(0.1)), " .1");
    EXPECT_EQ(text(rt::str_of_double(0.1 + 0.2)), " .3");
    EXPECT_EQ(text(rt::str_of_double(1.0 / 3)), " .3333333333333333");
    EXPECT_EQ(text(rt::str_of_double(-2.5)), "-2.5");
    EXPECT_EQ(text(rt::str_of_double(1234567890123456.0)), " 1234567890123456");
    EXPECT_EQ(text(rt::str_of_double(12345678901234567.0)), " 1.234567890123457D+16");
    EXPECT_EQ(text(rt::str_of_double(1e20)), " 1D+20");
    EXPECT_EQ(text(rt::str_of_double(-1e-300)), "-1D-300");
    EXPECT_EQ(text(rt::str_of_double(0.7)), " .7");
    // A 16th digit 9 comes from the 15-digit rounding, exponent carry included.
    EXPECT_EQ(text(rt::str_of_double(std::nextafter(1.0, 0.0))), " 1");
    EXPECT_EQ(text(rt::str_of_double(std::nextafter(1e21, 0.0))), " 1D+21");
    EXPECT_EQ(text(rt::str_of_double(0.12345678901234569)), " .1234567890123457");

    EXPECT_EQ(text(rt::str_of_int64(INT64_MIN)), "-9223372036854775808");
    EXPECT_EQ(text(rt::str_of_uint64(UINT64_MAX)), " 18446744073709551615");
    EXPECT_EQ(text(rt::str_of_int32(0)), " 0");
    EXPECT_EQ(text(rt::str_of_uint32(4000000000u)), " 4000000000");
    EXPECT_EQ(text(rt::str_of_int16(-32768)), "-32768");
    EXPECT_EQ(text(rt::str_of_uint8(255)), " 255");
}

TEST_F(Numbers, RoundingToNearestTiesToEven) {
    EXPECT_EQ(rt::round_to_integer(0.5L), 0);
    EXPECT_EQ(rt::round_to_integer(1.5L), 2);
    EXPECT_EQ(rt::round_to_integer(2.5L), 2);
    EXPECT_EQ(rt::round_to_integer(3.5L), 4);
    EXPECT_EQ(rt::round_to_integer(-2.5L), -2);
    EXPECT_EQ(rt::round_to_integer(-0.5L), 0);
    EXPECT_EQ(rt::round_to_integer(2.4999L), 2);
    EXPECT_EQ(rt::round_to_integer(-2.5001L), -3);
    EXPECT_EQ(rt::round_to_integer(6.0000001L), 6);
    EXPECT_EQ(rt::round_to_integer(4294967296.5L), 4294967296);
    EXPECT_EQ(rt::round_to_integer(-1e15L), -1000000000000000);
}

TEST_F(Numbers, IndexCheck) {
    EXPECT_EQ(rt::check_index(0, 7), 0u);
    EXPECT_EQ(rt::check_index(6, 7), 6u);
    EXPECT_FALSE(rt::error_pending());
    EXPECT_EQ(rt::check_index(7, 7), 0u);
    EXPECT_EQ(rt::pending_error.load(), 9);
    clear_error();
    // A subscript one below the lower bound wraps to the largest offset.
    EXPECT_EQ(rt::check_index(uint32_t(-1), 7), 0u);
    EXPECT_EQ(rt::pending_error.load(), 9);
    clear_error();
    EXPECT_EQ(rt::check_index(0, 0), 0u);
    EXPECT_EQ(rt::pending_error.load(), 9);
}

class DataList : public Numbers {
protected:
    std::string read(const std::string& data, int32_t& position) {
        rt::read_data_string(reinterpret_cast<const uint8_t*>(data.data()), position, int32_t(data.size()),
                             item);
        rt::release_temporaries(mark, 0);
        return text_of(item);
    }
    void SetUp() override {
        Numbers::SetUp();
        item = rt::new_string_variable();
    }
    void TearDown() override {
        rt::free_string(item);
        Numbers::TearDown();
    }
    rt::StrVal* item = nullptr;
};

TEST_F(DataList, TheGamesCountries) {
    const std::string data = "FRANCE,NEW ZELAND,AUSTRALIE,USA,BRESIL,ESPAGNE,";
    ASSERT_EQ(data.size(), 47u);
    int32_t position = 0;
    EXPECT_EQ(read(data, position), "FRANCE");
    EXPECT_EQ(position, 7);
    EXPECT_EQ(read(data, position), "NEW ZELAND");
    EXPECT_EQ(read(data, position), "AUSTRALIE");
    EXPECT_EQ(read(data, position), "USA");
    EXPECT_EQ(read(data, position), "BRESIL");
    EXPECT_EQ(read(data, position), "ESPAGNE");
    EXPECT_EQ(position, 47);
    EXPECT_FALSE(rt::error_pending());
    EXPECT_EQ(read(data, position), "");
    EXPECT_EQ(rt::pending_error.load(), 4);

    // While an error is pending nothing is read.
    position = 0;
    rt::string_assign(item, rt::string_literal("KEPT"));
    EXPECT_EQ(read(data, position), "KEPT");
    EXPECT_EQ(position, 0);
    clear_error();
    EXPECT_EQ(read(data, position), "FRANCE");
}

TEST_F(DataList, QuotesEmptyItemsAndTheEnd) {
    const std::string data = "\"A,B\",,C\"D,\"\",  SPACED ,LAST";
    int32_t position = 0;
    EXPECT_EQ(read(data, position), "A,B");
    EXPECT_EQ(read(data, position), "");
    EXPECT_EQ(read(data, position), "C\"D");
    EXPECT_EQ(read(data, position), "");
    EXPECT_EQ(read(data, position), "  SPACED ");
    EXPECT_EQ(read(data, position), "LAST");  // the end of the text ends the item
    EXPECT_FALSE(rt::error_pending());
    EXPECT_EQ(read(data, position), "");
    EXPECT_EQ(rt::pending_error.load(), 4);
    clear_error();

    position = 0;
    EXPECT_EQ(read("\"OPEN,TO THE END", position), "OPEN,TO THE END");
    EXPECT_FALSE(rt::error_pending());

    // Anything after a closing quote empties the item, which still ends at its
    // comma: after the report the next read takes the next item.
    position = 0;
    EXPECT_EQ(read("\"USA\"X Y\",NEXT", position), "");
    EXPECT_EQ(rt::pending_error.load(), 4);
    EXPECT_EQ(position, 10);
    clear_error();
    EXPECT_EQ(read("\"USA\"X Y\",NEXT", position), "NEXT");
    EXPECT_FALSE(rt::error_pending());

    position = -1;
    EXPECT_EQ(read("FRANCE,", position), "");
    EXPECT_EQ(rt::pending_error.load(), 4);
}

}  // namespace

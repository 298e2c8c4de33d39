#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "runtime/host/host.h"
#include "runtime/values/string_store.h"
#include "runtime/values/values.h"
#include "tests/headless.h"

namespace {

std::string text_of(const rt::StrVal* v) {
    return std::string(reinterpret_cast<const char*>(v->text), v->length);
}

class StringValues : public testing::Test {
protected:
    void SetUp() override {
        rt::strings_init();
        rt::pending_error.store(0);
        rt::attention_flag.store(0);
        mark = rt::temporaries_length();
    }
    void TearDown() override {
        rt::release_temporaries(mark, 0);
        rt::pending_error.store(0);
        rt::attention_flag.store(0);
    }
    uint32_t mark = 1;
};

TEST_F(StringValues, LiteralsConcatenationAndComparison) {
    static const char score[] = "SCORE ";
    rt::StrVal* left = rt::string_literal(score);
    EXPECT_EQ(left->text, reinterpret_cast<const uint8_t*>(score));
    EXPECT_TRUE(left->read_only && left->temporary);
    EXPECT_EQ(rt::string_literal(nullptr, 7)->length, 0u);
    rt::StrVal* right = rt::chr_string('7');
    // An empty operand gives the other operand itself.
    EXPECT_EQ(rt::string_concat(left, rt::empty_string), left);
    EXPECT_EQ(rt::string_concat(rt::empty_string, right), right);

    const uint32_t before = rt::temporaries_length();
    rt::StrVal* both = rt::string_concat(left, right);
    EXPECT_EQ(text_of(both), "SCORE 7");
    EXPECT_TRUE(both->temporary);
    // Both operands were temporaries and are gone; only the result is listed.
    EXPECT_EQ(rt::temporaries_length(), before + 1);

    EXPECT_EQ(rt::string_equal(both, rt::string_literal("SCORE 7")), -1);
    EXPECT_EQ(rt::string_equal(both, rt::string_literal("SCORE 8")), 0);
    EXPECT_EQ(rt::string_equal(both, rt::string_literal("SCORE")), 0);
    EXPECT_EQ(rt::string_equal(rt::empty_string, rt::string_literal("")), -1);
    // Comparisons are wrapped so that the result survives the release.
    EXPECT_EQ(rt::release_temporaries(mark, rt::string_equal(rt::chr_string(0), rt::chr_string(0))), -1);
    EXPECT_EQ(rt::temporaries_length(), mark);

    // The same temporary on both sides: one descriptor taken, one released.
    rt::StrVal* twice = rt::chr_string('Z');
    const uint32_t free_before = rt::string_store_state().free_descriptors;
    rt::StrVal* zz = rt::string_concat(twice, twice);
    EXPECT_EQ(rt::string_store_state().free_descriptors, free_before);
    EXPECT_NE(rt::chr_string('Y'), zz);
    EXPECT_EQ(text_of(zz), "ZZ");
}

TEST_F(StringValues, ChrStringMakesOneByteAndRejectsCodesOutsideAByte) {
    rt::StrVal* a = rt::chr_string(65);
    EXPECT_EQ(text_of(a), "A");
    EXPECT_EQ(rt::chr_string(255)->text[0], 255);
    EXPECT_EQ(rt::chr_string(0)->length, 1u);
    EXPECT_FALSE(rt::error_pending());

    rt::StrVal* bad = rt::chr_string(256);
    EXPECT_EQ(rt::pending_error.load(), 5);
    EXPECT_EQ(bad->length, 0u);
    EXPECT_TRUE(bad->temporary);
    rt::pending_error.store(0);
    EXPECT_EQ(rt::chr_string(-1)->length, 0u);
    EXPECT_EQ(rt::pending_error.load(), 5);
}

TEST_F(StringValues, AssignmentTakesOverTemporariesAndCopiesEverythingElse) {
    rt::StrVal* var = rt::new_string_variable();
    rt::StrVal* expression = rt::string_concat(rt::string_literal("NEW "), rt::string_literal("ZELAND"));
    uint8_t* text = expression->text;
    const uint32_t free_before = rt::string_store_state().free_descriptors;
    const uint32_t temps_before = rt::temporaries_length();

    EXPECT_EQ(rt::string_assign(var, expression), var);
    EXPECT_EQ(var->text, text);  // moved, not copied
    EXPECT_EQ(text_of(var), "NEW ZELAND");
    EXPECT_FALSE(var->temporary);
    EXPECT_EQ(rt::string_store_state().free_descriptors, free_before + 1);
    EXPECT_EQ(rt::temporaries_length(), temps_before - 1);

    // A literal is never taken over.
    static const char usa[] = "USA";
    rt::StrVal* literal = rt::string_literal(usa);
    rt::string_assign(var, literal);
    EXPECT_NE(var->text, reinterpret_cast<const uint8_t*>(usa));
    EXPECT_EQ(text_of(var), "USA");
    EXPECT_EQ(std::string(usa), "USA");

    // Another variable is copied, and so is a value onto itself.
    rt::StrVal* other = rt::new_string_variable();
    rt::string_assign(other, var);
    EXPECT_NE(other->text, var->text);
    EXPECT_EQ(text_of(other), "USA");
    rt::string_assign(var, var);
    EXPECT_EQ(text_of(var), "USA");

    // The shared constants are never written.
    rt::string_assign(rt::space_string, rt::string_literal("XYZ"));
    EXPECT_EQ(text_of(rt::space_string), " ");
    rt::free_string(rt::empty_string);
    EXPECT_EQ(rt::empty_string->length, 0u);
    EXPECT_TRUE(rt::empty_string->conventional);

    rt::free_string(other);
    rt::free_string(var);
}

TEST_F(StringValues, FixedLengthValuesPadWithSpacesAndTruncate) {
    rt::StrVal* fixed = rt::new_fixed_string(6);
    EXPECT_EQ(text_of(fixed), "      ");
    rt::string_assign(fixed, rt::string_literal("USA"));
    EXPECT_EQ(text_of(fixed), "USA   ");
    rt::string_assign(fixed, rt::string_literal("AUSTRALIE"));
    EXPECT_EQ(text_of(fixed), "AUSTRA");
    rt::string_assign(fixed, rt::empty_string);
    EXPECT_EQ(text_of(fixed), "      ");

    // A fixed-length source is copied into an ordinary value, never taken over.
    rt::StrVal* var = rt::new_string_variable();
    rt::string_assign(fixed, rt::string_literal("BRESIL"));
    rt::string_assign(var, fixed);
    EXPECT_EQ(text_of(var), "BRESIL");
    EXPECT_NE(var->text, fixed->text);
    rt::free_string(var);
    rt::free_string(fixed);
}

TEST_F(StringValues, GrowingInPlaceAndReappending) {
    const rt::StringStoreState start = rt::string_store_state();
    rt::StrVal* first = rt::new_string_variable();
    rt::StrVal* last = rt::new_string_variable();

    // The newest value grows where it is, up to the end of its new text.
    uint8_t* at = last->text;
    rt::string_assign(last, rt::string_literal("ESPAGNE ESPAGNE ESPAGNE ESPAGNE ESPAGNE"));
    EXPECT_EQ(last->text, at);
    const size_t last_end = size_t(last->text - first->text) + last->length;
    EXPECT_EQ(rt::string_store_state().arena_top, start.arena_top + last_end);

    // An older value grows into its gap while the next value starts after it.
    at = first->text;
    rt::string_assign(first, rt::string_literal("FRANCE"));
    EXPECT_EQ(first->text, at);
    // Beyond that it moves to the top; the value after it is left intact.
    rt::string_assign(first, rt::string_literal("FRANCE FRANCE FRANCE FRANCE FRANCE FRANCE"));
    EXPECT_GT(first->text, last->text);
    EXPECT_EQ(text_of(first), "FRANCE FRANCE FRANCE FRANCE FRANCE FRANCE");
    EXPECT_EQ(text_of(last), "ESPAGNE ESPAGNE ESPAGNE ESPAGNE ESPAGNE");

    // A shorter text is written in place.
    at = last->text;
    rt::string_assign(last, rt::string_literal("USA"));
    EXPECT_EQ(last->text, at);
    EXPECT_EQ(text_of(last), "USA");

    rt::free_string(first);
    rt::free_string(last);
    EXPECT_EQ(rt::string_store_state().arena_top, start.arena_top);
    EXPECT_EQ(rt::string_store_state().arena_list_length, start.arena_list_length);

    // A variable that took over an older temporary is the newest live value, with
    // its own old entry left empty after it. When it cannot grow up to the arena's
    // end it moves to the top and takes the entry right after its old one.
    const rt::StringStoreState now = rt::string_store_state();
    rt::StrVal* filler = rt::new_string(uint32_t(now.arena_size - now.arena_top - 100), false);
    rt::StrVal* temporary = rt::new_string(3, true);
    std::memcpy(temporary->text, "KEY", 3);
    rt::StrVal* key = rt::new_string_variable();
    rt::free_string(filler);  // the hole lets compaction make room without growing
    rt::string_assign(key, temporary);
    ASSERT_EQ(text_of(key), "KEY");
    ASSERT_EQ(rt::string_store_state().arena_list_length, now.arena_list_length + 3);
    const std::string longer(100, 'k');
    rt::string_assign(key, rt::string_literal(longer.c_str()));
    EXPECT_EQ(text_of(key), longer);
    EXPECT_EQ(rt::string_store_state().arena_list_length, now.arena_list_length + 3);
    EXPECT_EQ(rt::string_store_state().arena_size, now.arena_size);
    rt::free_string(key);
}

// Growing a value when the arena is full: compaction slides the source down and
// the arena moves, and the copy must come from where the source is afterwards.
TEST_F(StringValues, AGrowingValueCopiesItsSourceFromWhereCompactionPutIt) {
    const std::string long_text(200, 'h'), source_text = "FROM THE SOURCE " + std::string(84, 's');
    rt::StrVal* hole = rt::new_string_variable();
    rt::string_assign(hole, rt::string_literal(long_text.c_str()));
    rt::StrVal* destination = rt::new_string_variable();
    rt::StrVal* blocker = rt::new_string_variable();
    rt::StrVal* source = rt::new_string_variable();
    rt::string_assign(source, rt::string_literal(source_text.c_str()));
    rt::free_string(hole);
    const rt::StringStoreState before = rt::string_store_state();
    rt::StrVal* filler = rt::new_string(uint32_t(before.arena_size - before.arena_top - 40), false);
    uint8_t* source_was = source->text;

    rt::string_assign(destination, source);
    EXPECT_GT(rt::string_store_state().arena_size, before.arena_size);
    EXPECT_NE(source->text, source_was);
    EXPECT_EQ(text_of(destination), source_text);
    EXPECT_EQ(text_of(source), source_text);
    EXPECT_EQ(blocker->length, 0u);

    for (rt::StrVal* v : {filler, source, blocker, destination}) rt::free_string(v);
}

TEST_F(StringValues, CompactionAndGrowthKeepEveryLiveValue) {
    const rt::StringStoreState start = rt::string_store_state();
    // Far more text than the arena holds at start, and more values than the
    // arena list has room for; every second value is released on the way, so
    // compaction has holes to close.
    std::vector<rt::StrVal*> values;
    std::vector<std::string> expected;
    for (int i = 0; i < 150000; ++i) {
        std::string text = "VALUE " + std::to_string(i) + std::string(size_t(i % 37), char('a' + i % 26));
        rt::StrVal* v = rt::new_string_variable();
        rt::string_assign(v, rt::string_literal(text.c_str()));
        values.push_back(v);
        expected.push_back(text);
        if (i % 2 == 1) {
            rt::free_string(values[size_t(i) - 1]);
            values[size_t(i) - 1] = nullptr;
        }
        rt::release_temporaries(mark, 0);
    }
    const rt::StringStoreState grown = rt::string_store_state();
    EXPECT_GT(grown.arena_size, start.arena_size);
    EXPECT_GT(grown.arena_list_capacity, start.arena_list_capacity);
    for (size_t i = 0; i < values.size(); ++i)
        if (values[i] != nullptr) {
            ASSERT_EQ(text_of(values[i]), expected[i]) << i;
        }

    // A new value that cannot fit forces a move of the whole arena.
    rt::StrVal* big = rt::new_string(uint32_t(grown.arena_size), false);
    EXPECT_GT(rt::string_store_state().arena_size, grown.arena_size);
    for (size_t i = 0; i < values.size(); ++i)
        if (values[i] != nullptr) {
            ASSERT_EQ(text_of(values[i]), expected[i]) << i;
        }

    rt::free_string(big);
    for (rt::StrVal* v : values) rt::free_string(v);
    EXPECT_EQ(rt::string_store_state().arena_top, start.arena_top);
    EXPECT_EQ(rt::string_store_state().arena_list_length, start.arena_list_length);
}

TEST_F(StringValues, ReleasedDescriptorsAreReusedAndTemporariesListGrows) {
    rt::StrVal* a = rt::new_string(4, true);
    rt::free_string(a);
    rt::free_string(a);  // a second release is ignored
    rt::StrVal* b = rt::new_string(4, true);
    EXPECT_EQ(b, a);
    EXPECT_EQ(b->temp_index, int32_t(mark));
    rt::StrVal* c = rt::new_string(2, true);
    EXPECT_NE(c, b);

    // More temporaries in one step than the list holds at start.
    const uint32_t capacity = rt::string_store_state().temporaries_capacity;
    for (uint32_t i = 0; i < capacity + 10; ++i) rt::chr_string(int32_t(i & 0xFF));
    EXPECT_GT(rt::string_store_state().temporaries_capacity, capacity);
    rt::release_temporaries(mark, 0);
    EXPECT_EQ(rt::temporaries_length(), mark);
}

TEST_F(StringValues, StaticBlockHandsOutZeroedAlignedMemory) {
    auto* a = static_cast<float*>(rt::static_alloc(7 * sizeof(float)));
    auto* b = static_cast<float*>(rt::static_alloc(100 * sizeof(float)));
    EXPECT_EQ(reinterpret_cast<uintptr_t>(b) % alignof(float), 0u);
    EXPECT_GE(reinterpret_cast<uint8_t*>(b), reinterpret_cast<uint8_t*>(a + 7));
    for (int i = 0; i < 100; ++i) EXPECT_EQ(b[i], 0.0f);
    a[6] = 1.5f;
    // A request larger than what is left comes from a new block; earlier ones stay.
    auto* big = static_cast<uint8_t*>(rt::static_alloc(3 << 20));
    big[(3 << 20) - 1] = 1;
    EXPECT_EQ(a[6], 1.5f);
    EXPECT_EQ(big[0], 0);
}

TEST(StringValuesDeathTest, StaticBlockThatCannotGrowEndsTheProcess) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_END_AFTER_BOX(rt::static_alloc(SIZE_MAX / 2), "Critical Error #4\nOut of memory");
}

// The calling order of one step as the game prints a line: a working value,
// the expression's temporaries, assignment, use, free, release.
TEST_F(StringValues, AMillionStepsGiveBackEveryStore) {
    rt::StrVal* name = rt::new_string_variable();
    rt::string_assign(name, rt::string_literal("AUSTRALIE"));
    rt::StrVal* copy = rt::new_string_variable();
    int32_t matches = 0;
    auto one_step = [&](int32_t step) {
        rt::StrVal* line = rt::new_string(0, false);
        rt::StrVal* expression = rt::string_concat(
            rt::string_concat(rt::string_literal("LAP "), rt::str_of_number(float(step % 1000))),
            rt::string_concat(rt::space_string, rt::chr_string(65 + step % 26)));
        rt::string_assign(line, expression);
        if (step % 1000 == 999) {
            EXPECT_EQ(text_of(line), "LAP  999 " + std::string(1, char(65 + step % 26)));
        }
        rt::string_assign(copy, name);
        rt::free_string(line);
        rt::release_temporaries(mark, 0);
        const rt::StrVal* expected = rt::string_literal("AUSTRALIE");
        matches -= int32_t(rt::release_temporaries(mark, rt::string_equal(copy, expected)));
    };
    one_step(0);  // the first step gives the copy its text
    const rt::StringStoreState start = rt::string_store_state();

    for (int32_t step = 1; step < 1000000; ++step) {
        one_step(step);
        const rt::StringStoreState now = rt::string_store_state();
        ASSERT_EQ(rt::temporaries_length(), mark);
        ASSERT_EQ(now.arena_top, start.arena_top);
        ASSERT_EQ(now.arena_list_length, start.arena_list_length);
    }
    EXPECT_EQ(matches, 1000000);
    const rt::StringStoreState end = rt::string_store_state();
    EXPECT_EQ(end.arena_size, start.arena_size);
    EXPECT_EQ(end.arena_list_capacity, start.arena_list_capacity);
    EXPECT_EQ(end.temporaries_capacity, start.temporaries_capacity);
    EXPECT_EQ(end.descriptor_blocks, start.descriptor_blocks);
    EXPECT_EQ(end.free_descriptors, start.free_descriptors);
    rt::free_string(copy);
    rt::free_string(name);
}

// A variable that takes a new temporary every step moves up the arena, and
// compaction brings it back down: the stores never grow.
TEST_F(StringValues, AVariableAssignedEveryStepNeverGrowsTheStores) {
    rt::StrVal* key = rt::new_string_variable();
    const rt::StringStoreState start = rt::string_store_state();
    size_t highest = 0;
    bool fell_back = false;
    // Each step leaves about 70 bytes behind: enough steps to fill the arena twice.
    const int32_t steps = int32_t(start.arena_size / 35) + 1000;
    for (int32_t step = 0; step < steps; ++step) {
        rt::string_assign(key, rt::string_concat(rt::chr_string(65 + step % 26), rt::string_literal("KEY")));
        rt::release_temporaries(mark, 0);
        ASSERT_EQ(key->text[0], 65 + step % 26);
        const size_t top = rt::string_store_state().arena_top;
        if (top < highest) fell_back = true;
        highest = std::max(highest, top);
    }
    EXPECT_TRUE(fell_back);
    const rt::StringStoreState end = rt::string_store_state();
    EXPECT_EQ(end.arena_size, start.arena_size);
    EXPECT_EQ(end.arena_list_capacity, start.arena_list_capacity);
    EXPECT_EQ(end.descriptor_blocks, start.descriptor_blocks);
    rt::free_string(key);
}

}  // namespace

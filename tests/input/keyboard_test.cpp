// Key codes pressed and released directly: the held-key list behind key_down,
// the typed-key buffer behind inkey, the requests and the key-hit ring.
#include "input_fixture.h"

namespace rt {
namespace {

using Keyboard = InputTest;

TEST_F(Keyboard, SpaceTypedTwiceGivesTwoSpacesThenNothing) {
    key_press(32);
    key_release(32);
    key_press(32);
    key_release(32);
    EXPECT_EQ(typed_key_count(), 2);
    EXPECT_EQ(typed(), " ");
    EXPECT_EQ(typed(), " ");
    EXPECT_EQ(typed(), "");
    EXPECT_EQ(typed_key_count(), 0);
}

TEST_F(Keyboard, FullBufferKeepsTheFirstFifteen) {
    for (int i = 0; i < 16; ++i) {
        key_press('a' + i);
        key_release('a' + i);
    }
    EXPECT_EQ(typed_key_count(), 15);
    std::string keys;
    for (const std::string& k : all_typed()) keys += k;
    EXPECT_EQ(keys, "abcdefghijklmno");
    // The ring wraps: further rounds through the slots lose nothing.
    for (int round = 0; round < 3; ++round) {
        for (int i = 0; i < 10; ++i) key_press('0' + i);
        for (int i = 0; i < 10; ++i) key_release('0' + i);
        keys.clear();
        for (const std::string& k : all_typed()) keys += k;
        EXPECT_EQ(keys, "0123456789");
    }
}

TEST_F(Keyboard, ExtendedKeysTypeZeroAndTheirScanCode) {
    key_press(key_right);
    key_press(0x3B00);  // F1
    key_press(0x1000);  // a word without a key of its own still types its scan code
    EXPECT_EQ(typed(), ext(0x4D));
    EXPECT_EQ(typed(), ext(0x3B));
    EXPECT_EQ(typed(), ext(0x10));
    // A character 0 with scan code 0 is one byte.
    key_press(0);
    EXPECT_EQ(typed(), std::string(1, '\0'));
    EXPECT_TRUE(key_held(code_zero));
}

TEST_F(Keyboard, ModifiersPickTheColumn) {
    struct Case {
        std::vector<int32_t> modifiers;
        int32_t code;
        std::string expected;
    };
    const Case cases[] = {
        {{}, 'q', "q"},
        {{code_left_shift}, 'Q', "Q"},
        {{code_right_ctrl}, 'q', "\x11"},
        {{code_left_alt}, 'q', ext(0x10)},
        {{code_left_alt, code_left_ctrl}, 'q', ext(0x10)},  // Alt wins over Ctrl
        {{code_left_ctrl}, 13, "\x0A"},
        {{code_left_ctrl}, '1', ""},  // Ctrl+1 types nothing
        {{code_left_shift}, 9, ext(0x0F)},
        {{code_left_shift}, 0x3B00, ext(0x54)},
        {{code_right_alt}, key_left, ext(0x9B)},
        {{code_left_ctrl}, 0x82, "\x82"},  // no key of its own: typed as it is
        {{}, code_pad_typing + 4, "4"},
        {{code_left_shift}, code_pad_typing + 4, ext(0x4B)},
        {{}, code_pad_navigation + 4, ext(0x4B)},
        {{code_right_shift}, code_pad_navigation + 4, "4"},
        {{code_left_ctrl}, code_pad_navigation + 4, ext(0x73)},
        {{code_left_alt}, code_pad_typing + 6, ""},
        {{code_left_shift}, code_pad_typing + 14, "+"},
        {{}, code_pad_typing + 15, "\x0D"},
        {{}, code_left_shift, ""},
        {{}, code_caps_lock, ""},
        {{}, symbol_base + 316, ""},  // Print Screen
        {{}, 'x' | code_unicode_flag, ""},
    };
    for (const Case& c : cases) {
        input_init();
        for (int32_t m : c.modifiers) key_press(m);
        key_press(c.code);
        std::string keys;
        for (const std::string& k : all_typed()) keys += k;
        EXPECT_EQ(keys, c.expected) << "code " << c.code;
    }
}

TEST_F(Keyboard, AltGrTypesThePlainCharacter) {
    key_press(code_left_ctrl);
    key_press(code_right_alt);
    press_key('@', '2', true);
    EXPECT_EQ(typed(), "@");
    // Without a Unicode value the same keys are Alt.
    press_key('@', '2', false);
    EXPECT_EQ(typed(), ext(0x79));
    // Left Alt as well is no AltGr.
    key_press(code_left_alt);
    press_key('@', '2', true);
    EXPECT_EQ(typed(), ext(0x79));
}

TEST_F(Keyboard, KeyDownSeesHeldKeysAndTheirKeypadEquivalents) {
    EXPECT_EQ(key_down(key_left), 0);
    key_press(code_pad_navigation + 4);  // keypad 4 with Num Lock off
    EXPECT_EQ(key_down(key_left), -1);
    EXPECT_EQ(key_down(code_pad_navigation + 4), -1);
    key_release(code_pad_navigation + 4);
    EXPECT_EQ(key_down(key_left), 0);

    key_press(code_pad_typing + 7);
    EXPECT_EQ(key_down('7'), -1);
    key_press('8');
    EXPECT_EQ(key_down(code_pad_typing + 8), 0);  // the equivalence goes one way
    key_press(code_pad_typing + 15);
    EXPECT_EQ(key_down(13), -1);

    // A repeated press leaves one entry: one release frees it.
    key_press('q');
    key_press('q');
    key_release('q');
    EXPECT_EQ(key_down('q'), 0);
    EXPECT_EQ(pending_error.load(), 0);
}

TEST_F(Keyboard, KeyDownOfZeroOrBelowRaisesError5) {
    EXPECT_EQ(key_down(0), 0);
    EXPECT_EQ(pending_error.load(), 5);
    // While it is pending nothing answers, and inkey leaves the buffer alone.
    key_press('q');
    EXPECT_EQ(key_down('q'), 0);
    EXPECT_EQ(typed(), "");
    pending_error.store(0);
    EXPECT_EQ(key_down('q'), -1);
    EXPECT_EQ(key_down(-7), 0);
    EXPECT_EQ(pending_error.load(), 5);
    pending_error.store(0);
    EXPECT_EQ(typed(), "q");
}

TEST_F(Keyboard, ReleaseBySymbolReleasesWhatTheKeyPressed) {
    press_key('q', 'q', true);
    press_key(code_left_shift, 304, false);
    release_by_symbol(304);
    EXPECT_EQ(key_down('q'), -1);
    EXPECT_EQ(key_down(code_left_shift), 0);
    release_by_symbol('q');
    EXPECT_EQ(key_down('q'), 0);
    // Two codes from the same key both go up with it.
    press_key('q', 'q', true);
    press_key('Q', 'q', true);
    release_by_symbol('q');
    EXPECT_EQ(key_down('q'), 0);
    EXPECT_EQ(key_down('Q'), 0);
    // Keys pressed by code have no symbol a key-up could name.
    key_press(code_caps_lock);
    release_by_symbol(0);
    release_by_symbol(301);
    EXPECT_EQ(key_down(code_caps_lock), -1);
}

TEST_F(Keyboard, EndRequestKeysTypeNothing) {
    const std::vector<std::vector<int32_t>> presses = {
        {code_break}, {code_left_ctrl, code_scroll_lock}, {code_right_ctrl, code_ctrl_break}};
    for (const auto& keys : presses) {
        input_init();
        end_request.store(0);
        for (int32_t k : keys) key_press(k);
        EXPECT_EQ(end_request.load(), 1) << keys.back();
        EXPECT_EQ(typed_key_count(), 0);
        EXPECT_EQ(key_down(keys.back()), -1);
    }
    // Scroll Lock and F15 alone are plain keys.
    input_init();
    end_request.store(0);
    key_press(code_scroll_lock);
    key_press(code_ctrl_break);
    EXPECT_EQ(end_request.load(), 0);
}

TEST_F(Keyboard, PauseIsClearedByTheNextOtherKey) {
    key_press(code_pause);
    EXPECT_EQ(pause_bits.load(), 1);
    EXPECT_EQ(attention_flag.load(), 1);
    key_press(code_pause);  // the Pause key again keeps the pause
    EXPECT_EQ(pause_bits.load(), 1);
    key_press(32);
    EXPECT_EQ(pause_bits.load(), 0);
    EXPECT_EQ(key_down(32), -1);      // reached the held-key list
    EXPECT_EQ(typed_key_count(), 0);  // but not the typed-key buffer
    key_release(32);
    key_press(32);
    EXPECT_EQ(typed(), " ");

    // Ctrl + Num Lock pauses too; the tone queue's pause bit is left alone.
    pause_bits.store(2);
    key_press(code_right_ctrl);
    key_press(code_num_lock);
    EXPECT_EQ(pause_bits.load(), 3);
    key_press('x');
    EXPECT_EQ(pause_bits.load(), 2);
}

TEST_F(Keyboard, AltEnterCountsAModeToggle) {
    key_press(13);
    EXPECT_EQ(typed(), "\r");
    key_press(code_left_alt);
    key_press(13);
    key_release(13);
    key_press(13);
    EXPECT_EQ(mode_toggle_count.load(), 2);
    EXPECT_EQ(typed_key_count(), 0);
    key_press(code_pad_typing + 15);  // keypad Enter is no toggle
    EXPECT_EQ(mode_toggle_count.load(), 2);
}

TEST_F(Keyboard, KeyHitRingRecordsPressesAndReleases) {
    key_press(code_pad_typing + 6);
    key_release(code_pad_typing + 6);
    key_press(code_pad_navigation + 8);
    key_press('q');
    key_press(code_break);  // a request leaves no key hit
    KeyHit hit;
    ASSERT_TRUE(take_key_hit(hit));
    EXPECT_EQ(hit.code, '6');
    EXPECT_TRUE(hit.keypad);
    ASSERT_TRUE(take_key_hit(hit));
    EXPECT_EQ(hit.code, -'6');
    ASSERT_TRUE(take_key_hit(hit));
    EXPECT_EQ(hit.code, 0x4800);
    ASSERT_TRUE(take_key_hit(hit));
    EXPECT_EQ(hit.code, 'q');
    EXPECT_FALSE(hit.keypad);
    EXPECT_FALSE(take_key_hit(hit));

    // When full, the oldest entries go.
    for (uint32_t i = 0; i < key_hit_size + 10; ++i) key_release(int32_t(1000 + i));
    ASSERT_TRUE(take_key_hit(hit));
    EXPECT_EQ(hit.code, -int32_t(1000 + 11));
    uint32_t left = 1;
    while (take_key_hit(hit)) ++left;
    EXPECT_EQ(left, key_hit_size - 1);
    EXPECT_EQ(hit.code, -int32_t(1000 + key_hit_size + 9));
}

}  // namespace
}  // namespace rt

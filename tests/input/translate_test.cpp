// SDL key events as the display thread hands them over: what they hold, what
// they type, Alt keypad entry, key repeat and the lock keys.
#include <SDL_keysym.h>

#include "input_fixture.h"

namespace rt {
namespace {

class Translate : public InputTest {
protected:
    static void down(int32_t symbol, uint32_t unicode = 0) { translate_key_down(symbol, unicode); }
    static void up(int32_t symbol) { translate_key_up(symbol); }
    static void tap(int32_t symbol, uint32_t unicode = 0) {
        down(symbol, unicode);
        up(symbol);
    }
    static std::string typed_text() {
        std::string keys;
        for (const std::string& k : all_typed()) keys += k;
        return keys;
    }
};

TEST_F(Translate, LeftArrowStaysDownWhateverShiftDoes) {
    down(SDLK_LEFT);
    EXPECT_EQ(key_down(19200), -1);
    down(SDLK_LSHIFT);
    EXPECT_EQ(key_down(19200), -1);
    up(SDLK_LSHIFT);
    EXPECT_EQ(key_down(19200), -1);
    down(SDLK_RSHIFT);
    up(SDLK_LEFT);
    EXPECT_EQ(key_down(19200), 0);
    EXPECT_EQ(key_down(code_right_shift), -1);
    EXPECT_EQ(typed_text(), ext(0x4B));
}

TEST_F(Translate, LettersKeepTheirCase) {
    down('q', 'q');
    EXPECT_EQ(key_down(81), 0);
    EXPECT_EQ(key_down(113), -1);
    up('q');
    down(SDLK_LSHIFT);
    down('q', 'Q');
    EXPECT_EQ(key_down(81), -1);
    up(SDLK_LSHIFT);
    up('q');  // released under the code it was pressed with
    EXPECT_EQ(key_down(81), 0);
    EXPECT_EQ(typed_text(), "qQ");
}

TEST_F(Translate, RightArrowTypesTwoBytes) {
    tap(SDLK_RIGHT);
    const std::string key = typed();
    ASSERT_EQ(key.size(), 2u);
    EXPECT_EQ(key[0], 0);
    EXPECT_EQ(key[1], 0x4D);
}

TEST_F(Translate, KeysWithoutUnicode) {
    struct Case {
        int32_t symbol;
        int32_t code;
        std::string typed;
    };
    const Case cases[] = {
        {SDLK_F1, 0x3B00, ext(0x3B)},
        {SDLK_F10, 0x4400, ext(0x44)},
        {SDLK_F11, 0x8500, ext(0x85)},
        {SDLK_F12, 0x8600, ext(0x86)},
        {SDLK_HOME, 0x4700, ext(0x47)},
        {SDLK_UP, 0x4800, ext(0x48)},
        {SDLK_PAGEUP, 0x4900, ext(0x49)},
        {SDLK_END, 0x4F00, ext(0x4F)},
        {SDLK_DOWN, 20480, ext(0x50)},
        {SDLK_PAGEDOWN, 0x5100, ext(0x51)},
        {SDLK_INSERT, 20992, ext(0x52)},
        {SDLK_DELETE, 0x5300, ext(0x53)},
        {SDLK_KP4, 200004, ext(0x4B)},
        {SDLK_KP5, 200005, ext(0x4C)},
        {SDLK_KP_PERIOD, 200010, ext(0x53)},
        {SDLK_KP_DIVIDE, 100267, "/"},
        {SDLK_KP_ENTER, 100271, "\r"},
        {'a', 'a', "a"},
        {SDLK_LALT, code_left_alt, ""},
        {SDLK_MENU, 100319, ""},
        {SDLK_KP_EQUALS, 100272, ""},
    };
    for (const Case& c : cases) {
        input_init();
        down(c.symbol);
        EXPECT_EQ(key_down(c.code), -1) << "symbol " << c.symbol;
        EXPECT_EQ(typed_text(), c.typed) << "symbol " << c.symbol;
        up(c.symbol);
        EXPECT_EQ(key_down(c.code), 0) << "symbol " << c.symbol;
    }
    // Other symbols of 32..127 without a character hold nothing.
    down('1');
    down(' ');
    EXPECT_EQ(key_down('1'), 0);
    EXPECT_EQ(key_down(' '), 0);
    EXPECT_EQ(typed_key_count(), 0);
}

TEST_F(Translate, CapsLockAndShiftDecideTheCase) {
    // A letter without a Unicode value: upper case when exactly one of them is on.
    for (int caps = 0; caps < 2; ++caps) {
        for (int shift = 0; shift < 2; ++shift) {
            input_init();
            if (caps) key_press(code_caps_lock);
            if (shift) key_press(code_left_shift);
            tap('k');
            const char expected = caps != shift ? 'K' : 'k';
            EXPECT_EQ(typed_text(), std::string(1, expected)) << caps << shift;
            // Ctrl with a control character names the letter the same way.
            key_press(code_left_ctrl);
            down('k', 11);
            EXPECT_EQ(key_down(expected), -1) << caps << shift;
            EXPECT_EQ(typed_text(), "\x0B");
        }
    }
}

TEST_F(Translate, CtrlCombinations) {
    down(SDLK_LCTRL);
    const struct {
        int32_t symbol;
        uint32_t unicode;
        int32_t code;
        std::string typed;
    } cases[] = {
        {SDLK_RETURN, 10, 13, "\n"},
        {SDLK_ESCAPE, 27, 27, "\x1B"},
        {SDLK_SPACE, 32, 32, " "},
        {'6', 30, '6', "\x1E"},
        {'[', 27, '[', "\x1B"},
        {'\\', 28, '\\', "\x1C"},
        {']', 29, ']', "\x1D"},
        {SDLK_BACKSPACE, 127, 8, "\x7F"},
        {SDLK_BACKSPACE, 8, 8, "\x7F"},
        {SDLK_TAB, 9, 9, ext(0x94)},
        {SDLK_RETURN, 13, 13, "\n"},
        {'a', 1, 'a', "\x01"},
        {'2', 0, '2', ext(0x03)},  // without a Unicode value Ctrl keeps the symbol
        {SDLK_TAB, 0, 9, ext(0x94)},
        {'=', '=', '=', ""},  // a character with no Ctrl word
    };
    for (const auto& c : cases) {
        down(c.symbol, c.unicode);
        EXPECT_EQ(key_down(c.code), -1) << "symbol " << c.symbol;
        EXPECT_EQ(typed_text(), c.typed) << "symbol " << c.symbol;
        up(c.symbol);
        EXPECT_EQ(key_down(c.code), 0) << "symbol " << c.symbol;
    }
}

TEST_F(Translate, UnicodeCharacters) {
    tap(SDLK_BACKSPACE, 127);
    tap(SDLK_DELETE, 127);
    tap('e', 0x00E9);  // é
    tap('a', 0xFF21);  // full-width A
    tap(' ', 0x3000);  // ideographic space
    EXPECT_EQ(typed_text(), "\x08" + ext(0x53) + "\x82" "A ");

    // No code page 437 code: held with the Unicode flag, typing nothing.
    down('e', 0x20AC);
    EXPECT_EQ(key_down(0x20AC | code_unicode_flag), -1);
    EXPECT_EQ(typed_key_count(), 0);
    up('e');
    EXPECT_EQ(key_down(0x20AC | code_unicode_flag), 0);

    // A character without a key symbol goes up at once.
    down(0, 0x00FC);
    EXPECT_EQ(typed(), "\x81");
    EXPECT_EQ(key_down(0x81), 0);
    // No symbol and no character: nothing at all.
    down(0, 0);
    EXPECT_EQ(typed_key_count(), 0);
}

TEST_F(Translate, KeypadTypesDigitsOrNavigates) {
    down(SDLK_KP6, '6');
    EXPECT_EQ(key_down(100262), -1);
    EXPECT_EQ(key_down('6'), -1);
    EXPECT_EQ(key_down(key_right), 0);
    up(SDLK_KP6);
    down(SDLK_KP6);  // Num Lock off
    EXPECT_EQ(key_down(key_right), -1);
    up(SDLK_KP6);
    tap(SDLK_KP_PLUS, '+');
    EXPECT_EQ(typed_text(), "6" + ext(0x4D) + "+");
}

TEST_F(Translate, AltKeypadEntryTypesTheCharacter) {
    down(SDLK_LALT);
    tap(SDLK_KP6, '6');
    tap(SDLK_KP5, '5');
    EXPECT_EQ(typed_key_count(), 0);
    up(SDLK_LALT);
    EXPECT_EQ(typed(), "A");
    EXPECT_EQ(typed(), "");
    EXPECT_EQ(key_down('A'), 0);
    EXPECT_EQ(key_down(code_left_alt), 0);

    // Only the low byte counts, however many digits; 256 types character 0.
    down(SDLK_RALT);
    for (int d : {2, 5, 6}) tap(SDLK_KP0 + d);
    up(SDLK_RALT);
    EXPECT_EQ(typed(), std::string(1, '\0'));
    down(SDLK_LALT);
    for (int i = 0; i < 30; ++i) tap(SDLK_KP9, '9');
    up(SDLK_LALT);
    EXPECT_EQ(typed().size(), 1u);

    // Another key cancels the entry; Alt alone types nothing.
    down(SDLK_LALT);
    tap(SDLK_KP6, '6');
    tap('x', 'x');
    tap(SDLK_KP5, '5');
    up(SDLK_LALT);
    EXPECT_EQ(typed_text(), ext(0x2D));
    tap(SDLK_LALT);
    EXPECT_EQ(typed_key_count(), 0);
}

TEST_F(Translate, KeyRepeatFillsTheBufferBeforeALaterSpace) {
    down(SDLK_UP);
    for (int i = 0; i < 9; ++i) down(SDLK_UP);  // repeats of the held key
    tap(SDLK_SPACE, ' ');
    std::vector<std::string> keys = all_typed();
    ASSERT_EQ(keys.size(), 11u);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(keys[i], ext(0x48));
    EXPECT_EQ(keys[10], " ");

    for (int i = 0; i < 15; ++i) down(SDLK_UP);
    tap(SDLK_SPACE, ' ');
    keys = all_typed();
    ASSERT_EQ(keys.size(), 15u);
    EXPECT_EQ(keys.back(), ext(0x48));
    up(SDLK_UP);
    EXPECT_EQ(key_down(0x4800), 0);
}

TEST_F(Translate, PauseBreakAndAltEnterFromKeyEvents) {
    tap(SDLK_PAUSE);
    EXPECT_EQ(pause_bits.load(), 1);
    tap('p', 'p');
    EXPECT_EQ(pause_bits.load(), 0);
    EXPECT_EQ(typed_key_count(), 0);

    down(SDLK_LALT);
    tap(SDLK_RETURN, 13);
    EXPECT_EQ(mode_toggle_count.load(), 1);
    up(SDLK_LALT);

    tap(SDLK_BREAK);
    EXPECT_EQ(end_request.load(), 1);
    EXPECT_EQ(typed_key_count(), 0);

    // Ctrl+Pause is the Break key, whichever symbol it arrives as.
    end_request.store(0);
    down(SDLK_RCTRL);
    tap(SDLK_PAUSE);
    EXPECT_EQ(end_request.load(), 1);
    EXPECT_EQ(pause_bits.load(), 0);
    EXPECT_EQ(typed_key_count(), 0);
}

TEST_F(Translate, LockKeysFollowTheSystem) {
    platform::KeyState s;
    s.caps_lock = true;
    s.scroll_lock = true;
    virtual_platform::set_key_state(s);
    sync_lock_keys(false);
    EXPECT_EQ(key_down(code_caps_lock), -1);
    EXPECT_EQ(key_down(code_scroll_lock_on), -1);
    EXPECT_EQ(key_down(code_num_lock), 0);
    EXPECT_EQ(typed_key_count(), 0);

    tap('a');  // Caps Lock on: upper case
    EXPECT_EQ(typed(), "A");

    s.caps_lock = false;
    s.num_lock = true;
    virtual_platform::set_key_state(s);
    sync_lock_keys(false);
    EXPECT_EQ(key_down(code_caps_lock), 0);
    EXPECT_EQ(key_down(code_num_lock), -1);

    // Caps Lock switched off by its own key goes up with the key.
    down(SDLK_CAPSLOCK);
    EXPECT_EQ(key_down(code_caps_lock), -1);
    up(SDLK_CAPSLOCK);
    EXPECT_EQ(key_down(code_caps_lock), 0);
}

TEST_F(Translate, StartUpReadsHeldModifiers) {
    platform::KeyState s;
    s.num_lock = true;
    s.left_ctrl = true;
    s.right_shift = true;
    virtual_platform::set_key_state(s);
    sync_lock_keys(true);
    EXPECT_EQ(key_down(code_left_ctrl), -1);
    EXPECT_EQ(key_down(code_right_shift), -1);
    EXPECT_EQ(key_down(code_left_shift), 0);
    EXPECT_EQ(key_down(code_num_lock), -1);
    // Num Lock found on while Ctrl is held is no Pause.
    EXPECT_EQ(pause_bits.load(), 0);
    // The modifiers go up with their keys.
    up(SDLK_LCTRL);
    up(SDLK_RSHIFT);
    EXPECT_EQ(key_down(code_left_ctrl), 0);
    EXPECT_EQ(key_down(code_right_shift), 0);
    // Every round only mirrors the toggles.
    s.left_alt = true;
    virtual_platform::set_key_state(s);
    sync_lock_keys(false);
    EXPECT_EQ(key_down(code_left_alt), 0);
}

}  // namespace
}  // namespace rt

namespace rt {
namespace {

// Key repeat as the display thread drives it: presses and releases as they come,
// and one look per event round.
class Repeat : public ::testing::Test {
protected:
    void SetUp() override { set_key_repeat(500, 30); }
    void TearDown() override { set_key_repeat(0, 0); }
    // The repeats seen when looking every 32 ms from `from` to `to`.
    static std::vector<uint32_t> looks(uint32_t from, uint32_t to, int32_t want_symbol = SDLK_LEFT) {
        std::vector<uint32_t> at;
        for (uint32_t t = from; t <= to; t += 32) {
            int32_t symbol = 0;
            uint32_t unicode = 0;
            if (key_repeat_due(t, symbol, unicode)) {
                EXPECT_EQ(symbol, want_symbol);
                at.push_back(t);
            }
        }
        return at;
    }
};

TEST_F(Repeat, AHeldArrowRepeatsAfterTheDelayThroughShiftPresses) {
    key_repeat_down(SDLK_LEFT, 0, 1000);
    EXPECT_TRUE(looks(1000, 1499).empty());
    // Shift down and up meanwhile: a modifier neither repeats nor takes over.
    key_repeat_down(SDLK_LSHIFT, 0, 1600);
    key_repeat_up(SDLK_LSHIFT);
    // Past 1500 the schedule starts, the first repeat one look later; then one a look.
    std::vector<uint32_t> at = looks(1504, 2496);
    ASSERT_EQ(at.size(), 31u);
    EXPECT_EQ(at.front(), 1536u);
    key_repeat_up(SDLK_RIGHT);  // another key's release changes nothing
    EXPECT_EQ(looks(2528, 2528).size(), 1u);
    key_repeat_up(SDLK_LEFT);
    EXPECT_TRUE(looks(2560, 4000).empty());
}

TEST_F(Repeat, TheLastKeyPressedRepeatsWithItsOwnCharacterAndOffMeansOff) {
    key_repeat_down(SDLK_LEFT, 0, 0);
    key_repeat_down(SDLK_SPACE, ' ', 100);
    int32_t symbol = 0;
    uint32_t unicode = 0;
    EXPECT_FALSE(key_repeat_due(601, symbol, unicode));  // the delay counts from the space
    EXPECT_FALSE(key_repeat_due(602, symbol, unicode));
    ASSERT_TRUE(key_repeat_due(640, symbol, unicode));
    EXPECT_EQ(symbol, SDLK_SPACE);
    EXPECT_EQ(unicode, uint32_t(' '));
    EXPECT_FALSE(key_repeat_due(660, symbol, unicode));  // not within the interval

    set_key_repeat(0, 0);  // the window lost the focus
    EXPECT_FALSE(key_repeat_due(5000, symbol, unicode));
    key_repeat_down(SDLK_SPACE, ' ', 5000);
    EXPECT_FALSE(key_repeat_due(9000, symbol, unicode));
    set_key_repeat(500, 30);  // back: only a new press repeats
    EXPECT_FALSE(key_repeat_due(9100, symbol, unicode));
    EXPECT_FALSE(key_repeat_due(9700, symbol, unicode));
}

}  // namespace
}  // namespace rt

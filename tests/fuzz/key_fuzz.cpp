// Key events through the translation into the held-key list and the typed-key
// buffer, as the display thread hands them over, with the program thread's
// key_down and inkey between them: any sequence of downs, ups, repeats, lock
// toggles and reads leaves no key held once every key is up and the system's
// toggles are off, never lets more than 15 entries wait, and types only whole
// entries.
#include <SDL_keysym.h>

#include <cstddef>
#include <cstdint>
#include <set>

#include "runtime/host/host.h"
#include "runtime/input/input.h"
#include "runtime/input/input_internal.h"
#include "runtime/platform/virtual/virtual.h"
#include "runtime/values/values.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

struct Bytes {
    const uint8_t* at;
    size_t left;
    uint32_t take(int count) {
        uint32_t v = 0;
        for (int i = 0; i < count && left > 0; ++i, --left) v |= uint32_t(*at++) << (8 * i);
        return v;
    }
};

// Takes every typed entry waiting; each is one character or a zero and a scan code.
void drain() {
    int taken = 0;
    for (;;) {
        rt::StrVal* key = rt::inkey();
        FUZZ_CHECK(key != nullptr && key->length <= 2);
        FUZZ_CHECK(key->length < 2 || (key->text[0] == 0 && key->text[1] != 0));
        if (key->length == 0) break;
        ++taken;
    }
    FUZZ_CHECK(taken <= 15);
    FUZZ_CHECK(rt::typed_key_count() == 0);
    rt::release_temporaries(rt::step_mark, 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool ready = (rt::strings_init(), true);
    (void)ready;
    rt::virtual_platform::set_key_state({});
    rt::input_init();
    rt::set_key_repeat(500, 30);
    rt::pending_error.store(0);
    rt::pause_bits.store(0);
    rt::end_request.store(0);
    rt::mode_toggle_count.store(0);

    Bytes in{data, size};
    std::set<int32_t> down;         // symbols whose key-up has not come
    std::set<uint32_t> characters;  // Unicode values given
    uint32_t now = 0;
    while (in.left > 0) {
        switch (in.take(1) % 6) {
            case 0:
            case 1: {  // a key goes down, with the character it types or none
                const int32_t symbol = int32_t(in.take(2) % SDLK_LAST);
                const uint32_t unicode = in.take(1) % 2 ? in.take(2) : 0;
                rt::translate_key_down(symbol, unicode);
                rt::key_repeat_down(symbol, unicode, now);
                down.insert(symbol);
                characters.insert(unicode);
                break;
            }
            case 2: {  // a key goes up: one that is down, or any
                const uint32_t pick = in.take(2);
                int32_t symbol = int32_t(pick % SDLK_LAST);
                if (!down.empty() && pick % 4 != 0) {
                    auto it = down.begin();
                    std::advance(it, pick % down.size());
                    symbol = *it;
                }
                rt::translate_key_up(symbol);
                rt::key_repeat_up(symbol);
                down.erase(symbol);
                break;
            }
            case 3: {  // time passes; a held key may repeat
                now += in.take(1) * 4;
                int32_t symbol = 0;
                uint32_t unicode = 0;
                if (rt::key_repeat_due(now, symbol, unicode)) rt::translate_key_down(symbol, unicode);
                break;
            }
            case 4: {  // the program thread asks
                const uint32_t what = in.take(1);
                if (what % 3 == 0) drain();
                else if (what % 3 == 1) {
                    rt::StrVal* key = rt::inkey();
                    FUZZ_CHECK(key->length <= 2);
                    rt::release_temporaries(rt::step_mark, 0);
                } else {
                    // A code of each kind: typed, extended, by symbol, keypad, any.
                    const uint32_t n = in.take(2);
                    const int32_t codes[] = {int32_t(n % 256), int32_t(n % 256) * 256,
                                             rt::symbol_base + int32_t(n % (SDLK_LAST + 16)),
                                             rt::code_pad_navigation + int32_t(n % 14), int32_t(in.take(4) >> 1)};
                    const int32_t code = codes[what / 3 % 5];
                    const int32_t answer = rt::key_down(code);
                    if (code <= 0) {
                        FUZZ_CHECK(answer == 0 && rt::pending_error.load() == 5);
                        rt::pending_error.store(0);
                    } else {
                        FUZZ_CHECK(answer == 0 || answer == -1);
                        if (rt::key_held(code)) FUZZ_CHECK(answer == -1);
                    }
                }
                break;
            }
            case 5: {  // the system's lock toggles change
                const uint32_t bits = in.take(1);
                rt::platform::KeyState state;
                state.caps_lock = bits & 1;
                state.num_lock = bits & 2;
                state.scroll_lock = bits & 4;
                rt::virtual_platform::set_key_state(state);
                rt::sync_lock_keys(false);
                break;
            }
        }
        FUZZ_CHECK(rt::typed_key_count() <= 15);
    }

    // Every key up, every toggle off: nothing may stay held.
    for (int32_t symbol : down) rt::translate_key_up(symbol);
    rt::virtual_platform::set_key_state({});
    rt::sync_lock_keys(false);
    for (int32_t code = 0; code < 0x10000; code += code < 256 ? 1 : 256) FUZZ_CHECK(!rt::key_held(code));
    for (int32_t code = rt::symbol_base; code < rt::symbol_base + SDLK_LAST + 16; ++code)
        FUZZ_CHECK(!rt::key_held(code));
    for (int32_t code = rt::code_pad_navigation; code <= rt::code_zero; ++code) FUZZ_CHECK(!rt::key_held(code));
    for (uint32_t u : characters) FUZZ_CHECK(!rt::key_held(int32_t(u) | rt::code_unicode_flag));
    drain();
    return 0;
}

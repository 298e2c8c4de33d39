// Keys that reach the host: SDL key events pushed into the running program are
// taken by the display thread, and Pause, Break and Alt+Enter act on the game
// routine and the display. Each case runs in a child process.
#include <gtest/gtest.h>

#include <SDL.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "runtime/graphics/graphics.h"
#include "runtime/host/host.h"
#include "runtime/host/step.h"
#include "runtime/input/input.h"
#include "runtime/platform/clock.h"
#include "tests/ending.h"

namespace {

using namespace std::chrono_literals;
using namespace test_support;

using InputHostDeathTest = EndingTest;

TEST_F(InputHostDeathTest, PauseHoldsTheGameUntilAnotherKey) {
    EXPECT_CLEAN_END(
        {
            run([] {
                start_helper([] {
                    push_key(true, SDLK_PAUSE);
                    push_key(false, SDLK_PAUSE);
                    if (!eventually([] { return rt::pause_bits.load() == 1; })) std::_Exit(3);
                    std::this_thread::sleep_for(50ms);  // the step in progress ends
                    const int64_t held_at = steps_run.load();
                    std::this_thread::sleep_for(300ms);
                    if (steps_run.load() != held_at) std::_Exit(4);
                    std::fprintf(stderr, "held\n");

                    push_key(true, SDLK_x, 'x');
                    if (!eventually([&] { return steps_run.load() > held_at + 20; })) std::_Exit(5);
                    std::fprintf(stderr, "resumed, held %d, typed %d\n", -rt::key_down('x'),
                                 rt::typed_key_count());
                    rt::end_request.store(1);
                });
                idle_steps();
            });
        },
        "held\nresumed, held 1, typed 0\n");
}

TEST_F(InputHostDeathTest, AFloodThatOverflowsTheEventQueueLeavesNoKeyHeld) {
#ifdef _WIN32
    // Under Wine the flood is sometimes taken in passes too short to show the
    // overflow (seen once in 5 CI runs); the re-sync is the same code on every
    // system and is tested here on Linux.
    GTEST_SKIP() << "the flood's passes are not reliable under Wine";
#endif
    EXPECT_CLEAN_END(
        {
            run([] {
                start_helper([] {
                    // Far more events than the queue holds, added in one call that
                    // the display thread cannot interleave with: the queue fills and
                    // the rest, key-ups among them, are dropped, however fast the
                    // display thread takes events on this machine. SDL's own key state
                    // (never set by pushed events) says every key is up.
                    const SDLKey keys[] = {SDLK_LEFT, SDLK_RIGHT, SDLK_a, SDLK_q, SDLK_SPACE, SDLK_LSHIFT};
                    std::vector<SDL_Event> flood;
                    for (int round = 0; round < 200; ++round)
                        for (SDLKey k : keys)
                            for (bool down : {true, false}) {
                                SDL_Event e{};
                                e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
                                e.key.keysym.sym = k;
                                flood.push_back(e);
                            }
                    const int added = SDL_PeepEvents(flood.data(), int(flood.size()), SDL_ADDEVENT, 0);
                    if (added <= 0 || added >= int(flood.size())) std::_Exit(3);  // no overflow: no test
                    if (!eventually([] { return rt::held_key_count() == 0; })) std::_Exit(4);
                    std::this_thread::sleep_for(100ms);
                    std::fprintf(stderr, "held %d, left %d\n", rt::held_key_count(), -rt::key_down(rt::key_left));
                    rt::end_request.store(1);
                });
                idle_steps();
            });
        },
        "held 0, left 0\n");
}

TEST_F(InputHostDeathTest, BreakEndsTheProcessWithExitCodeZero) {
    EXPECT_CLEAN_END(
        {
            run([] {
                push_key(true, SDLK_BREAK);
                idle_steps();
            });
        },
        "");
}

TEST_F(InputHostDeathTest, AltEnterReachesTheDisplayUpdate) {
    EXPECT_CLEAN_END(
        {
            run([] {
                page_on_screen();
                // From now on only this thread runs the display update.
                rt::step(3, [] { rt::display_now(); });
                push_key(true, SDLK_LALT);
                push_key(true, SDLK_RETURN, 13);
                rt::step(4, [] {
                    if (!eventually([] { return rt::mode_toggle_count.load() == 1; })) std::_Exit(3);
                    std::fprintf(stderr, "counted %d typed %d\n", rt::mode_toggle_count.load(),
                                 rt::typed_key_count());
                });
                // The frame handed over takes the press with it.
                rt::step(5, [] { rt::display_now(); });
                rt::step(6, [] {
                    eventually([] { return rt::mode_toggle_count.load() == 0; });
                    std::fprintf(stderr, "served %d\n", rt::mode_toggle_count.load());
                    rt::end_request.store(1);
                });
                idle_steps();
            });
        },
        "counted 1 typed 0\nserved 0\n");
}

// A pad's hat, stick and buttons held and let go, as SDL sends them: the keys
// they stand for are held and typed as the keyboard's would be, and a stick
// inside a third of its travel holds nothing.
TEST_F(InputHostDeathTest, GamepadEventsAreTheKeysTheyStandFor) {
    EXPECT_CLEAN_END(
        {
            run([] {
                start_helper([] {
                    auto push = [](SDL_Event e) { SDL_PushEvent(&e); };
                    auto hat = [&](Uint8 v) { SDL_Event e{}; e.type = SDL_JOYHATMOTION; e.jhat.value = v; push(e); };
                    auto axis = [&](Uint8 a, Sint16 v) { SDL_Event e{}; e.type = SDL_JOYAXISMOTION; e.jaxis.axis = a; e.jaxis.value = v; push(e); };
                    auto button = [&](Uint8 b, bool down) {
                        SDL_Event e{};
                        e.type = down ? SDL_JOYBUTTONDOWN : SDL_JOYBUTTONUP;
                        e.jbutton.button = b;
                        e.jbutton.state = down ? SDL_PRESSED : SDL_RELEASED;
                        push(e);
                    };
                    auto held = [] {
                        return std::to_string(-rt::key_down(rt::key_left)) + std::to_string(-rt::key_down(rt::key_right)) +
                               std::to_string(-rt::key_down(' ')) + std::to_string(-rt::key_down('q'));
                    };
                    hat(SDL_HAT_LEFTUP);
                    axis(0, 20000);  // the stick right while the hat holds left
                    axis(1, 5000);   // within a third: nothing
                    button(0, true);
                    button(6, true);  // Back: Q held
                    if (!eventually([] { return rt::key_down(' ') != 0 && rt::key_down('q') != 0; })) std::_Exit(3);
                    std::fprintf(stderr, "held %s\n", held().c_str());
                    hat(SDL_HAT_CENTERED);
                    axis(0, -3000);
                    button(0, false);
                    button(6, false);
                    button(3, true);  // Y stands for nothing
                    if (!eventually([] { return rt::key_down(' ') == 0 && rt::key_down('q') == 0; })) std::_Exit(4);
                    std::fprintf(stderr, "after %s, held keys %d\n", held().c_str(), rt::held_key_count());
                    rt::end_request.store(1);
                });
                idle_steps();
            });
        },
        "held 1111\nafter 0000, held keys 0\n");
}

}  // namespace

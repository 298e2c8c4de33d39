// The host driven as the game drives it: a routine runs behind the statement hook
// on the program thread, the display thread presents and takes events, and the
// process ends through the orderly shutdown. Each case runs in a child process.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "runtime/graphics/graphics.h"
#include "runtime/host/host.h"
#include "runtime/host/host_internal.h"
#include "runtime/host/step.h"
#include "runtime/input/input.h"
#include "runtime/platform/clock.h"
#include "runtime/platform/dialogs.h"
#include "runtime/platform/wait.h"
#include "runtime/platform/virtual/virtual.h"
#include "runtime/text/text.h"
#include "tests/ending.h"

namespace {

using namespace test_support;

// The display thread and the program thread hand every frame over through a
// word: a wake must never be lost, or a frame would wait for the time-out.
// Here two threads pass a turn back and forth while a third waits on a word of
// its own, sharing nothing but the wait machinery.
TEST(WordWait, NoHandOverWaitsForItsTimeOut) {
    std::atomic<int32_t> turn{0}, unrelated{0};
    std::atomic<bool> done{false};
    std::thread bystander([&] {
        while (!done.load()) rt::platform::wait_on_word(unrelated, 0, 50);
    });
    constexpr int32_t rounds = 20000;
    uint64_t longest = 0;
    std::thread other([&] {
        for (int32_t i = 0; i < rounds; ++i) {
            while (turn.load() != 2 * i + 1) rt::platform::wait_on_word(turn, 2 * i, 5000);
            turn.store(2 * i + 2);
            rt::platform::wake_word_waiters(turn);
        }
    });
    for (int32_t i = 0; i < rounds; ++i) {
        const uint64_t start = rt::platform::wait_clock_ms();
        turn.store(2 * i + 1);
        rt::platform::wake_word_waiters(turn);
        while (turn.load() != 2 * i + 2) rt::platform::wait_on_word(turn, 2 * i + 1, 5000);
        longest = std::max(longest, rt::platform::wait_clock_ms() - start);
    }
    other.join();
    done.store(true);
    bystander.join();
    EXPECT_LT(longest, 2500u);  // a lost wake-up waits the full 5 s
}

TEST(HostFolder, ProgramFolderRule) {
    EXPECT_EQ(rt::folder_of("/usr/games/supervivedas"), "/usr/games");
    EXPECT_EQ(rt::folder_of("C:\\games\\sv.exe"), "C:\\games");
    EXPECT_EQ(rt::folder_of("C:sv.exe"), "C:");
    EXPECT_EQ(rt::folder_of("/sv"), "");
    EXPECT_EQ(rt::folder_of("sv"), "");
}

// The player's options and their variables: what each gives, that an option
// wins over its variable, what goes on to the game, and the exit codes of
// help, version and a wrong option or value.
TEST(HostOptions, OptionsVariablesAndExitCodes) {
    struct Case {
        std::vector<const char*> args;
        const char *display, *scale;
        int code;
        rt::Look look;
        rt::StartScreen start;
        const char* rest;
    };
    using L = rt::Look;
    using S = rt::StartScreen;
    const Case cases[] = {
        {{}, nullptr, nullptr, -1, L::sharp, S::as_asked, ""},
        {{"--window", "--scale=pixel"}, nullptr, nullptr, -1, L::pixel, S::window, ""},
        {{"-f", "--scale", "stretch", "level2"}, "window", "original", -1, L::stretch, S::full_screen, "level2"},
        {{}, "window", "original", -1, L::original, S::window, ""},
        {{"--", "--window"}, nullptr, nullptr, -1, L::sharp, S::as_asked, "--window"},
        {{"--scale=blurry"}, nullptr, nullptr, 2, L::sharp, S::as_asked, ""},
        {{"--scale"}, nullptr, nullptr, 2, L::sharp, S::as_asked, ""},
        {{"--colour"}, nullptr, nullptr, 2, L::sharp, S::as_asked, ""},
        {{}, "sideways", nullptr, 2, L::sharp, S::as_asked, ""},
        {{"--help"}, nullptr, nullptr, 0, L::sharp, S::as_asked, ""},
        {{"-v"}, nullptr, nullptr, 0, L::sharp, S::as_asked, ""},
    };
    for (const Case& c : cases) {
        std::vector<char*> argv{const_cast<char*>("supervivedas")};
        for (const char* a : c.args) argv.push_back(const_cast<char*>(a));
        setenv("SUPERVIVEDAS_DISPLAY", c.display ? c.display : "", 1);  // empty is unset
        setenv("SUPERVIVEDAS_SCALE", c.scale ? c.scale : "", 1);
        rt::ScreenChoice choice;
        std::string rest;
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        const int code = rt::read_options(int(argv.size()), argv.data(), choice, rest);
        const std::string out = testing::internal::GetCapturedStdout(), err = testing::internal::GetCapturedStderr();
        const std::string what = c.args.empty() ? "(no options)" : c.args[0];
        EXPECT_EQ(code, c.code) << what;
        if (code == 2) { EXPECT_TRUE(err.find("supervivedas: ") == 0 && std::count(err.begin(), err.end(), '\n') == 1) << err; }
        if (code == 0) { EXPECT_NE(out.find(what == "--help" ? "--scale=LOOK" : "supervivedas 1."), std::string::npos) << out; }
        if (code != -1) continue;
        EXPECT_EQ(choice.look, c.look) << what;
        EXPECT_EQ(choice.start, c.start) << what;
        EXPECT_EQ(rest, c.rest) << what;
    }
    setenv("SUPERVIVEDAS_DISPLAY", "", 1);
    setenv("SUPERVIVEDAS_SCALE", "", 1);
}

using HostDeathTest = EndingTest;

TEST_F(HostDeathTest, ErrorReportNamesTheStepAndYesGoesOnWithTheNextStep) {
    EXPECT_END_AFTER_BOX(
        {
            rt::virtual_platform::push_answer(rt::platform::Answer::yes);
            run([] {
                rt::step(7, [] { rt::raise_error(5); });
                rt::step(8, [] { std::fprintf(stderr, "reached step 8\n"); });
                rt::step(9, [] {
                    rt::end_request.store(1);
                    rt::stop_program_thread();
                });
            });
        },
        "\\[box\\] Unhandled Error #5\nLine:7\nIllegal function call\nContinue\\?\n(.|\n)*reached step 8");
}

TEST_F(HostDeathTest, NoEndsTheProgramWithExitCodeZero) {
    EXPECT_END_AFTER_BOX(
        {
            rt::virtual_platform::push_answer(rt::platform::Answer::no);
            run([] {
                rt::step(7, [] { rt::raise_error(9); });
                rt::step(8, [] { std::_Exit(3); });  // must never run
                idle_steps();
            });
        },
        "Unhandled Error #9\nLine:7\nSubscript out of range");
}

TEST_F(HostDeathTest, TwoErrorsInOneStepReportOnlyTheFirst) {
    EXPECT_END_AFTER_BOX(
        {
            run([] {
                rt::step(12, [] {
                    rt::raise_error(9);
                    rt::raise_error(5);
                });
                idle_steps();
            });
        },
        "Unhandled Error #9\nLine:12\nSubscript out of range");
}

TEST_F(HostDeathTest, WindowCloseEndsTheProcessAtTheNextStep) {
    EXPECT_CLEAN_END(
        {
            run([] {
                push_quit();
                idle_steps();
            });
        },
        "");
}

TEST_F(HostDeathTest, EndRequestFromAnotherThreadEndsTheProcess) {
    EXPECT_CLEAN_END(
        {
            run([] {
                start_helper([] {
                    std::this_thread::sleep_for(std::chrono::milliseconds(50));
                    rt::end_request.store(1);
                });
                idle_steps();
            });
        },
        "");
}

TEST_F(HostDeathTest, CriticalErrorOnTheProgramThreadEndsTheProcessCleanly) {
    // The exit handlers shut SDL down: they must run on the display thread,
    // not beside it while it presents.
    EXPECT_END_AFTER_BOX(
        {
            run([] {
                page_on_screen();
                for (int i = 0; i < 5; ++i) rt::step(3, [] { rt::platform::sleep_ms(20); });
                rt::step(4, [] { rt::raise_error(502); });
                std::_Exit(3);  // must never run
            });
        },
        "\\[box\\] Critical Error #2\nOut of memory");
}

TEST_F(HostDeathTest, SdlStartFailurePrintsItsLineAndExitsWith100) {
    EXPECT_EXIT(
        {
            setenv("SDL_VIDEODRIVER", "no-such-driver", 1);
            run([] {});
        },
        ::testing::ExitedWithCode(100), "Unable to init SDL: ");
}

TEST_F(HostDeathTest, EndProgramPromptsOnTheBottomRowAndEndsOnAKey) {
    EXPECT_CLEAN_END(
        {
            run([] {
                page_on_screen();
                rt::step(3, [] { rt::display_now(); });
                start_helper([] {
                    // Keys typed before the prompt's wait are thrown away: the wait
                    // has begun once presentation is handed back to the display
                    // thread, and the prompt is drawn by then, in the foreground
                    // colour on row 37. A key goes in either way, so that a missing
                    // prompt fails the test instead of hanging it.
                    while (rt::auto_display.load() != rt::AutoDisplay::on && !helper_stopping.load())
                        std::this_thread::sleep_for(std::chrono::milliseconds(1));
                    const rt::Image& img = rt::image(rt::display_page);
                    int lit = 0;
                    for (int y = 576; y < 592; ++y)
                        for (int x = 0; x < 200; ++x) lit += img.pixels[y * 800 + x] == 15;
                    if (lit > 50) std::fprintf(stderr, "prompt drawn\n");
                    while (!helper_stopping.load()) {
                        rt::key_press(32);
                        rt::key_release(32);
                        std::this_thread::sleep_for(std::chrono::milliseconds(100));
                    }
                });
                rt::step(4, [] { rt::end_program(); });
            });
        },
        "prompt drawn");
}

TEST_F(HostDeathTest, RandomizeWithoutASeedReadsItFromTheKeyboard) {
    EXPECT_CLEAN_END(
        {
            run([] {
                page_on_screen();
                start_helper([] {
                    // Out of range first: asked again; then -5.
                    for (int32_t code : std::initializer_list<int32_t>{'4', '0', '0', '0', '0', 13, '-', '5', 13}) {
                        std::this_thread::sleep_for(std::chrono::milliseconds(5));
                        rt::key_press(code);
                        rt::key_release(code);
                    }
                });
                rt::random_state = 0x123456;
                rt::step(3, [] { rt::randomize_prompt(); });
                std::fprintf(stderr, "state %06X\n", unsigned(rt::random_state));
                rt::end_request.store(1);
                rt::stop_program_thread();
            });
        },
        "state FFFB56");
}

}  // namespace

// A stage-1 race driven by a script: countdown, wheel, spinnaker, clock, pause, Q.
#include <gtest/gtest.h>

#include <thread>

#include "tests/replay/runner.h"

using runner::run;

namespace {

// Frame 13 is the first race frame after a space typed on the title at frame 10.
constexpr int first_race_frame = 13;

int differing_pixels(const runner::Picture& a, const runner::Picture& b, int x0, int y0, int x1, int y1) {
    int n = 0;
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) n += a.at(x, y) != b.at(x, y);
    return n;
}

bool same_block(const runner::Picture& a, const runner::Picture& b, int x0, int y0, int x1, int y1) {
    return differing_pixels(a, b, x0, y0, x1, y1) == 0;
}

}  // namespace

TEST(ReplayRaceStart, CountdownPicturesThenTheStart) {
    const int f299 = first_race_frame, f151 = f299 + 148, f150 = f151 + 1, f26 = f150 + 124, f25 = f26 + 1;
    const int f0 = f25 + 25, after = f0 + 1;
    std::string frames;
    for (int f : {f299, f151, f150, f26, f25, f0, after}) frames += std::to_string(f) + ",";
    frames.pop_back();
    auto r = run("10 type space\n", {"--frames", std::to_string(after + 1), "--png", frames});
    ASSERT_TRUE(r.ended_cleanly()) << r.errors;
    EXPECT_EQ(r.at(f299)->var("start_countdown"), 299);
    EXPECT_EQ(r.at(f150)->var("start_countdown"), 150);
    EXPECT_EQ(r.at(f25)->var("start_countdown"), 25);
    EXPECT_EQ(r.at(f0)->var("start_countdown"), 0);
    auto block = [&](int a, int b) { return same_block(r.picture(a), r.picture(b), 432, 62, 470, 80); };
    EXPECT_TRUE(block(f299, f151));
    EXPECT_FALSE(block(f151, f150));
    EXPECT_TRUE(block(f150, f26));
    EXPECT_FALSE(block(f26, f25));
    EXPECT_TRUE(block(f25, f0));
    EXPECT_FALSE(block(f0, after));  // no countdown picture once it reached 0
    // The boats and the clock start in the frame after the countdown reached 0.
    EXPECT_EQ(r.at(f0)->var("boat_x", 2), 360);
    EXPECT_EQ(r.at(f0)->var("race_seconds"), 0);
    EXPECT_GT(r.at(after)->var("boat_x", 2), 360);
    EXPECT_EQ(static_cast<float>(r.at(after)->var("race_seconds")), 1.0f / 60);
}

TEST(ReplayRaceKeys, WheelAndSpinnakerChangeTheYacht) {
    auto r = run("10 type space\n20 press right\n80 release right\n100 type space\n120 press left\n122 release left\n",
                 {"--frames", "125", "--png", "99,100,101"});
    ASSERT_TRUE(r.ended_cleanly()) << r.errors;
    EXPECT_EQ(r.at(14)->var("player_heading"), 360);  // the set-up's 0, no key held
    EXPECT_EQ(r.at(21)->var("player_heading"), 1);   // 360 + 1 wraps to 1
    EXPECT_EQ(r.at(81)->var("player_heading"), 60);
    EXPECT_EQ(r.at(100)->var("boat_sail_factor", 1), 1);
    EXPECT_EQ(r.at(101)->var("boat_sail_factor", 1), 7);
    EXPECT_EQ(r.at(123)->var("player_heading"), 58);
    // The yacht's sprite shows the spinnaker. It waits for the start, so from frame
    // to frame only the foam of the wakes around it moves.
    int x = int(r.at(100)->var("boat_x", 1)), y = int(r.at(100)->var("boat_y", 1));
    EXPECT_LT(differing_pixels(r.picture(99), r.picture(100), x - 20, y - 40, x + 19, y - 1), 60);
    EXPECT_GT(differing_pixels(r.picture(100), r.picture(101), x - 20, y - 40, x + 19, y - 1), 150);
}

TEST(ReplayRaceClock, MinuteOnThe3601stFrameAndTextWithoutLeadingZeros) {
    const int first_counted = first_race_frame + 300;
    const int shot = first_counted + 3601 + 300;
    auto r = run("10 type space\n", {"--frames", std::to_string(shot), "--png", std::to_string(shot)});
    ASSERT_TRUE(r.ended_cleanly()) << r.errors;
    EXPECT_EQ(r.at(first_counted - 1)->var("race_seconds"), 0);
    EXPECT_GT(r.at(first_counted)->var("race_seconds"), 0);
    EXPECT_EQ(r.at(first_counted + 3599)->var("race_minutes"), 0);
    EXPECT_EQ(r.at(first_counted + 3600)->var("race_minutes"), 1);
    EXPECT_EQ(r.at(first_counted + 3600)->var("race_seconds"), 0);
    EXPECT_EQ(r.at(shot)->var("race_minutes"), 1);
    EXPECT_TRUE(r.picture(shot).contains_text(1, 45, " 1' 5", 15));
}

TEST(ReplayRacePause, SwallowsKeysUntilSpaceAndPresentsNothing) {
    auto r = run("10 type space\n400 type p\n400 type a\n400 type b\n400 type space\n400 type c\n",
                 {"--frames", "403"});
    ASSERT_TRUE(r.ended_cleanly()) << r.errors;
    EXPECT_EQ(r.at(401)->vars["key_text"].text(), "p");
    EXPECT_EQ(r.at(402)->vars["key_text"].text(), "c");
    EXPECT_EQ(r.at(402)->var("boat_sail_factor", 1), 1);  // the space only ended the pause
    EXPECT_LE(r.at(401)->ticks - r.at(400)->ticks, 17u);  // one frame, no time paused
}

TEST(ReplayRaceQuit, QEndsTheProgramWithThePromptOnTheBottomRow) {
    auto r = run("10 type space\n400 press q\nend type space\n", {"--png", "end"});
    EXPECT_TRUE(r.ended_cleanly()) << r.errors;
    EXPECT_EQ(r.frames.back().frame, 400);
    EXPECT_EQ(r.frames.back().screen, "ending");
    EXPECT_TRUE(r.end_picture().shows_text(37, 1, "Press any key to continue", 15));
}

TEST(ReplayDeterminism, SameScriptSameBytesEvenSideBySide) {
    const std::string script = "10 type space\n50 press right\n90 release right\n200 type space\n";
    const std::vector<std::string> args = {"--frames", "700", "--png", "700"};
    runner::Result a, b, c;
    std::thread tb([&] { b = run(script, args); });
    std::thread tc([&] { c = run(script, args); });
    a = run(script, args);
    tb.join();
    tc.join();
    ASSERT_TRUE(a.ended_cleanly());
    EXPECT_EQ(a.json, b.json);
    EXPECT_EQ(a.json, c.json);
    EXPECT_EQ(a.picture(700).index, b.picture(700).index);
    EXPECT_EQ(a.picture(700).index, c.picture(700).index);
    EXPECT_EQ(a.frames.size(), 700u);
}

// The window is updated only where the page changed; whatever the changes, it
// must show the page exactly as a conversion of the whole page would.
TEST(ReplayWindow, ShowsEveryFrameOfTitleIntroductionAndRaceExactly) {
    auto r = run("", {"--autopilot", "win", "--time", "22:00:00", "--frames", "5000", "--check-window"});
    ASSERT_TRUE(r.ended_cleanly()) << r.errors;
    EXPECT_NE(r.errors.find("window checked 5000 frames"), std::string::npos) << r.errors;
    EXPECT_EQ(r.at(5000)->screen, "race");
}

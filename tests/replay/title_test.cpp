// The title screen, as the real game shows it through the replay runner.
#include <gtest/gtest.h>

#include "tests/replay/runner.h"

using runner::run;

namespace {

const std::string prompt = "INSERT COIN (PRESS SPACE)";

std::string frame_list(int from, int to) { return std::to_string(from) + "-" + std::to_string(to); }

}  // namespace

TEST(ReplayTitle, TextScrolledOneRowAndBottomBandCleared) {
    auto r = run("", {"--frames", "260", "--png", frame_list(1, 260)});
    ASSERT_TRUE(r.ended_cleanly()) << r.errors;
    for (int f = 1; f <= 260; ++f) {
        runner::Picture p = r.picture(f);
        // Printed on row 8, seen on row 7 (pixel rows 96-111) after the bottom line scrolls.
        ASSERT_TRUE(p.shows_text(7, 34, "S  U  P  E  R    V  I  V  E  D  A  S", 15)) << f;
        ASSERT_TRUE(p.shows_text(13, 33, "T H E   R E A L   A R C A D E   G A M E", 15)) << f;
        ASSERT_TRUE(p.row_band_is(560, 575, 55)) << f;
        // Hidden 40 frames, shown 80; from then on hidden 39 (the counter restarts at 1).
        bool shown = (f >= 41 && f <= 120) || (f >= 160 && f <= 239);
        ASSERT_EQ(p.shows_text(20, 38, prompt, 15), shown) << f;
        if (!shown) {
            ASSERT_TRUE(p.row_band_is(304, 319, 55)) << f;
        }
    }
    EXPECT_EQ(r.at(120)->var("blink_timer"), 1);
    EXPECT_EQ(r.at(119)->var("blink_timer"), 119);
}

TEST(ReplayTitle, TwoRotatingLinesAtTheBoundsOfTheirRanges) {
    auto r = run("", {"--frames", "1601", "--png", "799,800,801,1199,1200,1201,1599,1600,1601"});
    ASSERT_TRUE(r.ended_cleanly()) << r.errors;
    // Printed on row 33, seen on row 32; a music, a thanks, a web and a keys line.
    const std::string music = "MUSIC AND SOUNDS: TIDE MACHINE", thanks = "THANKS TO ALL WEEKEND SAILORS";
    const std::string web = "WWW.EXAMPLE.ORG", keys = "P = PAUSE   Q = QUIT";
    auto has = [&](int frame, int column, const std::string& line) {
        return r.picture(frame).contains_text(32, column, line, 15);
    };
    EXPECT_TRUE(has(799, 36, music));
    EXPECT_FALSE(has(799, 35, thanks));
    EXPECT_TRUE(has(800, 36, music));
    EXPECT_TRUE(has(800, 35, thanks));
    EXPECT_FALSE(has(801, 36, music));
    EXPECT_TRUE(has(1200, 35, thanks));
    EXPECT_TRUE(has(1200, 42, web));
    EXPECT_FALSE(has(1201, 35, thanks));
    EXPECT_FALSE(has(1599, 40, keys));
    EXPECT_TRUE(has(1600, 42, web));
    EXPECT_TRUE(has(1600, 40, keys));
    EXPECT_TRUE(r.picture(1601).shows_text(32, 40, keys, 15));
}

TEST(ReplayTitle, HoldingQEndsTheProgramAfterAKey) {
    auto r = run("30 type a\n30 press q\n31 type b\nend type x\n", {"--png", "end"});
    EXPECT_TRUE(r.ended_cleanly()) << r.errors;
    ASSERT_FALSE(r.frames.empty());
    EXPECT_EQ(r.frames.back().frame, 30);  // no frame after the one that saw Q
    EXPECT_EQ(r.frames.back().screen, "ending");
    runner::Picture p = r.end_picture();
    EXPECT_TRUE(p.shows_text(37, 1, "Press any key to continue", 15));
    EXPECT_TRUE(p.shows_text(7, 34, "S  U  P  E  R", 15));  // the last picture stays
}

TEST(ReplayTitle, ATypedQReleasedBeforeTheTestDoesNotQuit) {
    auto r = run("30 type q\n31 type Q\n", {"--frames", "60"});
    EXPECT_TRUE(r.ended_cleanly()) << r.errors;
    EXPECT_EQ(r.frames.back().frame, 60);
    EXPECT_EQ(r.frames.back().screen, "title");
    EXPECT_EQ(r.at(31)->vars["key_text"].text(), "q");
    EXPECT_EQ(r.at(32)->vars["key_text"].text(), "Q");
}

TEST(ReplayTitle, OnlyATypedSpaceStartsOneKeyPerFrame) {
    auto r = run("20 type a\n20 type enter\n20 type space\n", {"--frames", "25"});
    ASSERT_TRUE(r.ended_cleanly()) << r.errors;
    EXPECT_EQ(r.at(21)->vars["key_text"].text(), "a");
    EXPECT_EQ(r.at(22)->vars["key_text"].text(), "\r");
    EXPECT_EQ(r.at(22)->screen, "title");
    EXPECT_EQ(r.at(23)->screen, "stage_intro");  // the space was taken in frame 22
    EXPECT_EQ(r.at(23)->var("stage"), 1);
    EXPECT_EQ(r.at(23)->vars["key_text"].text(), " ");
    // A space held down is typed once: it starts the game and nothing more.
    auto held = run("20 press space\n", {"--frames", "40"});
    EXPECT_EQ(held.at(21)->screen, "stage_intro");
    EXPECT_EQ(held.at(40)->screen, "race");
    EXPECT_EQ(held.at(40)->var("boat_sail_factor", 1), 1);
}

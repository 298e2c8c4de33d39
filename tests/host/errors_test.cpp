#include <gtest/gtest.h>

#include "runtime/host/host.h"
#include "runtime/platform/virtual/virtual.h"
#include "tests/headless.h"

namespace {

void clear_error() {
    rt::pending_error.store(0);
    rt::attention_flag.store(0);
}

TEST(RuntimeErrors, MessagesAndUnknownNumbers) {
    EXPECT_STREQ(rt::error_message(5), "Illegal function call");
    EXPECT_STREQ(rt::error_message(9), "Subscript out of range");
    EXPECT_STREQ(rt::error_message(4), "Out of DATA");
    EXPECT_STREQ(rt::error_message(76), "Path not found");
    EXPECT_STREQ(rt::error_message(258), "Invalid handle");
    EXPECT_STREQ(rt::error_message(15), "Unprintable error");
    EXPECT_STREQ(rt::error_message(0), "Unprintable error");
    EXPECT_STREQ(rt::error_message(77), "Unprintable error");
}

TEST(RuntimeErrors, ReportTextAndCaption) {
    EXPECT_EQ(rt::error_report_text(5, 162), "Line:162\nIllegal function call\nContinue?");
    EXPECT_EQ(rt::error_report_caption(5), "Unhandled Error #5");
    EXPECT_EQ(rt::error_report_text(15, 3), "Line:3\nUnprintable error\nContinue?");
}

TEST(RuntimeErrors, FirstErrorOfAStepWinsAndLowNumbersBecomeFive) {
    clear_error();
    EXPECT_EQ(rt::raise_error(9), 9);
    EXPECT_EQ(rt::attention_flag.load(), 1);
    EXPECT_EQ(rt::raise_error(5), 9);
    EXPECT_EQ(rt::pending_error.load(), 9);
    clear_error();
    EXPECT_EQ(rt::raise_error(0), 5);
    clear_error();
    EXPECT_EQ(rt::raise_error(-7), 5);
    EXPECT_TRUE(rt::error_pending());
    clear_error();
    EXPECT_FALSE(rt::error_pending());
}

TEST(RuntimeErrors, CriticalCaptions) {
    EXPECT_TRUE(rt::is_critical_error(502));
    EXPECT_TRUE(rt::is_critical_error(517));
    EXPECT_FALSE(rt::is_critical_error(518));
    EXPECT_FALSE(rt::is_critical_error(258));
    EXPECT_EQ(rt::critical_error_caption(256), "Critical Error");
    EXPECT_EQ(rt::critical_error_caption(257), "Critical Error #1");
    EXPECT_EQ(rt::critical_error_caption(502), "Critical Error #2");
    EXPECT_EQ(rt::critical_error_caption(517), "Critical Error #17");
    EXPECT_EQ(rt::critical_error_text(512), "Out of memory");
    EXPECT_EQ(rt::critical_error_text(259), "Cannot find dynamic library file");
    EXPECT_EQ(rt::critical_error_text(260), "Sub/Function does not exist in dynamic library");
}

TEST(RuntimeErrorsDeathTest, CriticalErrorShowsItsBoxAndExitsWithZero) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_END_AFTER_BOX(rt::raise_error(504), "Critical Error #4\nOut of memory");
    EXPECT_END_AFTER_BOX(rt::raise_error(256), "Critical Error\nOut of stack space");
}

}  // namespace

#include <gtest/gtest.h>

#include <string>

#include "core/console.h"
#include "fakes/fakes.h"

TEST(Console, KeepsTheLastFourLines) {
    TConsole c;
    c.Add("one", 2, 1000);
    c.Add("two", 255, 1001);
    c.Add("three", -1, 1002);
    c.Add("four", 0, 1003);
    ASSERT_EQ(c.Count, 4);
    EXPECT_EQ(c.Lines[0].Text, "one");
    EXPECT_EQ(c.Lines[0].Owner, 2);
    EXPECT_EQ(c.Lines[1].Owner, -1); // 255: nobody
    EXPECT_EQ(c.Lines[2].Owner, -1);
    EXPECT_EQ(c.Lines[3].Owner, 0);

    // A fifth line pushes out the oldest although it has not expired.
    c.Add("five", 3, 1004);
    ASSERT_EQ(c.Count, 4);
    EXPECT_EQ(c.Lines[0].Text, "two");
    EXPECT_EQ(c.Lines[0].Owner, -1);
    EXPECT_EQ(c.Lines[0].Expiry, 6001);
    EXPECT_EQ(c.Lines[3].Text, "five");
    EXPECT_EQ(c.Lines[3].Owner, 3);
    EXPECT_EQ(c.Lines[3].Expiry, 6004);
    c.Add("six", 1, 1005);
    EXPECT_EQ(c.Lines[0].Text, "three");
    EXPECT_EQ(c.Lines[1].Text, "four");
    EXPECT_EQ(c.Lines[2].Text, "five");
    EXPECT_EQ(c.Lines[3].Text, "six");

    c.Clear();
    EXPECT_EQ(c.Count, 0);
    c.Add("again", 4, 2000);
    ASSERT_EQ(c.Count, 1);
    EXPECT_EQ(c.Lines[0].Text, "again");
}

TEST(Console, LinesFadeFiveSecondsAfterTheyCame) {
    TConsole c;
    c.Add("early", -1, 1000);
    c.Add("middle", -1, 2000);
    c.Add("late", -1, 3000);
    EXPECT_EQ(c.Lines[0].Expiry, 6000);

    c.Age(6000);
    EXPECT_EQ(c.Count, 3); // still in its last millisecond
    c.Age(6001);
    ASSERT_EQ(c.Count, 2);
    EXPECT_EQ(c.Lines[0].Text, "middle");
    EXPECT_EQ(c.Lines[1].Text, "late");

    // A long pause takes several at once and keeps the rest in order.
    c.Add("newest", 5, 4000);
    c.Age(8500);
    ASSERT_EQ(c.Count, 1);
    EXPECT_EQ(c.Lines[0].Text, "newest");
    EXPECT_EQ(c.Lines[0].Owner, 5);
    c.Age(9001);
    EXPECT_EQ(c.Count, 0);
    c.Age(20000);
    EXPECT_EQ(c.Count, 0);
}

TEST(Console, GameLinesGoToTheConsoleAndTheUi) {
    TestRig rig;
    Game& g = rig.g();
    g.TickNow = 50000;
    ConsoleLine(g, "Red team scores", 255);
    ConsoleLine(g, "hello", 3);
    ASSERT_EQ(g.Console.Count, 2);
    EXPECT_EQ(g.Console.Lines[0].Text, "Red team scores");
    EXPECT_EQ(g.Console.Lines[0].Owner, -1);
    EXPECT_EQ(g.Console.Lines[0].Expiry, 55000);
    EXPECT_EQ(g.Console.Lines[1].Owner, 3);
    ASSERT_EQ(rig.TheUi.Console.size(), 2u);
    EXPECT_EQ(rig.TheUi.Console[0], "Red team scores");
    EXPECT_EQ(rig.TheUi.Console[1], "hello");
}

#include "mainwin/view/frame_pacer.h"

#include <gtest/gtest.h>

TEST(FramePacer, FramesFollowNinetyMsFromTheLastStartAndThreeTimesItsDuration) {
  struct Case {
    double frame_ms;  // duration of the frame drawn from t = 0
    double at;        // time asked, from the frame's start
    bool due;
  };
  const Case cases[] = {
      {3, 89.9, false}, {3, 90, true},     // a quick frame: the period
      {17, 89.9, false}, {17, 90, true},   // a usual frame keeps the period too
      {40, 159.9, false}, {40, 160, true}, // a slow frame: three times its duration after it
      {0, 90, true},
  };
  for (const Case& c : cases) {
    FramePacer p;
    EXPECT_TRUE(p.due(0));
    p.drawn(0, c.frame_ms);
    EXPECT_EQ(p.due(c.at), c.due) << c.frame_ms << " " << c.at;
  }
}

TEST(FramePacer, ANewLoopDrawsAtOnce) {
  FramePacer p;
  p.drawn(100, 200);
  EXPECT_FALSE(p.due(210));
  p.reset();
  EXPECT_TRUE(p.due(210));
}

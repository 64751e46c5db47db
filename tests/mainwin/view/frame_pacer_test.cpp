#include "mainwin/view/frame_pacer.h"

#include <gtest/gtest.h>

TEST(FramePacer, FramesWaitFortyMsAndThreeTimesTheLastFrame) {
  struct Case {
    double frame_ms;  // duration of the frame drawn from t = 0
    double at;        // time asked, after the frame ended
    bool due;
  };
  const Case cases[] = {
      {3, 39.9, false}, {3, 40, true},     // a quick frame: the 40 ms gap
      {20, 59.9, false}, {20, 60, true},   // a slow frame: three times its duration
      {0, 40, true},
  };
  for (const Case& c : cases) {
    FramePacer p;
    EXPECT_TRUE(p.due(0));
    p.drawn(0, c.frame_ms);
    EXPECT_EQ(p.due(c.frame_ms + c.at), c.due) << c.frame_ms << " " << c.at;
  }
}

TEST(FramePacer, ANewLoopDrawsAtOnce) {
  FramePacer p;
  p.drawn(100, 200);
  EXPECT_FALSE(p.due(210));
  p.reset();
  EXPECT_TRUE(p.due(210));
}

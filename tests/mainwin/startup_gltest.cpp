#include <gtest/gtest.h>

#include <QTest>

#include "mainwin/velmor_1.h"
#include "platform/qt/qtext.h"

TEST(VelmorStartup, ShowsTheMainWindowWithItsViewAndCloses) {
  auto* w = new Tvelmor;
  w->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
  EXPECT_EQ(plat::from_qstring(w->windowTitle()), "Velmor_PRO Version 2.14 ");
  ASSERT_TRUE(QTest::qWaitForWindowExposed(w->gpnl()->gl_window()));
  QTest::qWait(50);
  EXPECT_TRUE(w->view_surface().is_open());
  EXPECT_TRUE(w->close());
  EXPECT_FALSE(w->view_surface().is_open());
  delete w;
}

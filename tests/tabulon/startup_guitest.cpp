#include <gtest/gtest.h>

#include <QTest>

#include "platform/qt/qtext.h"
#include "tabulon/tabulon_1.h"

TEST(TabulonStartup, ShowsItsWindowAndCloses) {
  TTabulon_main w;
  w.show();
  EXPECT_TRUE(QTest::qWaitForWindowExposed(&w));
  EXPECT_EQ(plat::from_qstring(w.windowTitle()), "Tabulon Version 1.01 ");
  EXPECT_TRUE(w.close());
}

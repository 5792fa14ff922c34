#include <gtest/gtest.h>

#include "TestSupport.h"

TEST(Binary, Runs) {
  testsupport::TempDir d;
  auto r = testsupport::runSelvantrix({}, d.path());
  EXPECT_NE(r.status, 0);
}

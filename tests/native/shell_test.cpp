#include <gtest/gtest.h>

#include "platform/fake/fake_platform.h"
#include "shell/app.h"

using namespace kestrive;

TEST(Smoke, StartShowsTitle) {
  fake::FakePlatform f;
  App app(f.platform);
  app.start();
  ASSERT_NE(app.find("frm_first"), nullptr);
  EXPECT_EQ(app.find("frm_first")->title, "Kestrive v3.0");
}

// The window tests run off screen unless a platform is chosen.
#include <clocale>

#include <gtest/gtest.h>

#include "ui/program.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  ternavo::TernavoApplication application(argc, argv);
  ternavo::InitialiseApplication();
  // Expected numbers below are written with a decimal point.
  std::setlocale(LC_NUMERIC, "C");
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

#include <clocale>

#include <gtest/gtest.h>

#include "ui/program.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  ternavo::TernavoApplication application(argc, argv);
  ternavo::InitialiseApplication();
  std::setlocale(LC_NUMERIC, "C");  // expected numbers are written with a decimal point
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

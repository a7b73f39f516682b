#include <clocale>

#include <gtest/gtest.h>

#include <QSettings>
#include <QTemporaryDir>

#include "ui/program.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  ternavo::TernavoApplication application(argc, argv);
  ternavo::InitialiseApplication();
  // The tests' settings live in a folder of their own, never in the user's.
  QTemporaryDir settings;
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings.path());
  std::setlocale(LC_NUMERIC, "C");  // expected numbers are written with a decimal point
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

// Runs the application tests inside a QApplication on the offscreen platform, so that
// widgets, icons and the clipboard work and no window ever appears.
#include "Aplikace.h"

#include <gtest/gtest.h>

int main(int argc, char* argv[]) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  ::testing::InitGoogleTest(&argc, argv);
  kalmetra::TAplikace application(argc, argv);
  return RUN_ALL_TESTS();
}

// The main of every GUI test program: an offscreen application with the
// program's look, then the tests.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "GuiLook.h"

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  gui::ApplyApplicationLook();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

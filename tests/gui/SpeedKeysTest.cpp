// The keys that press the main window's speed buttons, which take no focus:
// each presses its button only while the button is enabled.
#include <gtest/gtest.h>

#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include "GuiSession.h"

namespace {

struct SpeedKey {
  const char* name;
  Qt::Key key;
  bool loggedOn;  // the state the key is pressed in
  QToolButton* gui::TfrmMainExecute::*button;
  bool pressed;
};

class SpeedKeys : public guitest::GuiSession, public ::testing::WithParamInterface<SpeedKey> {};

TEST_P(SpeedKeys, PressTheirButtonOnlyWhenEnabled) {
  const SpeedKey& k = GetParam();
  machine.BuildStandard();
  Open();
  if (k.loggedOn) {
    ClickLogOn();
    ASSERT_TRUE(window->LoggedOn());
  }
  window->show();
  QApplication::setActiveWindow(window.get());
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  QToolButton* button = (*window).*k.button;
  ASSERT_EQ(button->isEnabled(), k.pressed);
  const QString hint = button->toolTip();
  QSignalSpy clicks(button, &QToolButton::clicked);
  QTest::keyClick(window.get(), k.key, Qt::ControlModifier);
  EXPECT_EQ(clicks.count(), k.pressed ? 1 : 0);
  if (k.button == &gui::TfrmMainExecute::sbLogOn)
    EXPECT_EQ(window->LoggedOn(), !k.loggedOn);
  else
    EXPECT_EQ(button->toolTip(), hint);
}

// clang-format off
const SpeedKey kSpeedKeys[] = {
    {"LogOn",            Qt::Key_L, false, &gui::TfrmMainExecute::sbLogOn, true},
    {"LogOff",           Qt::Key_L, true,  &gui::TfrmMainExecute::sbLogOn, true},
    {"Details",          Qt::Key_D, true,  &gui::TfrmMainExecute::sbUSD,   true},
    {"DetailsDisabled",  Qt::Key_D, false, &gui::TfrmMainExecute::sbUSD,   false},
    {"Print",            Qt::Key_P, true,  &gui::TfrmMainExecute::sbPrint, true},
    {"PrintDisabled",    Qt::Key_P, false, &gui::TfrmMainExecute::sbPrint, false},
};
// clang-format on
INSTANTIATE_TEST_SUITE_P(Key, SpeedKeys, ::testing::ValuesIn(kSpeedKeys),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace

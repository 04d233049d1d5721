// A key that presses a button which takes no focus (a speed button), in
// the whole window, only while the button is enabled.
#pragma once

#include <QKeySequence>

class QAbstractButton;

namespace gui {

void PressOnShortcut(QAbstractButton* button, const QKeySequence& keys);

}  // namespace gui

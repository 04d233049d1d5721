// The smallest size of a resizable window that still shows all of it: its
// layout's own minimum, widened to the right edge of every control placed
// at a fixed position on `panels`.
#pragma once

#include <initializer_list>

class QWidget;

namespace gui {

void KeepControlsVisible(QWidget* window, std::initializer_list<const QWidget*> panels);

}  // namespace gui

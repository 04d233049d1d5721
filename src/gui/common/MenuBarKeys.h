// F10 activates a window's menu bar as Alt alone does (the style turns
// that on): the first menu is highlighted and the arrow keys walk the bar.
#pragma once

class QMainWindow;

namespace gui {

void ActivateMenuBarOnF10(QMainWindow* window);

}  // namespace gui

// The keyboard of a report-style list: the cursor moves by whole rows, Tab
// leaves the list for the next control instead of walking its cells, and
// Enter on a row does what a double click does.
#pragma once

#include <functional>

class QTableView;

namespace gui {

// Gives `view` that keyboard; `onEnter` (may be empty) runs on Enter.
void MoveByRows(QTableView* view, std::function<void()> onEnter = {});

}  // namespace gui

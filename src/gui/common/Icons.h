// The program's pictures, drawn here rather than loaded: the speed buttons'
// icons, the program icon and the two sort marks of the mailbox list.
#pragma once

#include <QIcon>
#include <QPixmap>

namespace gui {

QPixmap DetailsIcon();  // 16 x 16: a list under a magnifying glass
QPixmap PrintIcon();    // 16 x 16: a printer
QPixmap ProgramIcon();  // 32 x 32: a letter in front of a bar chart

// The image list `ilMailboxes`: 0 a triangle pointing up (ascending), 1 one
// pointing down (descending), 16 x 16 each.
QPixmap SortMark(int index);

// The details window's image list `ilMailboxes`, 16 x 16 each: 0 a
// mailbox, 1 a folder, 8 a paper clip, 9 a triangle pointing up, 10 one
// pointing down; 2 to 7 are not used and are blank.
QPixmap DetailsImage(int index);

}  // namespace gui

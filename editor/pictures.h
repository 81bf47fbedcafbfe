#pragma once

#include <QIcon>

namespace quillet {

// A picture compiled into the program, by its file name without extension ("COLORYES", "help").
QIcon EditorPicture(const QString& name);
// The picture of the tool image list at `index` (0 open, 1 save, 2 add page, 3 delete, 4 up,
// 5 down, 6 preview, 7 preview open, 8 web page, 9 options shown, 10 options hidden, 11 new).
QIcon ToolPicture(int index);

} // namespace quillet

#pragma once
// The program's own button images, drawn at start.
#include <QIcon>
#include <QSize>

// The image of a command's toolbar button in the given size.
QIcon ToolbarIcon(int commandId, QSize size);
// The program icon.
QIcon ProgramIcon();

#pragma once
// The cursors of the view and of the tool windows, by the resource id the tools name.
#include <QCursor>
#include <cstdint>

// kCursorWait gives the wait cursor, kCursorArrow the arrow (view_input.h).
QCursor LoadToolCursor(int32_t resourceId);

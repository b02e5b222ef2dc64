#include "view/ui/tool_cursors.h"

#include "view/view_input.h"

QCursor LoadToolCursor(int32_t resourceId) {
    switch (resourceId) {
        case kCursorWait:
            return QCursor(Qt::WaitCursor);
        case kCursorArrow:
            return QCursor(Qt::ArrowCursor);
        case 140:  // pan, button down
            return QCursor(Qt::ClosedHandCursor);
        case 1029:  // pan
            return QCursor(Qt::OpenHandCursor);
        default:
            // The zoom box and every picking tool aim with a cross.
            return QCursor(Qt::CrossCursor);
    }
}

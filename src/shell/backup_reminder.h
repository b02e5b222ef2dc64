#pragma once
// The backup reminder opened by the frame's timer 99.

constexpr int kReminderCloseMs = 20000;

// Whether a tick of timer 99 opens the reminder: only when none is open and the
// document has unsaved changes.
inline bool ReminderShouldOpen(bool reminderOpen, bool documentModified) {
    return !reminderOpen && documentModified;
}

#pragma once
// In the dialogs that use it, Enter moves to the next control (as Tab does) instead of
// closing the dialog; on a button whose property "enterActs" is true Enter presses it, and a
// control whose property "keepsEnter" is true gets its Enter as it is.
class QWidget;

void InstallEnterAsTab(QWidget* dialog);

#pragma once
// Installs the Qt implementations of the platform stand-ins (message boxes, key state,
// message pumping, clipboard, system-font text, file dialogs, Qt's own texts in Japanese)
// and sets the program folder.
// Call once after QApplication.
class QApplication;

void InstallQtPlatform(QApplication& app);

// Key state as tracked from the application's events (for tests and the input hooks).
bool QtIsKeyDown(int keyCode);
// Whether the key was pressed since the last call for it, or is held now.
bool QtKeyPressedSinceLastCheck(int keyCode);
// Whether the key went down since the last call for it (each press once).
bool QtKeyNewlyPressed(int keyCode);
void QtForgetKeyPresses(int keyCode);

#pragma once
// The route's windows in the main frame: the list commands, the cut-position dialog and
// the registration dialog that the IP tools run.
class FrameCommandTarget;
class QWidget;

void InstallRouteWindows(QWidget* frame, FrameCommandTarget& commands);
// Takes the registration dialog away again (the frame is going).
void UninstallRouteWindows();

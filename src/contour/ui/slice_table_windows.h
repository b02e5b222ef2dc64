#pragma once
// The frame commands of the elevation table, the area list and the slice quantities
// (32889, 32892, 32895, 32896, 32900) with their windows.
class QWidget;
class FrameCommandTarget;

void InstallSliceTableWindows(QWidget* frame, FrameCommandTarget& commands);
void UninstallSliceTableWindows();

#pragma once
// 一覧表 (32829): opens the point list, or closes it when open.
#include <functional>

class FrameCommandTarget;

// How the window is made (installed by the program); it sets its tool-window slot.
std::function<void()>& PointListWindowFactory();

void OnPointList();
// Registers 32829 once the window can be made (the command table's rule enables it).
void RegisterPointListCommands(FrameCommandTarget& commands);

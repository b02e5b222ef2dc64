#pragma once
// The menu commands of the point-generating and point-removing tools.
class FrameCommandTarget;

// Registers 32859 未使用点削除 and 32981 三角網交差座標計算 (the table's rules enable them).
void RegisterPointGenCommands(FrameCommandTarget& commands);

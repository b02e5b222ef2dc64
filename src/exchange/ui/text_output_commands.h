#pragma once
// The frame's exchange commands without a window of their own: 32860 digital-map import
// and 32983 TIN coordinate text (with the axis-convention dialog).
class QWidget;
class FrameCommandTarget;

void InstallTextOutputCommands(QWidget* frame, FrameCommandTarget& commands);

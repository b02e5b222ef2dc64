#pragma once
// Registers the frame commands that rework the TIN and its points: 尾根・谷 補正 (32982)
// and 平坦点削除 (32977), whose dialog is parented by `frame`.
class FrameCommandTarget;
class QWidget;

void RegisterTerrainEditCommands(FrameCommandTarget& commands, QWidget* frame);

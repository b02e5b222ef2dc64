#pragma once
// The dialogs of the slice-line tools: 202 等高線面積情報 and the valid/invalid choice.
class QWidget;

// Installs them as the tools' dialog hooks, owned by frame.
void InstallSliceLineDialogs(QWidget* frame);

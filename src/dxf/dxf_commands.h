#pragma once
// The frame's commands of the background drawing: 背景ＤＸＦ選択 and 背景ＤＸＦ表示.

class FrameCommandTarget;

// Asks for a drawing and reads it as the background layer; the overall view follows
// unless Control is held while there is data. False when nothing was read (cancelled,
// not readable, too big): the view stays as it was.
bool OnBackgroundDxfSelect();
// Shown: Shift flips the double-byte text switch, else the layer is hidden. Hidden: the
// layer is shown, asking whether the elements of layers that are off come too.
void OnBackgroundDxfShow(bool shift);

void RegisterDxfCommands(FrameCommandTarget& commands);

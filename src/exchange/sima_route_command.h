#pragma once
// The commands of the route and section SIMA files: file dialogs around the writers and
// the route reader, with a message when a file cannot be written or opened.

// 基準点ＳＩＭＡ出力, 縦断ＳＩＭＡ出力, 横断ＳＩＭＡ出力.
void RunRouteSimaOutput();
void RunLongSectionSimaOutput();
void RunCrossSectionSimaOutput();
// 路線ＳＩＭＡ読込: true when a file was chosen (the caller then shows the whole data).
bool RunRouteSimaRead();

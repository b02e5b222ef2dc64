#pragma once
// The work of the dialog "３Ｄ＿ＤＸＦ出力" (164), without its window: what it shows when it
// opens, its number edits and its 出力 button.
#include <cstdint>
#include <string>

// OnInitDialog: the output path from the data file's, the choices the data allow, and the
// option file on the first opening in a run.
void InitDxf3dOutputDialog();

// The number edits show "%5d" and take what was typed by the standard integer conversion.
std::string Dxf3dNumberText(int32_t value);
int32_t Dxf3dNumberFromText(const std::string& text);

// 出力, with the three check boxes as shown. Writes the file under the progress window, says
// what went wrong or was left out, saves the option file. True when the dialog is to close;
// false when it stays open (busy, or No to replacing an existing file).
bool OnDxfOutput(bool contoursChecked, bool tinChecked, bool outlineChecked);

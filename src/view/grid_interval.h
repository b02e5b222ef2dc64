#pragma once
// The grid-interval entry: the text the dialog shows and the rule for what it accepts.
#include <string>

std::string GridIntervalText();  // g_gridInterval with "%3.3f"
// Stores a number above 0 in g_gridInterval; anything else is ignored (false).
bool AcceptGridIntervalText(const std::string& text);

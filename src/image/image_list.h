#pragma once
// What the image list window does beyond the slot operations: the brightness edit and its
// wheel steps, and the inversion of the images' gradient colours.
#include <cstdint>
#include <string>

// The brightness typed into the edit: a whole number; above 100 or below 0 gives 100. Text
// that is not a number leaves `current` as it was.
int32_t ParseImageBrightness(const std::string& text, int32_t current);
// One wheel notch on the edit: 5 up (forward) or down, kept within 5 .. 100.
int32_t StepImageBrightness(int32_t current, bool forward);
// Drawing-palette entries 80 and 240: each colour channel becomes 255 minus itself.
void InvertImageGradient();

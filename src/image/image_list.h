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

// The swatch's colour chooser: the colour it starts from and where its answer goes. With
// Shift held and row 1..7 selected it is that slot's low colour, otherwise the view's
// background colour (drawing-palette entry 10). Colours are 0x00BBGGRR.
uint32_t BackgroundChooserStartColor(bool shift, int32_t selectedRow);
void ApplyBackgroundChooserColor(bool shift, int32_t selectedRow, uint32_t colorRef);
// The view's background colour (entry 10) as 0x00BBGGRR: what the swatch shows.
uint32_t ViewBackgroundColorRef();

enum class AddImageResult {
    Cancelled,  // no file, no reader for it, or a file without placement the user refused
    Failed,     // unreadable, or a position file that gives no placement (the user was told)
    Added,
};
// 追加読込 after the file dialog: reads `path` into a new slot behind the main image,
// placed by its position or world file or (when the user agrees) in the middle of the data.
// The slots and the main image are unchanged unless the image was added.
AddImageResult AddImageFileToSlots(const std::string& path);
// 追加読込 with its file dialog.
AddImageResult OnAddImageToSlots();

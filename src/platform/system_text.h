#pragma once
// Text in the system's font, for what the stroke font cannot show (double-byte text):
// a small off-screen canvas with a font selected, on which a text is drawn at the
// top-left corner and read back pixel by pixel. The program installs a Qt canvas with a
// Japanese font at start; without it (tests, the core alone) the headless canvas lights
// nothing and records what it was asked to draw.
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct SystemFont {
    int pixelHeight = 0;  // character height; 0 is the canvas's default font
    int weight = 400;     // 100 thin .. 900 heavy
    bool fixedPitch = false;
};

struct SystemTextExtent {
    int width = 0;
    int height = 0;
};

class SystemTextCanvas {
public:
    virtual ~SystemTextCanvas() = default;
    virtual void SelectFont(const SystemFont& font) = 0;
    // Size of the text (CP932 bytes) in the selected font.
    virtual SystemTextExtent Extent(std::string_view cp932) = 0;
    // Clears the canvas and draws the text with its top-left corner at 0, 0.
    virtual void DrawText(std::string_view cp932) = 0;
    // Whether the pixel (row 0 at the top) is lit; pixels off the canvas are not.
    virtual bool IsLit(int column, int row) const = 0;
};

using SystemTextCanvasFactory =
    std::function<std::unique_ptr<SystemTextCanvas>(int width, int height)>;

// A canvas of width x height pixels with the default font selected.
std::unique_ptr<SystemTextCanvas> CreateSystemTextCanvas(int width, int height);

// Installs the interactive implementation; an empty factory restores the headless one.
void SetSystemTextFactory(SystemTextCanvasFactory factory);

// Headless: every text drawn, with the font it was drawn in.
struct RecordedSystemText {
    std::string text;  // CP932 bytes
    SystemFont font;
};
const std::vector<RecordedSystemText>& RecordedSystemTexts();
void ClearRecordedSystemTexts();

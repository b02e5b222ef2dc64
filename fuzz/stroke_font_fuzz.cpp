// The stroke font file: whatever its records hold, every glyph is drawn inside the buffer.
#include <string>

#include "fuzz_raster.h"
#include "fuzz_support.h"
#include "view/stroke_font.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool ready = [] {
        fuzz::OpenBackBuffer(64, 48);
        return true;
    }();
    (void)ready;
    fuzz::WriteInput(kStrokeFontFileName, data, size);
    LoadStrokeFontFrom(fuzz::Folder());
    std::string text;
    for (int c = 32; c < 128; ++c) text.push_back(static_cast<char>(c));
    SetStrokeTextSize(100, 80, 10);
    SetStrokeTextDirection(3, -4);
    DrawStrokeTextRotated(text, 32, 24);
    DrawStrokeText(text, -30, 10, 8, 6);
    DrawTextRotatedPixels("\x82\xA0" + text, 0, 0, 40, 30, 1.5, 33.0);
    return 0;
}

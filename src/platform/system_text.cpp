#include "platform/system_text.h"

#include <utility>

namespace {
std::vector<RecordedSystemText> g_recordedTexts;
SystemTextCanvasFactory g_factory;

// Lights nothing; extents as a fixed-pitch font of half-width cells would give.
class HeadlessTextCanvas : public SystemTextCanvas {
public:
    void SelectFont(const SystemFont& font) override { m_font = font; }
    SystemTextExtent Extent(std::string_view cp932) override {
        const int h = m_font.pixelHeight > 0 ? m_font.pixelHeight : 16;
        return {static_cast<int>(cp932.size()) * (h / 2), h};
    }
    void DrawText(std::string_view cp932) override {
        g_recordedTexts.push_back({std::string(cp932), m_font});
    }
    bool IsLit(int, int) const override { return false; }

private:
    SystemFont m_font;
};
}  // namespace

std::unique_ptr<SystemTextCanvas> CreateSystemTextCanvas(int width, int height) {
    if (g_factory) return g_factory(width, height);
    return std::make_unique<HeadlessTextCanvas>();
}

void SetSystemTextFactory(SystemTextCanvasFactory factory) { g_factory = std::move(factory); }

const std::vector<RecordedSystemText>& RecordedSystemTexts() { return g_recordedTexts; }

void ClearRecordedSystemTexts() { g_recordedTexts.clear(); }

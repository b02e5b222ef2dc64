#include "exchange/vector_import.h"

#include <algorithm>
#include <cstring>

#include "dxf/dxf_registration.h"
#include "platform/encoding.h"
#include "platform/message_box.h"
#include "view/display_flags.h"

namespace {
constexpr const char* kOutOfMemory = "メモリーが不足しています。";
constexpr int64_t kGrowthStep = 200000;
constexpr int64_t kFreeMargin = 100;
}  // namespace

DxfElement MakeImportElement(uint8_t pen, double x, double y, double z, double textHeight,
                             std::string_view text, int32_t layer, int32_t colour) {
    DxfElement e{};
    e.pen = pen;
    e.x = e.sourceX = x;
    e.y = e.sourceY = y;
    e.z = z;
    e.textHeight = textHeight;
    e.textAngle = 0;
    e.layer = layer;
    e.colour = colour;
    const size_t n = Cp932PrefixLength(text, sizeof(e.text) - 1);
    if (n > 0) std::memcpy(e.text, text.data(), n);  // an empty view may have no data
    e.text[n] = '\0';
    return e;
}

bool CommitImportElements(const std::vector<DxfElement>& elements, bool emptyFirst) {
    const int64_t kept = emptyFirst ? 0 : std::max(g_dxfElementCount, 0);
    const int64_t total = kept + static_cast<int64_t>(elements.size());
    if (total + kFreeMargin > g_dxfElementCapacity) {
        const int64_t wanted = total + kGrowthStep;
        if (total > g_dxfElementLimit || wanted > INT32_MAX - 1 ||
            GrowDxfElementBlock(static_cast<int32_t>(wanted)) != 0) {
            ShowMessage(kOutOfMemory, "", msg::kOk | msg::kIconError);
            return false;
        }
        g_dxfElementCapacity = static_cast<int32_t>(wanted);
    }
    if (emptyFirst) {
        g_dxfElementCountAtLoad = 0;
        g_dxfElementCount = 0;
        g_dxfBlockElementCount = 0;
        g_dxfLayerCount = 0;
    }
    DxfElement* store = g_dxfElementsBlock.Data();
    g_dxfFirstNewElement = static_cast<int32_t>(kept) + 1;
    std::copy(elements.begin(), elements.end(), store + kept + 1);
    g_dxfElementCount = static_cast<int32_t>(total);
    return true;
}

void FinishImportElements() {
    if (g_dxfElementCount <= 0) return;
    DxfElement* store = g_dxfElementsBlock.Data();
    const int32_t last = std::min(g_dxfElementCount, g_dxfElementCapacity);
    for (int32_t i = 1; i <= last; ++i) {
        store[i].sourceX = store[i].x;
        store[i].sourceY = store[i].y;
    }
    SetDxfRegistrationIdentity();
    g_dxfRegistration.dxfLoaded = 1;
    g_showBackgroundDxf = 1;
}

#include "dxf/dxf_registration.h"

#include <algorithm>

#include "dxf/dxf_store.h"
#include "model/terrain_data.h"

DxfRegistration g_dxfRegistration;

namespace {
void SetIdentity() {
    g_dxfRegistration.a = 1;
    g_dxfRegistration.b = 0;
    g_dxfRegistration.tx = 0;
    g_dxfRegistration.ty = 0;
    g_dxfRegistration.rotation = 0;
    g_dxfRegistration.scale = 1;
}

const bool g_registered = [] {
    RegisterDataModelReset([] {
        g_dxfRegistration = DxfRegistration{};
        SetIdentity();
    });
    return true;
}();
}  // namespace

int32_t ResetDxfRegistration(int32_t fromLatestLoad) {
    DxfElement* elements = g_dxfElementsBlock.Data();
    if (g_dxfElementCount <= 0 || !elements) return 0;
    g_dxfRegistration.transformActive = 0;
    g_dxfRegistration.projective = 0;
    std::fill(std::begin(g_dxfRegistration.vertexFlags), std::end(g_dxfRegistration.vertexFlags), 0);
    const int32_t first = fromLatestLoad ? std::max(g_dxfFirstNewElement, 1) : 1;
    const int32_t last = std::min(g_dxfElementCount, g_dxfElementCapacity);
    for (int32_t i = first; i <= last; ++i) {
        elements[i].x = elements[i].sourceX;
        elements[i].y = elements[i].sourceY;
    }
    SetIdentity();
    return 0;
}

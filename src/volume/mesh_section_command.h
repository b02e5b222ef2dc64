#pragma once
// Command 32888 "ﾒｯｼｭ縦横断計算": the dialog's values, the question before a route is
// replaced, the calculation and the save of the result.
#include <cstdint>
#include <functional>

#include "volume/mesh_sections.h"

// What "メッシュ縦横断計算" shows and returns.
struct MeshSectionValues {
    int32_t source = kMeshSectionsFromTin;
    int32_t nodeOption = 1;
    int32_t direction = 0;
    bool tinEnabled = true;
    bool contoursEnabled = true;
    bool nodeOptionsEnabled = true;  // "メッシュ点" and "両方"
};
MeshSectionValues InitialMeshSectionValues();

// Whether a route the user made would be replaced: asks first. True to go on.
bool ConfirmRouteReplacement();

// Command 32888: the dialog (`runDialog` fills the values, false when cancelled), the
// calculation and, when the user wants it kept, the route document's save command.
void OnMeshSectionCalc(const std::function<bool(MeshSectionValues&)>& runDialog,
                       const std::function<void()>& saveRouteDocument);

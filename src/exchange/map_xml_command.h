#pragma once
// The frame's commands of the national mapping agency's XML files: 地理院ＸＭＬ選択 (the
// fundamental map into the vector layer), 地理院XMLメッシュ取り込み (elevation meshes as
// points, several files) and 地理院XMLメッシュ読込 (one mesh, then outline and TIN).
#include <cstdint>
#include <functional>
#include <string>

struct GsiXmlOptions;

// The option dialog "XML input": 0 中止, 1 開始, 2 closed otherwise. Without one the
// defaults are taken as if 開始 was pressed.
using GsiXmlOptionsDialog = std::function<int32_t(GsiXmlOptions&)>;
void SetGsiXmlOptionsDialog(GsiXmlOptionsDialog dialog);

// Opening the option dialog: the defaults, and the world datum switched on.
GsiXmlOptions OpenGsiXmlOptions();

// The texts of the file dialogs.
constexpr const char* kGsiXmlFilter = "XMLファイル (*.XML)|*.XML|すべてのファイル|*.*||";
constexpr const char* kGsiXmlTitle = "XMLファイル読込";
constexpr const char* kNotMeshData = "Not Mesh Data";

void OnGsiXmlSelect();       // 33030
void OnGsiXmlMeshImport();   // 33044
// 33070. refreshHeightScale: the height-scale window shows the new range.
void OnGsiXmlMeshRead(const std::function<void()>& refreshHeightScale = {});

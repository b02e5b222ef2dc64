#pragma once
// The file-menu commands of the mesh as text: 33057 import, 32848 elevation table and
// 33016 volume table to the clipboard, 32841 nodes as RND points.
#include <functional>

#include "volume/mesh_text.h"

void OnImportMeshText(const std::function<bool(MeshTextImportValues&)>& runImportDialog);
void OnCopyMeshElevations(const std::function<bool(MeshClipboardValues&)>& runClipboardDialog);
void OnCopyMeshVolumes();
void OnExportMeshAsRandom();

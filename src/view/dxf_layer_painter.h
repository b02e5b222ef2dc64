#pragma once
// The background vector layer in the paint: lines, points and texts in their layer
// colours from the positions the projection stored.

void DrawDxfElements();
// Installs DrawDxfElements as the painter's DXF layer.
void InstallDxfLayer();

#pragma once
// The cross sections in the bird's-eye view.

// Draws every section's ground line (colour 46) through its centre, the centre line
// joining the sections, and with the names shown their labels (colour 58), into the locked
// back buffer. Nothing in plan form.
void DrawCrossSections3D();

// Hands DrawCrossSections3D to the painter.
void InstallCrossSectionLayer();

#pragma once
// The earthwork mesh in the paint: grid lines coloured by validity and plan source, split
// where they cross the outline or a plan line, the diagonals of a skewed lattice, node and
// cell labels, and the crossing polylines, all from the positions the projection stored.

void DrawMeshLayer();
// Installs DrawMeshLayer as the painter's mesh layer.
void InstallMeshLayer();

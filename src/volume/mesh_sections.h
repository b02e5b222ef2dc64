#pragma once
// Sections along the mesh lines: the mesh turned into a straight route along one of its
// edges, its stations named after the mesh lines, then the section calculation from the
// TIN or the contours.
#include <cstdint>
#include <string>

// Section sources.
constexpr int32_t kMeshSectionsFromTin = 1;
constexpr int32_t kMeshSectionsFromContours = 2;

// A station's name parts from the counts A and B in the chosen styles ("%d" or letters).
std::string MeshStationName(int32_t a, int32_t b);

// Lays out the straight route along the mesh edge of `direction` (0 "縦": along the width
// axis, sections along the length axis; 1 "横": the other way), computes its stations and
// names them after the mesh lines. False when the route computation made no station.
bool LayMeshSectionRoute(int32_t direction);

// Collects the TIN points along the cut lines of the plus-stake stations into
// g_meshSectionBlock (g_meshSectionPointCount of them).
void CollectMeshPlusStakePoints(int32_t direction);

// The route, the plus-stake points and the section calculation of `source` with the node
// option (0 crossings only, -1 mesh nodes only, 1 both). Returns the section
// calculation's answer (6 Yes to saving), or 3 when nothing was calculated.
int32_t CalcMeshSections(int32_t source, int32_t nodeOption, int32_t direction);


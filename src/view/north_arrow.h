#pragma once
// The needle in the lower left corner of the bird's-eye view that shows where north lies,
// turned with the camera; its upright stick is drawn in a light red.
#include <cstdint>

constexpr int kNorthArrowColor = 251;

// The back-buffer position of a point of the needle's shape (east, north, up units).
void NorthArrowPosition(double east, double north, double up, int32_t* column, int32_t* row);

void DrawNorthArrow();

void InstallNorthArrowLayer();

#pragma once
// The cross sections as the route's .RUT station coordinate file lists them.
#include "route/station_files.h"

// Sections 1..g_crossSectionCount, read when the file is written. A section without any
// ground (no side points and an estimated centre) gives the no-height mark, so that the
// tunnel tools do not take its placeholder 0 for a ground height.
RutSectionSource CrossSectionRutSource();

// Whether there are cross sections to list beside a saved route.
bool HaveRutSections();

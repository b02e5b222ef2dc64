#pragma once
// Editing the ground points of the section on show (g_currentSection) and the width and
// height spans of all sections that the section windows scale to.
//
// A point is addressed by its code: 0 the centre, -i left point i, +j right point j.
#include <cstdint>

#include "section/section_records.h"

// The highlighted point of the cross-section window, as a code (0: the centre or none).
extern int32_t g_sectionSelectedPoint;
// The point edit dialog's working copy of one entry.
extern SectionPoint g_sectionPointCopy;

// Sets g_sectionWidthSpan and g_sectionHeightSpan from the points of every section; 50
// each when there are no sections or all points lie at one height.
void RecalcSectionExtents();

// Inserts a point at (offset, height) into section g_currentSection: offsets from 0 up go
// to the right, in front of the first point as far out or farther; negative ones to the
// left likewise. Later points move out one entry with their names; the new point is
// unnamed and lies on the section line. Returns its code, or 0 when the section does not
// exist or no room could be made for one more point (the user has been told).
int32_t InsertSectionPoint(double offset, double height);

// Gives point g_sectionSelectedPoint of section g_currentSection a new offset and height;
// a point never crosses the centre line (nothing changes then) and the centre is not
// moved. The plan position is left to the dialog's write-back.
void MoveSelectedSectionPoint(double offset, double height);

// Writes point `code` of `section` from the copy: a side point takes its distance (on its
// own side) and height, and its plan position on the section line; the centre (0) takes
// the copy's right height. Names stay as they are.
void SetSectionPointFromEdit(int32_t section, int32_t code, const SectionPoint& copy);

// Gives every full record (a side within two points of its blocks' room) one more
// continuation block. False when some record could not be given room (after message
// 5385); that record keeps its points and block count.
bool GrowCrossSectionRecords();

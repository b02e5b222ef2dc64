#pragma once
// Placement files of background images: the position file (".MPI", all four corners) and
// the six-line world file (".TFW", ".JGW", ".BPW"), and the check that drops a placement
// lying far away from the data.
#include <cstdint>
#include <functional>
#include <string>

#include "image/image_slot.h"
#include "model/zone_dialog.h"

// Zone and datum (1 world geodetic system, else Tokyo) of the last latitude/longitude
// world file; the zone dialog starts from them.
extern int32_t g_worldFileZone;
extern int32_t g_worldFileDatum;

// Runs the zone dialog on the values; true on OK.
using ZoneDialogRunner = std::function<bool(ZoneSelectValues&)>;

// What ReadImagePositionFiles found.
enum class PositionFileState {
    None,      // no placement file
    Read,      // placement read
    Damaged,   // a position file was there but gave no usable placement
    DamagedWorldFile,  // the same for a world file
};

// Probes (`read` 0) or reads (`read` 1) the placement of the active image, whose path is
// g_bgImagePath: the position file first, else the world file of the image's extension.
// Returns 1 when a file was found (probe) or read (a position file without usable corners
// included), 0 otherwise; `state` tells a damaged file apart. A world file in latitude and
// longitude is converted through the zone dialog when the user wants it.
int32_t ReadImagePositionFiles(int32_t read, const ZoneDialogRunner& runZoneDialog = {},
                               PositionFileState* state = nullptr);

// Corners of an explicit placement: UL north, UL east, UR north, UR east, LL north, LL east,
// LR north, LR east.
struct PlacementCorners {
    double values[8];
};

// Writes the position and world files of the active image (deleting its position file when
// it has no placement). True when both files were written.
bool WriteImagePositionFiles();
// Writes the position file at `path` and the world file at its base with ".BPW" for an
// image of `width` x `height` pixels with the given corners (the view export).
bool WriteImagePositionFiles(const std::string& path, const PlacementCorners& corners, int32_t width,
                             int32_t height);

// 0 when the active image has no placement or it overlaps the data square; otherwise asks
// whether to ignore the placement (any answer but No drops it) and returns 1.
int32_t CheckImagePosition();

// The world file name read for an image path ("" when its extension has none) and the
// one written for it.
std::string WorldFilePathToRead(const std::string& imagePath);
std::string WorldFilePathToWrite(const std::string& imagePath);

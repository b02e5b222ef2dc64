#pragma once
// Registration of the background drawing onto survey coordinates: the shown coordinates
// of every element are derived from its source coordinates.
#include <cstdint>

struct DxfRegistration {
    double entryY;
    double entryX;
    double publicPoint[4][2];  // (east, north)
    double shownPoint[4][2];   // (east, north)
    double sourcePoint[4][2];  // (north, east)
    double a;
    double b;
    double tx;
    double ty;
    double rotation;  // degrees
    double scale;
    int32_t clickColumn;
    int32_t clickRow;
    int32_t vertexFlags[4];
    int32_t currentVertex;
    int32_t transformActive;
    int32_t dxfLoaded;
    int32_t projective;
    double corners[8];
};

extern DxfRegistration g_dxfRegistration;

// Back to the identity: the shown coordinates of the elements from the latest load (or
// of all elements) become their source coordinates again. Nothing when the store is empty.
int32_t ResetDxfRegistration(int32_t fromLatestLoad);

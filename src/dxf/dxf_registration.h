#pragma once
// Registration of the background drawing onto survey coordinates: the shown coordinates
// of every element are derived from its source coordinates.
#include <cstdint>
#include <string>

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
// Taken when the position dialog opens, copied back when it is cancelled.
extern DxfRegistration g_dxfRegistrationBackup;

// Back to the identity: the shown coordinates of the elements from the latest load (or
// of all elements) become their source coordinates again. Nothing when the store is empty.
int32_t ResetDxfRegistration(int32_t fromLatestLoad);

// The identity state, for elements put into an empty store without a drawing read.
void SetDxfRegistrationIdentity();

// Shown coordinates of the elements from the latest load (or of all) recomputed from
// their source coordinates with the registration in force.
void ApplyDxfRegistration(int32_t fromLatestLoad);

// Shown (east, north) back to source (north, east).
void DxfShownToOriginal(double shownY, double shownX, double& sourceX, double& sourceY);

constexpr int32_t kDxfRegistrationDone = 0;
// The DXF points of the pairs coincide (or the fit is not finite): nothing changed.
constexpr int32_t kDxfRegistrationDegenerate = -1;

// Fits the registration to the registered pairs (projective first when asked for).
// Fewer than three pairs: nothing changes, kDxfRegistrationDone.
int32_t ComputeDxfRegistration(int32_t showReport);

// 0 done; -1 the first two points of a set coincide; -2 the first three lie on one line;
// -3 the four pairs admit no projective map.
int32_t SolveDxfProjective();

// The side file of a drawing: its path with the extension replaced by ".DXI".
std::string DxiPathFor(const std::string& dxfPath);

// Writes the side file of the drawing last read, or removes it when the registration was
// reset by the user for that drawing during this run. Nothing when no drawing is loaded.
void WriteDxiFile();

// The user reset the registration of the drawing last read: its side file goes at the
// next WriteDxiFile unless a registration is made again.
void MarkDxfRegistrationReset();

// 0: no drawing loaded, no side file, or a damaged one (message shown, registration
// unchanged). 1: the file opens (read 0) or its pairs and flags were read (read != 0).
int32_t ReadDxiFile(int32_t read);

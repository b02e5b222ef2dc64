#pragma once
// Mesh node elevations from the TIN. Triangles are sorted into 66 x 66 buckets in the mesh
// frame (64 x 64 over the mesh rectangle and one border bucket on each side); each lookup
// first tries the triangle of the previous hit, then rings of buckets, then all triangles.
// A raster of the triangles rejects the nodes outside the TIN before any lookup.
#include <cstdint>
#include <string>
#include <vector>

struct MeshBucket {
    int32_t first;  // first list entry, 0 for an empty bucket
    int32_t count;
};
constexpr int32_t kMeshBucketSide = 66;
constexpr int32_t kMeshBucketCount = kMeshBucketSide * kMeshBucketSide;
constexpr double kMeshLatticeFactor = 0.8660254037844386;  // sqrt(0.75)

// One byte per TIN edge record: 1 on exactly one record of each triangle whose three
// vertices are points. False when the work memory cannot be had: the mask is then empty
// (all 0), so no triangle takes part.
bool BuildMeshTriangleMask(std::vector<uint8_t>* mask);
// Clears the mask of triangles wholly outside one side of the mesh rectangle.
void CullTrianglesOutsideMeshArea(std::vector<uint8_t>& mask);
// Raster byte of lattice node (c, r) at raster[c * bytesPerColumn + r]: 1 when a masked
// triangle touches the node's pixel of a 1024 x 1024 raster of the mesh rectangle (with a
// margin of a pitch on each side), else 0. The raster never rejects a node that a
// triangle holds.
void MarkOutsideNodes(const std::vector<uint8_t>& mask, std::vector<uint8_t>& raster, int32_t bytesPerColumn,
                      int32_t lastColumnIndex, int32_t lattice);
// Fills the buckets (kMeshBucketCount) and the list (entries from 1) with the masked
// triangles by their centroids.
void BuildMeshTriangleBuckets(std::vector<MeshBucket>& buckets, std::vector<int32_t>& list,
                              const std::vector<uint8_t>& mask);
// The TIN edge record whose triangle holds (x, y), with the elevation of its plane; 0 when
// none. Reads and sets the last hit.
int32_t FindTinElevationInBuckets(const std::vector<MeshBucket>& buckets, const std::vector<int32_t>& list,
                                  const std::vector<uint8_t>& mask, double x, double y, double* z);
void ResetMeshLastHit();

// The plain lookup for callers outside the mesh computation: the first record (ascending)
// whose triangle's box and triangle hold (x, y); 0 when none.
int32_t FindTinElevation(double x, double y, double* z);

// Missing-node policies.
constexpr int32_t kMissingLowest = 1;
constexpr int32_t kMissingHighest = 2;
constexpr int32_t kMissingGiven = 3;

// An elevation as it is stored: rounded to three decimals through "%.3lf".
double RoundMeshElevation(double z);

// The calculation range as a test polygon (none when no range exists).
class MeshRangeTest {
public:
    MeshRangeTest();
    // True when a range exists and (x, y) lies outside it (tolerance 0.001).
    bool Outside(double x, double y) const;
    bool Exists() const { return !m_xs.empty(); }

private:
    std::vector<double> m_xs, m_ys;
};

// Lowest and highest elevation found; both start at the missing value.
struct MeshElevationRange {
    double lowest;
    double highest;
    bool any = false;
    void Add(double z);
    // The value a missing node takes under the policy.
    double MissingValue(int32_t policy, double given) const;
};

// Results of the mesh elevation computations.
constexpr int32_t kMeshElevationsDone = 0;
constexpr int32_t kMeshElevationsStopped = -1;  // also: memory failed, nothing computed

extern const char* const kMeshStopQuestion;

// Node elevations from the TIN. missingPolicy 1 lowest, 2 highest, else missingValue;
// outlineOption 1 computes the outline crossings; lattice 1 places the nodes on an
// equilateral triangular lattice. 0 done, -1 memory failed or stopped with Q.
int32_t CalcMeshFromTin(int32_t missingPolicy, double missingValue, int32_t outlineOption, int32_t lattice);

// Marks the end of an elevation computation that ran to its end: the view shows the mesh
// without elevations and volumes, and the volume is to be computed again.
void FinishMeshElevations();

// The mesh save that a finished computation offers ("計算結果を保存しますか？"); installed
// by the mesh files. Without one the question is not asked.
void SetMeshSaveRunner(void (*runner)());
// Asks the save question (unless quiet) and runs the save on Yes.
void OfferMeshSave(const char* question);

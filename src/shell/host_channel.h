#pragma once
// The host control channel: a host program fills the shared block "VELDRA_PARAMFILE" and
// sends the main window WM_USER+100 with its window handle and a command code; the
// command runs on the block and the main window posts WM_USER+100 back.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

constexpr const char* kHostBlockName = "VELDRA_PARAMFILE";
constexpr uint32_t kHostMessage = 0x0400 + 100;  // WM_USER+100
constexpr int32_t kHostBlockVersion = 103;
constexpr size_t kHostStringBytes = 512;
// The base path must leave room for ".RND" in the 260-byte path of the document.
constexpr size_t kHostBasePathLimit = 256;

#pragma pack(push, 1)
struct ExternalCommandBlock {
    int32_t version;
    int32_t reserved0;
    int32_t firstFileFlag;
    int32_t extraFileCount;
    int32_t xySwap;
    int32_t keepRule;
    int32_t edgeLengthMode;
    int32_t decimals;
    int32_t deleteFlag;
    int32_t noMeshFlag;
    int32_t keepOutlineFlag;
    char reserved1[16];
    int32_t resultCode;
    double edgeLength;
    double duplicateTolerance;
    double meshPitch;
    double zeroVolumeLimit;
    char reserved2[32];
    double cutTotal;
    double fillTotal;
    char reserved3[112];
    char resultText[kHostStringBytes];
    char basePath[kHostStringBytes];
    char firstInputFile[kHostStringBytes];
    char reserved4[kHostStringBytes];
    char meshPath[kHostStringBytes];
    char secondMeshPath[kHostStringBytes];
    // Extra input files follow, kHostStringBytes each.
};
#pragma pack(pop)
static_assert(offsetof(ExternalCommandBlock, firstFileFlag) == 8);
static_assert(offsetof(ExternalCommandBlock, keepOutlineFlag) == 40);
static_assert(offsetof(ExternalCommandBlock, resultCode) == 60);
static_assert(offsetof(ExternalCommandBlock, edgeLength) == 64);
static_assert(offsetof(ExternalCommandBlock, zeroVolumeLimit) == 88);
static_assert(offsetof(ExternalCommandBlock, cutTotal) == 128);
static_assert(offsetof(ExternalCommandBlock, fillTotal) == 136);
static_assert(offsetof(ExternalCommandBlock, resultText) == 256);
static_assert(offsetof(ExternalCommandBlock, basePath) == 768);
static_assert(offsetof(ExternalCommandBlock, firstInputFile) == 1280);
static_assert(offsetof(ExternalCommandBlock, meshPath) == 2304);
static_assert(offsetof(ExternalCommandBlock, secondMeshPath) == 2816);
static_assert(sizeof(ExternalCommandBlock) == 3328);
constexpr size_t kHostExtraFilesOffset = sizeof(ExternalCommandBlock);

// What a command needs of the main window.
struct ExternalCommandHooks {
    std::function<void(int commandId)> postFrameCommand;  // WM_COMMAND to the main window
};

// Runs one command on the shared block; the document path to adopt is left in
// `documentPath` (empty: none). Nothing happens when the block does not exist.
void RunExternalCommand(int32_t command, std::string& documentPath, const ExternalCommandHooks& hooks = {});
// The same on a block in memory of `size` bytes (the mapped one, or a test's).
void RunExternalCommandOn(int32_t command, void* block, size_t size, std::string& documentPath,
                          const ExternalCommandHooks& hooks = {});

// 0 ".RND", 10 ".DXF", 200 ".BN2", 9 anything else; only the first four characters of the
// extension count, letters in either case.
int ClassifyInputExtension(const std::string& path);

// Keeps only the outline's points, at the front, in their outline order numbered 1..n.
void ReorderOutlinePointsFirst();

// The .BND beside an RND input into g_outline (point numbers of the points read). The
// count is trusted only as far as lines follow it, up to the outline list's room; a number
// outside the points read drops the whole outline. With `copyPath`, the accepted outline is
// also written as coordinates to "TEMPBND.BN2" in the temp folder, so it survives the
// renumbering that follows; the path is left there (empty when there is no copy).
void ReadBndOutline(const std::string& inputPath, std::string* copyPath);
// 1 when ReadBndFile finds a closed outline of 3 or more vertices in the .BND beside an RND
// input (it is left in g_outline), else 0.
int CheckBndClosed(const std::string& inputPath);
// Exchanges X and Y of the points after `earlierCount` when the import asks for it.
void SwapPointXYFrom(int32_t earlierCount);
// Points outside the outline become invalid.
void MarkFlaggedPointsInvalid();
// The outline's vertices as "<input without extension>.BN5" coordinate lines: -5 written,
// 0 when there is no outline, a read-only .BN2 lies beside the input, or the write failed.
int WriteBn5Points(const std::string& inputPath);

// Mesh parameters from the sixth line of <path>.MSH: the number of commas counted (9 or
// 10), 0 when the file is missing or the line has fewer than 9 commas.
int ReadMshHeader(const std::string& pathWithoutExtension);
// A mesh of pitch p (below 0.001: 1.0) laid over the data, origin on the pitch grid.
void CalcHostMeshExtent(double pitch);

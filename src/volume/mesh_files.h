#pragma once
// The mesh files: .MSH (frame, current node elevations, current outline crossings), the
// .MBO beside it (calculation range), and .MVO (the whole volume result with the plan
// lines). Text in the system code page, CR LF line ends, C printf formats; fields split
// at commas, consecutive commas counting as one.
//
// Readers read the whole file before they change anything: a file that cannot be used
// leaves the loaded mesh as it was, with a message.
#include <cstdint>
#include <string>

// Messages of the readers and writers.
extern const char* const kMeshFileDamagedMessage;       // "ファイル形式に異常があります"
extern const char* const kMeshFileWriteFailedMessage;   // with the path
extern const char* const kMeshNoNodesToWriteMessage;
extern const char* const kPlanMeshNotComputedMessage;   // plan checks, in their order
extern const char* const kPlanMeshOriginMessage;
extern const char* const kPlanMeshRotationMessage;
extern const char* const kPlanMeshPitchMessage;
extern const char* const kPlanMeshCountMessage;
extern const char* const kPlanMeshDuplicateMessage;
extern const char* const kMeshVolumeNotComputedMessage;  // "土量計算されていません"

// Writers: true when the file was written whole. The .MSH is not written when the mesh
// claims elevations its node block does not hold; the .MVO only with area, elevations and
// volume. A failed write leaves no partial file and an older file under the name intact,
// and is reported.
bool WriteMeshFile(const std::string& path);
bool WriteMeshVolumeFile(const std::string& path);

// Replaces the current mesh (and reads the .MBO beside the file). 1 read, 0 not.
int32_t ReadMeshFile(const std::string& path);
// Adds one plan line after the plan checks. 1 registered, 0 not.
int32_t ReadPlanMeshFile(const std::string& path);
// 1 when read (also a file without elevations), 0 when not.
int32_t ReadMeshVolumeFile(const std::string& path);

// The file dialogs in front of them, and the commands 32882, 32883 and 32887.
bool OpenMeshFile();
bool SaveMeshFile();
bool OpenPlanMeshFile();
// The .MVO save dialog; "土量計算されていません" instead without a volume. Returns the path
// written, empty when nothing was written.
std::string SaveMeshVolumeFile();
bool OpenMeshVolumeFile();
// The view after a mesh was read: fitted to the data again and repainted.
void RefitViewAfterMeshRead();

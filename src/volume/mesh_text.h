#pragma once
// The mesh as text: a comma-separated grid of elevations read as random points with a
// TIN over them, the node elevations and the cell results as clipboard tables, and the
// nodes written as an RND point file with a .TRI that triangulates the grid.
#include <cstdint>
#include <functional>
#include <string>

// Missing-value rules of the import.
constexpr int32_t kMeshTextLowest = 1;
constexpr int32_t kMeshTextHighest = 2;
constexpr int32_t kMeshTextGiven = 3;

// What "メッシュテキストファイル取り込み設定" exchanges.
struct MeshTextImportValues {
    int32_t rule = kMeshTextLowest;
    double elevation = 0;
};

// Reads the mesh text at `path` into the points and the TIN, replacing both. 0 on
// success, -1 on failure (a file that cannot be opened fails silently; bad header values
// and memory failures are told). Missing elevations receive the rule's value and stay
// invalid; with no valid elevation at all they become 0, and the user is told.
int32_t ImportMeshText(const std::string& path, int32_t rule, double elevation);

// One value field of a mesh text row.
struct MeshTextField {
    double z = 0;
    bool invalid = true;
    std::string name;  // "", "_C", "_F", "_N", "_W" or "_H"
};
MeshTextField ParseMeshTextField(const std::string& field);

// What "メッシュクリップボード出力" exchanges.
struct MeshClipboardValues {
    bool outputMissing = false;  // 欠損点を出力する
    int32_t order = 0;           // 0 rows from the origin, 1 columns from the far end
};

// The node elevation table (its header is the import's) and the cell result table, with
// CR LF line ends.
std::string MeshElevationTable(const MeshClipboardValues& values);
std::string MeshVolumeTable();

// Writes the nodes as RND points and, with all nodes written on a grid whose first cell
// has equal diagonals, the .TRI beside it. `withMissing` is the answer to whether missing
// nodes are written too (without them no .TRI is made). 0 when the RND file was written,
// -1 otherwise (the user is told).
int32_t WriteMeshNodesAsRandom(const std::string& path, bool withMissing);
// The command's writer: asks whether missing nodes are written, then writes.
int32_t WriteMeshAsRandom(const std::string& path);

// The form of the mesh elevation text export, chosen in "メッシュテキスト形式の指定":
// 0 comma-separated, 1 space-separated with point numbers (also when the dialog is closed
// otherwise or does not exist).
std::function<int32_t()>& MeshTextFormatDialogRunner();
int32_t AskMeshTextFormat();

#pragma once
// The curve-element file .YSO: the results of the last route computation, one block per
// IP record, so that a reopened route document has its curve elements and main points
// without computing again. It is meaningful only beside the .ALG that loaded the IPs.
#include <cstdint>
#include <filesystem>
#include <string>

// The blocks of records 1 to g_ipPointCount, CR LF after each line.
std::string FormatYsoText();

// Writes the .YSO beside `path` (its folder and base name). -1 when written, and also
// when the IP table is empty (nothing written); 0 when the file could not be written
// (the user has been told and no partial file is left).
int32_t WriteYsoFile(const std::filesystem::path& path);

// Fills the computed fields of the IP records already loaded, block by block in table
// order; blocks beyond the table are ignored. 0 when read, -1 when there is no readable
// .YSO beside `path` (nothing changed).
int32_t ReadYsoFile(const std::filesystem::path& path);

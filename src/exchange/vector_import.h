#pragma once
// Elements of the background vector layer made by the map and track imports. A file's
// elements are gathered first and put into the store only when the whole file was read,
// so a damaged file leaves the layer as it was.
#include <cstdint>
#include <string_view>
#include <vector>

#include "dxf/dxf_store.h"

// One element with the shown and source coordinates both (x, y); the text is cut to the
// field on a character boundary (Shift-JIS bytes).
DxfElement MakeImportElement(uint8_t pen, double x, double y, double z, double textHeight,
                             std::string_view text, int32_t layer, int32_t colour);

// Puts the elements into the store, after emptying it when `emptyFirst`. The store grows
// to the new count + 200000 whenever fewer than 100 records would be free. False after
// the memory message, with the store, its counts and its flags as they were.
bool CommitImportElements(const std::vector<DxfElement>& elements, bool emptyFirst);

// The end of an import that left elements: the registration goes back to the identity and
// the layer is shown. Elements kept from before take their shown position as their source,
// so a later registration does not move them back to where they were read.
void FinishImportElements();

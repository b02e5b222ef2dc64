#pragma once
// Laying the background drawing onto the terrain model.

// Gives every element of the background layer the TIN elevation at its shown position;
// elements off the TIN get the lowest elevation of the data. Only z changes. With
// showProgress the status bar counts the elements and ends with "完了". When the lookup
// cannot be prepared nothing changes and the user is told.
void DrapeDxfOnTin(bool showProgress);

// ＤＸＦを三角網に乗せる: the wait cursor, the draping, a full redraw.
void OnDrapeDxfOnTin();

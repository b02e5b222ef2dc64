#include "pointedit/point_selection_actions.h"

// Placeholders until the validity tool and the batch edit arrive; each moves to its own
// file then.
int32_t ApplyBatchEditToSelection() { return 0; }

#include "view/display_layers_settings.h"

#include <algorithm>


double SimpleContourIndexIntervalFor(double interval) { return std::max(5 * interval, 1.0); }

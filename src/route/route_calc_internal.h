#pragma once
// Helpers shared by the two halves of the route computation.
#include <string>

#include "route/route_data.h"

// The IP's name (CP932 bytes in the record) for a message.
std::string IpNameUtf8(const IpPoint& ip);
// Azimuth in radians, clockwise from north (+X toward +Y).
double RouteAzimuth(double x1, double y1, double x2, double y2);

#pragma once
// The road alignment: the IP table, the stations with their cut lines, the plus stakes,
// the other routes shown for reference and the route parameters. Tables are numbered
// from 1; record 0 is never used.
#include <cstdint>

#include "model/record_block.h"

// One clothoid between curvature 0 (its origin) and 1/R.
struct ClothoidElements {
    double length;  // L = A^2 / R
    double shift;   // dR
    double xm;      // abscissa of the circle centre
    double x;       // clothoid end in its own frame
    double y;
    double chord;         // So
    double shortTangent;  // TK
    double longTangent;   // TL
    double tangentToIp;   // D: from the clothoid origin to the IP along the tangent
    double tau;           // tangent angle, D.MMSS
    double tauRad;
    double sigma;  // polar angle of the end seen from the origin, D.MMSS
    double sigmaRad;
};

// Curve type codes of IpPoint::curveType.
constexpr int32_t kCurveBp = 0;
constexpr int32_t kCurveClothoid = 1;
constexpr int32_t kCurveCircle = 2;
constexpr int32_t kCurveNone = 3;
constexpr int32_t kCurveEp = 4;
constexpr int32_t kCurveEgg = 5;

// One intersection point of the alignment.
struct IpPoint {
    char name[8];  // at most 7 bytes and a NUL
    int32_t number;
    double x;  // north
    double y;  // east
    double radius;
    double radius2;
    double addedDistance;
    double a1;
    double a2;
    int32_t screenX;  // written by the view's projection
    int32_t screenY;
    int32_t simaPointNo;
    int32_t markerSize;
    int8_t offScreen;
    int32_t curveType;
    int32_t turnSide;  // 0 straight through, 1 right, 2 left
    double ia;         // D.MMSS
    double iaRad;
    double curveLength;
    ClothoidElements clothoid1;
    ClothoidElements clothoid2;
    double arcAngle;  // D.MMSS
    double arcAngleRad;
    double arcTangentLength;
    double arcLength;
    double arcSecant;
    double centerX;
    double centerY;
    double legLength;
    double ka1Distance, ka1X, ka1Y;
    double ke1Distance, ke1X, ke1Y;
    double spDistance;
    double ke2Distance, ke2X, ke2Y;
    double ka2Distance, ka2X, ka2Y;
};

// One station (cross-section position); its cut line runs left stake - centre - right stake.
struct StationRecord {
    int32_t kind;
    int32_t number;
    char name[16];
    double addedDistance;
    double x;
    double y;
    double groundZ;
    int32_t screenX;
    int32_t screenY;
    int8_t offScreen;
    double leftX;
    double leftY;
    int32_t leftScreenX;
    int32_t leftScreenY;
    int8_t leftOffScreen;
    double rightX;
    double rightY;
    int32_t rightScreenX;
    int32_t rightScreenY;
    int8_t rightOffScreen;
    int32_t markerSize;
    int32_t heightValid;  // 1 when groundZ came from the section at the same added distance
};

// Kind of the record that separates two routes in the other-route tables.
constexpr int32_t kRouteSeparator = -999;

// One capacity per table, checked by every writer.
constexpr int32_t kMaxIpPoints = 500;
constexpr int32_t kMaxPlusStakes = 1002;

extern IpPoint g_ipPoints[kMaxIpPoints + 1];
extern int32_t g_ipPointCount;
extern int32_t g_currentIp;  // 0 none
extern IpPoint g_ipEdit;     // working copy of the IP tools and lists

extern StationRecord* g_stations;
extern RecordBlock<StationRecord> g_stationsBlock;
extern int32_t g_stationCount;
extern int32_t g_stationCapacity;
extern int32_t g_currentStation;
extern int32_t g_nextStakeStation;
extern int32_t g_nextRightStakeStation;

extern double g_plusStakes[kMaxPlusStakes + 1];
extern int32_t g_plusStakeCount;

extern IpPoint g_otherRouteIps[kMaxIpPoints + 1];
extern int32_t g_otherRouteIpCount;
extern StationRecord* g_otherRouteStations;
extern RecordBlock<StationRecord> g_otherRouteStationsBlock;
extern int32_t g_otherRouteStationCount;
extern int32_t g_otherRouteStationCapacity;

// Route parameters.
extern double g_stationInterval;
extern double g_leftCutWidth;
extern double g_rightCutWidth;
extern double g_bpAddedDistance;
extern double g_bpBackDistance;
extern double g_epForwardDistance;
extern int32_t g_firstStationNumber;
extern int32_t g_stationNaming;   // 0 "NO"+n, 1 "STA"+n, 2 "%d+%.2d"
extern int32_t g_clothoidNaming;  // 0 BTC BC EC ETC, 1 KA1 KE1 KE2 KA2
extern int32_t g_outputSingleCurveSp;
extern int32_t g_makeAuxStations;
extern double g_routeTolerance;

// Resize the station blocks to n records: 0, or -1 with the old block kept; n = 0 frees.
// The capacity globals are the caller's to keep.
int32_t GrowStationBlock(int32_t n);
int32_t GrowOtherRouteStationBlock(int32_t n);

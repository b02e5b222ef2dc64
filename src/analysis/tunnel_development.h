#pragma once
// Tunnel development: the random points on a tunnel wall unrolled onto a plane (moved in
// place) and put back.
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

constexpr int kTunnelChainSize = 2001;
// Invalid flag of a point found on the axis (set only on valid points).
constexpr int16_t kPointOnTunnelAxis = 3;

struct TunnelChainPoint {
    bool present = false;
    double x = 0, y = 0, z = 0;
};

// What the transforms share with the tunnel window.
struct TunnelDevelopState {
    double width = 30.0;  // W: metres per radian of the unrolled angle
    int32_t flip = 0;     // 左右反転
    int32_t basePoint1 = 0, basePoint2 = 0;
    std::vector<TunnelChainPoint> chain = std::vector<TunnelChainPoint>(kTunnelChainSize);
    // X, Y, Z of points 1..copiedCount before the transform ([0] unused); empty when none.
    std::vector<std::array<double, 3>> copy;
    int32_t copiedCount = 0;
    std::string messageText;  // control 1140
    // Called after messageText changed (the window repaints it).
    std::function<void()> onMessage;

    bool Developed() const { return !copy.empty(); }
};

// Each returns true when it moved the points (and holds the copy); false when it did not
// run: a copy already exists, the axis is missing or too short, or no room for the copy.
bool DevelopCylinder(TunnelDevelopState& state);
bool DevelopCylinderAlongChain(TunnelDevelopState& state);
bool DevelopSphere(TunnelDevelopState& state);

// Puts the copied coordinates back and frees the copy. When points were deleted since,
// the numbers no longer name the same points: the warning, nothing restored, the copy
// kept. When points were added, the copied ones get theirs back. False when nothing was
// restored.
bool RestoreTunnelPoints(TunnelDevelopState& state);

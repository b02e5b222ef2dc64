#pragma once
// The private notifications that other windows send the main frame as timer ids
// (96 restart the reminder, 97 save as, 98 save, 353 the exaggeration box).
#include <functional>

// Hands the id to the main frame at once; nothing while there is no frame.
void SendFrameTimer(int id);
// Installed by the main frame; an empty handler removes it.
void SetFrameTimerHandler(std::function<void(int)> handler);

constexpr int kFrameTimerExaggerationBox = 353;

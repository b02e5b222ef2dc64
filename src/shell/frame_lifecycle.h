#pragma once
// The main frame's start-up state and its orderly release at exit, apart from its
// windows: what the frame sets up when it is created and what it frees when it goes.
#include <cstddef>
#include <functional>

#include "platform/shared_memory.h"

constexpr const char* kMainWindowClassName = "OVK_NOSTREL";
constexpr const char* kSimParamMappingName = "K7VAR_PARAMFILE";
constexpr size_t kSimParamMappingSize = 1024;
constexpr int kBackupReminderTimerId = 99;

// The block the 3D simulation program reads (not open when it could not be created).
extern SharedMemoryBlock g_simParamMapping;

struct FrameStartState {
    bool reminderTimer = false;  // start timer 99
    int reminderIntervalMs = 0;
};

// The frame's creation steps after its bars: the shared block, the data model, the
// working folder, the work-file and settings paths, and the settings file.
FrameStartState StartFrameState();

// The 3D viewer's close step, installed by the viewer link (none until it exists).
void SetCloseViewer3d(std::function<void()> close);

// The frame's final step: the 3D viewer and the plotting program are told to close.
void FrameFinalStep();
// The frame's destruction: the shared block closed, the data freed (every subsystem's
// blocks through ReleaseDataModel), the work files deleted, the section programs closed.
void FrameDestroySteps();

#include "shell/frame_lifecycle.h"

#include "model/terrain_data.h"
#include "section/section_defaults.h"
#include "section/section_records.h"
#include "shell/settings_file.h"
#include "shell/sibling_programs.h"
#include "shell/work_files.h"
#include "shell/work_folder.h"
#include "view/view_state.h"

SharedMemoryBlock g_simParamMapping;

namespace {
std::function<void()> g_closeViewer3d;
}  // namespace

FrameStartState StartFrameState() {
    InitRouteSectionDefaults();
    CreateSectionBlocks();
    g_simParamMapping.Create(kSimParamMappingName, kSimParamMappingSize);
    InitDataModel();
    g_workFolder = ReadWorkFolderFile();
    g_lastFolder = g_workFolder;
    SetWorkFilePaths();
    SetDefaultSettingsPaths();
    SetStartViewDefaults();
    g_backupReminder[0] = 0;  // off, every 60 minutes, unless the settings file says otherwise
    g_backupReminder[1] = 60;
    ReadSettingsFile();

    FrameStartState state;
    state.reminderTimer = g_backupReminder[0] != 0;
    state.reminderIntervalMs = ReminderIntervalMs(g_backupReminder[1]);
    return state;
}

void SetCloseViewer3d(std::function<void()> close) { g_closeViewer3d = std::move(close); }

void FrameFinalStep() {
    if (g_closeViewer3d) g_closeViewer3d();
    ClosePlottingProgram();
}

void FrameDestroySteps() {
    g_simParamMapping.Close();
    ReleaseDataModel();
    DeleteWorkFiles();
    CloseSectionPrograms();
}

#include "dxf/dxf_commands.h"

#include <string>

#include "dxf/dxf_drape.h"
#include "dxf/dxf_info.h"
#include "dxf/dxf_reader.h"
#include "dxf/dxf_registration.h"
#include "dxf/dxf_store.h"
#include "model/terrain_data.h"
#include "platform/file_dialog.h"
#include "platform/input.h"
#include "platform/message_box.h"
#include "shell/command_routing.h"
#include "shell/work_folder.h"
#include "view/display_flags.h"
#include "model/document_services.h"
#include "view/view_state.h"
#include "view/view_transform.h"

bool OnBackgroundDxfSelect() {
    FileDialogRequest request;
    request.filter = "ＤＸＦデータ|*.DXF|";
    request.folder = g_workFolder;
    const std::string path = RunFileDialog(request);
    if (path.empty()) return false;
    g_lastFolder = FolderOfPath(path);
    const bool dataBefore = g_pointCount > 0 || g_dxfElementCount > 0;
    if (ReadBackgroundDxf(path) != kDxfReadDone) return false;
    if (ReadDxiFile(0) == 1 && ReadDxiFile(1) == 1 && ComputeDxfRegistration(0) == kDxfRegistrationDone) {
        ApplyDxfRegistration(1);
        g_dxfRegistration.transformActive = 1;
    }
    if (!(IsKeyDown(key::kControl) && dataBefore)) {
        g_overviewExtent = 0;
        ComputeDataExtents(0);
        g_birdsEyeTilt = -0.2;
        ClearViewHistory();
    }
    g_redrawMask = -1;
    InvalidateAndUpdateView();
    return true;
}

void OnBackgroundDxfShow(bool shift) {
    if (g_dxfElementCount < 1) return;
    if (g_showBackgroundDxf != 0) {
        if (shift)
            g_hideDoubleByteText = g_hideDoubleByteText == 0 ? -1 : 0;
        else
            g_showBackgroundDxf = 0;
    } else {
        g_showBackgroundDxf = -1;
        g_showHiddenDxfLayers =
            ShowMessage("非表示レイヤーのデータも表示しますか？", "", msg::kYesNo | msg::kIconQuestion) == msg::kIdYes;
    }
    g_redrawMask = -1;
    InvalidateAndUpdateView();
}

void RegisterDxfCommands(FrameCommandTarget& commands) {
    commands.SetHandler(32872, [] { OnBackgroundDxfSelect(); });
    commands.SetHandler(32873, [] { OnBackgroundDxfShow(IsKeyDown(key::kShift)); });
    commands.SetHandler(32875, [] { OnDxfCoordinateInfo(); });
    commands.SetHandler(32959, [] { OnDrapeDxfOnTin(); });
}

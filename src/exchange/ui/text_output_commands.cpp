#include "exchange/ui/text_output_commands.h"

#include <QPointer>

#include "exchange/digital_map_mesh.h"
#include "exchange/text_outputs.h"
#include "model/ui/zone_select_dialog.h"
#include "shell/command_routing.h"

namespace {
QPointer<QWidget> g_textOutputFrame;

int32_t RunAxisDialog() {
    CAxisConventionDlg dialog(g_textOutputFrame);
    return dialog.Run();
}
}  // namespace

void InstallTextOutputCommands(QWidget* frame, FrameCommandTarget& commands) {
    g_textOutputFrame = frame;
    commands.SetHandler(32860, [] { OnDigitalMapImport(); });
    commands.SetHandler(32983, [] { OnTinCoordinateTextOutput(RunAxisDialog); });
}

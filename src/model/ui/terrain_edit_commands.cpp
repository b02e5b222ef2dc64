#include "model/ui/terrain_edit_commands.h"

#include <QPointer>
#include <QWidget>

#include "model/flat_points.h"
#include "model/ridge_valley.h"
#include "model/ui/flat_point_delete_dialog.h"
#include "shell/command_routing.h"

void RegisterTerrainEditCommands(FrameCommandTarget& commands, QWidget* frame) {
    commands.SetHandler(32982, OnRidgeValleyCorrection);
    QPointer<QWidget> owner(frame);
    commands.SetHandler(32977, [owner] {
        OnFlatPointDelete(
            [owner](FlatPointDeleteValues& values) { CFlatPointDeleteDlg::Run(values, owner); });
    });
}

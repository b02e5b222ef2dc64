#include "route/ui/route_windows.h"

#include <QPointer>
#include <QWidget>

#include "route/cut_positions.h"
#include "route/ip_editing.h"
#include "route/route_lists.h"
#include "route/ui/coord_register_dialog.h"
#include "route/ui/cut_point_edit_dialog.h"
#include "route/ui/ip_list_dialog.h"
#include "route/ui/plus_stake_dialog.h"
#include "route/ui/station_list_dialog.h"
#include "shell/command_routing.h"
#include "shell/tool_windows.h"

namespace {
constexpr int kIpListCommand = 32811;
constexpr int kStationListCommand = 32818;
constexpr int kPlusStakeCommand = 32806;
constexpr int kCutPointEditCommand = 32963;
}  // namespace

void InstallRouteWindows(QWidget* frame, FrameCommandTarget& commands) {
    QPointer<QWidget> owner(frame);
    commands.SetHandler(kIpListCommand, [owner] {
        OnRouteListCommand([owner] { CIpListDlg::Toggle(owner); }, true);
    });
    commands.SetHandler(kStationListCommand, [owner] {
        OnRouteListCommand([owner] { CStationListDlg::Toggle(owner); }, true);
    });
    commands.SetHandler(kPlusStakeCommand, [owner] {
        OnRouteListCommand([owner] { CPlusStakeDlg::Toggle(owner); }, false);
    });
    commands.SetHandler(kCutPointEditCommand, [owner] {
        OnCutPointEditCommand([owner] { return CCutPointEditDlg::Run(owner); });
    });
    // The IP tools run dialog 132 with no parent, over the view.
    SetCoordRegisterDialogRunner([] { return CCoordRegisterDlg::Run(nullptr); });
}

void UninstallRouteWindows() {
    SetCoordRegisterDialogRunner(nullptr);
    for (ToolWindow slot : {ToolWindow::kIpList, ToolWindow::kStationList, ToolWindow::kPlusStake})
        CloseToolWindow(slot);
}

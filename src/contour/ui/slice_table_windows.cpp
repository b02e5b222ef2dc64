#include "contour/ui/slice_table_windows.h"

#include <QPointer>
#include <QWidget>

#include "contour/elevation_table.h"
#include "contour/slice_quantities.h"
#include "contour/ui/area_list_dialog.h"
#include "contour/ui/elevation_area_dialog.h"
#include "contour/ui/quantity_dialogs.h"
#include "model/pick_reset.h"
#include "shell/command_routing.h"
#include "shell/tool_mode.h"
#include "shell/tool_windows.h"

namespace {
constexpr int kElevationAreaCommand = 32889;
constexpr int kAreaListCommand = 32892;
constexpr int kQuantityCalcCommand = 32895;
constexpr int kQuantityListCommand = 32896;
constexpr int kSliceToContourCommand = 32900;

void ResetTools() {
    ResetToolMode();
    ClearPicks();
    ClearPickList();
}
}  // namespace

void InstallSliceTableWindows(QWidget* frame, FrameCommandTarget& commands) {
    QPointer<QWidget> owner(frame);
    commands.SetHandler(kElevationAreaCommand, [owner] {
        ResetTools();
        CloseToolWindows();
        CElevationAreaDlg::Toggle(owner);
    });
    commands.SetHandler(kAreaListCommand, [owner] { CAreaListDlg::Toggle(owner); });
    commands.SetHandler(kQuantityCalcCommand, [owner] {
        OnQuantityCalc([owner] { return CQuantityCalcDlg::Run(owner); },
                       [owner] { CQuantityListDlg::Show(owner); });
    });
    commands.SetHandler(kQuantityListCommand, [owner] {
        ResetTools();
        CQuantityListDlg::Toggle(owner);
    });
    commands.SetHandler(kSliceToContourCommand, [] { OnSliceToContour(); });
    // The valid/invalid drag over slice lines asks over the view.
    SetQuantityValidDialogRunner(
        [](QuantityValidValues& values) { return CQuantityValidDlg::Run(nullptr, values); });
}

void UninstallSliceTableWindows() {
    SetQuantityValidDialogRunner(nullptr);
    for (ToolWindow slot :
         {ToolWindow::kElevationArea, ToolWindow::kAreaList, ToolWindow::kQuantityList})
        CloseToolWindow(slot);
}

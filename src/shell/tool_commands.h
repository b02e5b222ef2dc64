#pragma once
// The frame's tool commands: each sets the tool mode and its sub-state (and opens the
// tool's panel when it has one); the command of the active tool switches it off; any
// other tool command ends the previous tool first.
#include <cstdint>
#include <functional>

#include "shell/command_routing.h"
#include "shell/plotter_file.h"

// The windows and dialogs the tool commands open. An empty entry is a window that does
// not exist here; a command that cannot work without its dialog is then not offered.
struct ToolCommandServices {
    std::function<void()> focusMainWindow;
    // Point-edit panel: create it, or re-enable its controls when it is open.
    std::function<void()> showPointInputPanel;
    std::function<void()> openHoleTypeDialog;    // modeless, no parent
    std::function<void()> openTextFlagDialog;    // modeless, with the frame
    std::function<void()> openVecCreateDialog;   // modeless, with the frame
    std::function<void()> openMoveRotateDialog;  // modeless, with the frame
    std::function<void()> runCoordInputDialog;   // modal snap rule of coordinate input
    std::function<int()> runSelectShapeDialog;   // 1 rectangle, 2 polygon, 3 lasso
    std::function<int()> runMeshRangeDialog;     // 0 edit, 1 initialise, 2 delete
    std::function<void()> initMeshAreaPolygon;   // the range polygon from the mesh area
    // The random-point section settings; firstUse: set their first values before.
    std::function<void(bool firstUse)> runPointSectionSettingsDialog;
    // Shows the batch-edit sub-state on the point toolbar before its dialog runs.
    std::function<void()> refreshPointToolBar;
    // Dialog 186 on the two base points of カルドミア出力 (modal).
    std::function<void(const PlotterBasePoint&, const PlotterBasePoint&)> runPlotterFileDialog;
    // Whether a click in a tool mode and sub-state reaches a tool function; empty: the
    // view's dispatch table decides.
    std::function<bool(int32_t mode, int32_t subState)> toolClickHandled;
};
ToolCommandServices& ToolServices();

// Whether a tool command can work here: the function its clicks reach in the view and the
// window it opens both exist. A tool command is enabled only then; commands that are not
// tools count as built.
bool ToolCommandBuilt(int id);

// Outline and hole tools.
void OnOutlinePartialErase();   // 32834
void OnOutlinePartialChange();  // 32835
void OnHoleDelete();            // 32954
void OnPartialTin();            // 32862
void OnHoleRegister();          // 32955
// Point tools.
void OnPointModify();                    // 32842
void OnPointAddByMouse();                // 32843
void OnPointAddBetweenTwo();             // 32844
void OnPointAddOffset();                 // 32845
void OnPointAddFourPointIntersection();  // 32846
void OnPointAddParallel();               // 32879
void OnPointValidInvalid(bool shift);    // 32847; with Shift the move/rotate dialog
void OnPointBatchEdit();                 // 32914
// IP tools.
void OnIpInput();   // 32808
void OnIpChange();  // 32809
void OnIpDelete();  // 32810
void OnIpInsert();  // 32976
// Other tools.
void OnAreaInfo();           // 32893
void OnSliceValidInvalid();  // 32901
void OnMeshElevationEdit();  // 32878
void OnMeshAreaEdit();       // 32903
void OnArbitrarySection();   // 32911
void OnSimpleSection();      // 32966
void OnSagCurve();           // 32985
void OnTextFlag();           // 32968
void OnCutPositionDelete();  // 32980
void OnVectorCreate();       // 33025

// The rules of 32966 and 32968: the table's, and they close their windows as a side effect.
void UpdateSimpleSection(const ShellConditions& c, CommandUpdate& u);
void UpdateTextFlag(const ShellConditions& c, CommandUpdate& u);

// Registers the tool commands with the frame's commands (those that cannot work without
// their dialogs only when these exist); the table's rules then enable them, the tools
// that are not built (ToolCommandBuilt) never. `conditions` feeds the two rules
// above (default: CurrentShellConditions).
void RegisterToolCommands(FrameCommandTarget& commands,
                          std::function<ShellConditions()> conditions = nullptr);

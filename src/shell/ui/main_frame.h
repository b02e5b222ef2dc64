#pragma once
// The main window: menus built from the command table, the main and display toolbars
// with the exaggeration box, the status bar, the frame's timers and its commands.
#include <QMainWindow>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <map>
#include <vector>

#include "model/duplicate_points.h"
#include "model/geodesy.h"
#include "model/zone_dialog.h"
#include "shell/command_routing.h"
#include "shell/frame_lifecycle.h"
#include "shell/shell_document.h"
#include "platform/window_registry.h"

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QToolBar;
class CBackup_MSG;
class CMouseInfo;

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    // `application` receives the commands that pass the view, document and frame.
    explicit CMainFrame(CommandTarget* application = nullptr, QWidget* parent = nullptr);
    ~CMainFrame() override;

    // The document and the view (null: none yet). The view widget becomes the central
    // widget; its command target comes first in the routing.
    void SetDocument(ShellDocument* document);
    ShellDocument* Document() const { return m_document; }
    void SetView(QWidget* viewWidget, CommandTarget* viewCommands);
    QWidget* ViewWidget() const { return centralWidget(); }

    // The frame's command handlers (later code registers its own here).
    FrameCommandTarget& FrameCommands() { return m_frameCommands; }
    CommandRouter& Router() { return m_router; }
    // Routes a command as a menu choice does, then refreshes the command states.
    void ExecuteCommand(int id);
    // Enable and check states of every menu item and button, and the title.
    void RefreshCommandStates();
    void UpdateFrameTitle();

    // The conditions the rules look at (default: the program's globals); the frame adds
    // its own bar state.
    void SetConditionSource(std::function<ShellConditions()> source) {
        m_conditionSource = std::move(source);
    }
    ShellConditions Conditions() const;

    // The frame's WM_TIMER ids: 96 restart the reminder, 97 save as, 98 save,
    // 99 reminder tick, 353 exaggeration box.
    void OnTimer(int id);
    bool ReminderTimerActive() const { return m_reminderTimer.isActive(); }
    int ReminderTimerInterval() const { return m_reminderTimer.interval(); }

    // The exaggeration box: Enter applies its text, the wheel steps it.
    void ApplyHeightEditText();
    void StepHeightEdit(int wheelDelta);
    // Replaces the full redraw of the view (for tests).
    void SetFullRedraw(std::function<void()> redraw) { m_fullRedraw = std::move(redraw); }

    QToolBar* MainToolBar() const { return m_mainToolBar; }
    QToolBar* DisplayToolBar() const { return m_displayToolBar; }
    QToolBar* DisplayMenuToolBar() const { return m_displayMenuToolBar; }
    // The mode toolbar of a code (1 to 8 and 10; 6 and 7 are one bar), or null.
    QToolBar* ModeToolBar(int code) const;
    // Hides the mode toolbars (all but the terrain and cross-section calculation bars)
    // and ends the active tool.
    virtual void HideModeToolbars();
    QLineEdit* HeightEdit() const { return m_heightEdit; }
    QLabel* HeightLabel() const { return m_heightLabel; }
    // A status pane by its indicator id (0 the message pane; 102 to 109).
    QLabel* StatusPane(int id) const;
    // The idle update of the status panes (also run by a short timer).
    void UpdateStatusPanes();
    // The geodesy object of the latitude/longitude display.
    Ellipsoid& Geodesy() { return m_geodesy; }
    std::vector<QAction*> Actions(int id) const;
    CMouseInfo* MouseInfo() const { return m_mouseInfo; }
    CBackup_MSG* BackupReminder() const;
    int ModeToolBarCode() const { return m_modeToolBarCode; }

    // How the zone dialog runs (default: CZoneSelectDlg); false when cancelled.
    void SetZoneDialogRunner(std::function<bool(ZoneSelectValues&)> runner) {
        m_zoneDialogRunner = std::move(runner);
    }

    // How the automatic-outline, route calculation and duplicate-check dialogs run (default: the dialogs).
    void SetAutoOutlineDialogRunner(std::function<void()> runner) {
        m_autoOutlineRunner = std::move(runner);
    }
    void SetRouteCalcDialogRunner(std::function<void()> runner) {
        m_routeCalcRunner = std::move(runner);
    }
    // Dialog 170 of 横断図作図 (tests answer it).
    void SetSectionChoiceRunner(std::function<int()> runner) { m_sectionChoiceRunner = std::move(runner); }
    void SetDuplicateCheckDialogRunner(std::function<bool(DuplicateCheckValues&)> runner) {
        m_duplicateCheckRunner = std::move(runner);
    }

    // How the working folder is chosen (default: a folder dialog); empty cancels.
    void SetFolderChooser(std::function<std::string(const std::string& start)> chooser) {
        m_folderChooser = std::move(chooser);
    }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

    // WM_USER+100 from the host: runs the command on the shared block, then replies to
    // the host's window (hostWindow 0: no reply).
    int OnExternalCommand(int32_t hostWindow, int32_t command);

private:
    void ReceiveWindowMessages();
    WindowClassListener m_classListener;
    int m_hostRequestSerial = 0;
    void BuildMenus();
    void BuildToolBars();
    void BuildModeToolBars();
    void OnModeToolBar(int commandId);
    void BuildStatusBar();
    void RegisterFrameCommands();
    QAction* MakeAction(int id, const QString& text);
    void RefreshActions(const std::vector<QAction*>& actions);
    void RefreshMenu(QMenu* menu);
    void RebuildRecentFiles(QMenu* fileMenu);
    void FullRedraw();
    void OnWorkFolder();
    void OnLatLongDisplay();
    void OnUpdatePaneX();
    void OnUpdatePaneY();
    void OnUpdatePaneWidth();
    void OnUpdatePaneHeight();
    void OnUpdatePanePointCount();
    void OnUpdatePaneDistance();
    void OnUpdatePaneAzimuth();
    void UpdatePane(int id);

    CommandRouter m_router;
    FrameCommandTarget m_frameCommands;
    CommandTarget* m_application = nullptr;
    ShellDocument* m_document = nullptr;
    CommandTarget* m_viewCommands = nullptr;
    std::function<ShellConditions()> m_conditionSource;
    std::function<void()> m_fullRedraw;
    std::function<std::string(const std::string&)> m_folderChooser;
    std::function<bool(ZoneSelectValues&)> m_zoneDialogRunner;
    std::function<void()> m_autoOutlineRunner;
    std::function<void()> m_routeCalcRunner;
    std::function<bool(DuplicateCheckValues&)> m_duplicateCheckRunner;
    std::function<int()> m_sectionChoiceRunner;
    Ellipsoid m_geodesy;

    std::map<int, std::vector<QAction*>> m_actions;
    bool m_commandsShownBusy = false;  // the items show disabled until a long operation ends
    QMenu* m_fileMenu = nullptr;
    QAction* m_recentPlaceholder = nullptr;
    std::vector<QAction*> m_recentActions;

    int m_modeToolBarCode = 0;
    QToolBar* m_mainToolBar = nullptr;
    QToolBar* m_displayToolBar = nullptr;
    QToolBar* m_displayMenuToolBar = nullptr;
    std::map<int, QToolBar*> m_modeToolBars;  // by code
    QLineEdit* m_heightEdit = nullptr;
    QLabel* m_heightLabel = nullptr;
    std::map<int, QLabel*> m_panes;

    QTimer m_reminderTimer;  // timer 99
    QTimer m_statusTimer;    // idle update of the status panes
    CMouseInfo* m_mouseInfo = nullptr;
};

// The open backup reminder (null while none is open).
extern QPointer<CBackup_MSG> g_backupReminderDlg;

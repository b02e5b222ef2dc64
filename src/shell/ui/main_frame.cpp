#include "shell/ui/main_frame.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QScreen>
#include <QSocketNotifier>
#include <QStatusBar>
#include <QToolBar>
#include <QWheelEvent>

#include "contour/contour_dialog.h"
#include "contour/ui/contour_calc_dialog.h"
#include "contour/ui/slice_table_windows.h"
#include "image/ui/image_list_dialog.h"
#include "model/auto_outline.h"
#include "model/duplicate_points.h"
#include "dxf/ui/dxf_info_dialog.h"
#include "dxf/ui/vector_editor_dialog.h"
#include "dxf/dxf_commands.h"
#include "dxf/ui/dxf3d_output_dialog.h"
#include "dxf/ui/dxf_position_dialog.h"
#include "image/ui/dxf_to_image_dialog.h"
#include "image/ui/image_placement_dialog.h"
#include "image/ui/point_colour_dialog.h"
#include "image/ui/raster_trace_dialog.h"
#include "model/hole_commands.h"
#include "model/tin_edit.h"
#include "model/tin_calc_command.h"
#include "image/image_command.h"
#include "model/document.h"
#include "model/ui/auto_outline_dialog.h"
#include "model/ui/random_merge_dialog.h"
#include "model/bridge_tunnel.h"
#include "model/ui/duplicate_check_dialog.h"
#include "model/ui/hole_dialogs.h"
#include "model/ui/progress_window.h"
#include "model/ui/terrain_edit_commands.h"
#include "exchange/ui/gsi_xml_dialog.h"
#include "exchange/ui/import_dialog.h"
#include "exchange/ui/map_import_dialogs.h"
#include "exchange/ui/sima_out_dialog.h"
#include "exchange/ui/sunmap_out_dialog.h"
#include "exchange/ui/text_output_commands.h"
#include "model/ui/zone_select_dialog.h"
#include "platform/busy.h"
#include "platform/input.h"
#include "platform/message_box.h"
#include "platform/window_state.h"
#include "pointedit/area_edit_commands.h"
#include "pointedit/point_list_command.h"
#include "pointedit/point_gen_commands.h"
#include "pointedit/ui/area_edit_dialogs.h"
#include "pointedit/ui/batch_edit_dialogs.h"
#include "pointedit/ui/dup_point_select_dialog.h"
#include "pointedit/ui/line_number_dialog.h"
#include "pointedit/ui/point_input_dialogs.h"
#include "pointedit/ui/point_list_dialog.h"
#include "route/curve_list_dialog.h"
#include "pointedit/ui/point_gen_dialogs.h"
#include "contour/ui/slice_line_dialogs.h"
#include "route/route_calc_dialog.h"
#include "route/ui/curve_list_dialog.h"
#include "route/ui/route_calc_dialog.h"
#include "route/ui/route_windows.h"
#include "analysis/flow_tool.h"
#include "analysis/ui/arbitrary_elevation_dialog.h"
#include "analysis/ui/flow_dialog.h"
#include "analysis/ui/point_section_settings_dialog.h"
#include "analysis/ui/tunnel_window.h"
#include "analysis/ui/sag_curve_windows.h"
#include "analysis/ui/visibility_dialog.h"
#include "analysis/ui/water_level_dialog.h"
#include "analysis/visibility_tool.h"
#include "analysis/water_level.h"
#include "section/earthwork_command.h"
#include "section/section_calc_command.h"
#include "section/section_files_command.h"
#include "section/ui/cross_section_window.h"
#include "section/ui/earthwork_dialogs.h"
#include "section/ui/long_section_window.h"
#include "section/ui/section_calc_dialog.h"
#include "section/ui/section_random_output_dialog.h"
#include "section/ui/section_shift_window.h"
#include "shell/backup_reminder.h"
#include "shell/frame_timer.h"
#include "shell/height_scale.h"
#include "shell/mode_toolbars.h"
#include "shell/settings_file.h"
#include "shell/sibling_programs.h"
#include "shell/status_bar.h"
#include "shell/status_text.h"
#include "shell/tool_commands.h"
#include "shell/tool_mode.h"
#include "shell/tool_windows.h"
#include "shell/ui/backup_reminder_dialog.h"
#include "shell/ui/highlight_toolbar.h"
#include "shell/ui/mouse_info.h"
#include "shell/ui/recent_files.h"
#include "shell/ui/plotter_file_dialog.h"
#include "shell/ui/section_drawing_choice_dialog.h"
#include "shell/plotter_file_command.h"
#include "shell/host_channel.h"
#include "shell/ui/setting_dialog.h"
#include "shell/ui/toolbar_icons.h"
#include "shell/work_folder.h"
#include "view/color_band_command.h"
#include "view/color_band_file.h"
#include "view/cursor_state.h"
#include "view/palette.h"
#include "view/stroke_font.h"
#include "view/ui/color_band_dialog.h"
#include "view/ui/color_dialog.h"
#include "view/ui/display_settings_dialogs.h"
#include "view/ui/grid_interval_dialog.h"
#include "view/ui/light_source_dialog.h"
#include "view/ui/text_flag_dialog.h"
#include "view/viewer_link.h"
#include "view/ui/pelmo_3d_view.h"
#include "view/view_state.h"
#include "volume/mesh_files.h"
#include "volume/mesh_from_tin.h"
#include "volume/ui/mesh_dialogs.h"
#include "volume/ui/mesh_volume_dialog.h"
#include "volume/ui/mesh_elevation_dialog.h"
#include "volume/ui/volume_dialogs.h"

QPointer<CBackup_MSG> g_backupReminderDlg;

namespace {
constexpr int kMainToolBarIds[] = {32790, 32775, 32779, 32789, 32800, 32776, 0,    32805,
                                   32778, 32777, 32780, 32781, 32782, 32961, 32814};
constexpr int kDisplayToolBarIds[] = {32789, 32779, 32790, 32775, 32800, 32776, 32885, 32792, 32793,
                                      32797, 32771, 32854, 32786, 32974, 32966, 32979, 32844};
constexpr int kDisplayMenuToolBarIds[] = {
    32789, 32779, 32790, 32775, 32800, 32776, 32885, 32792, 32793, 32794, 32797, 32771, 32876,
    32783, 32784, 32824, 32785, 32798, 32894, 32854, 32866, 32873, 32786, 32970, 32974};

// Status panes in their order on the bar, with the width (in characters) of the blank
// string that sizes each.
struct PaneSpec {
    int id;
    int chars;
};
constexpr PaneSpec kPanes[] = {{0, 0},   {102, 26}, {103, 26}, {108, 20}, {109, 20},
                               {107, 1}, {104, 25}, {105, 25}, {106, 16}};

QString PlainText(const char* text) {
    QString s = QString::fromUtf8(text);
    s.remove('&');
    return s;
}

QString MenuText(const char* text) { return QString::fromUtf8(text); }
}  // namespace

CMainFrame::CMainFrame(CommandTarget* application, QWidget* parent)
    : QMainWindow(parent), m_application(application) {
    setObjectName(QString::fromLatin1(kMainWindowClassName));
    setWindowIcon(ProgramIcon());
    m_frameCommands.SetConditionSource([this] { return Conditions(); });
    m_router.SetTargets(nullptr, nullptr, &m_frameCommands, m_application);

    // Created at the size of a maximised window, in the top-left corner.
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        setGeometry(screen->availableGeometry());
        SetScreenSize(screen->geometry().width(), screen->geometry().height());
    }

    BuildMenus();
    BuildToolBars();
    BuildModeToolBars();
    // The toolbar menu offers the bars' commands, so that a mode bar is shown only through
    // its command (which hides the other mode bars and ends their tool) and the commands
    // that have no menu item are reachable.
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QMenu menu(this);
        for (int id : {cmd::kMainToolBar, cmd::kDisplayToolBar, cmd::kDisplayMenuToolBar, 32853, 32856, 32899}) {
            const MenuEntry* e = FindCommand(id);
            QAction* a = menu.addAction(e && e->text ? PlainText(e->text).trimmed() : QString::number(id));
            a->setData(id);
            const CommandUpdate u = m_router.Update(id);
            a->setEnabled(u.enabled);
            a->setCheckable(true);
            a->setChecked(u.check == CheckState::kChecked);
        }
        if (QAction* chosen = menu.exec(mapToGlobal(at))) ExecuteCommand(chosen->data().toInt());
    });
    BuildStatusBar();
    // The core writes the message pane and opens its progress windows over this frame.
    SetStatusTextHandler([this](const std::string& text) {
        if (QLabel* pane = StatusPane(0)) pane->setText(QString::fromUtf8(text.c_str()));
    });
    InstallQtProgressWindows(this);
    // The TIN calculation takes the frame's input away while it builds; the duplicate check
    // asks which point to keep over it.
    SetMainWindowEnableHandler([this](bool enable) { setEnabled(enable); });
    SetDupPointChooser(
        [this](const std::vector<int32_t>& group) { return CDupPointSelectDlg::Run(group, this); });
    SetFrameTimerHandler([this](int id) { OnTimer(id); });
    InstallGridIntervalDialog(this);
    // The exaggeration bar and the toolbar's box set one value; each follows the other.
    InstallDisplaySettingsWindows(this)->SetChangedHandler([this] {
        if (m_heightEdit) m_heightEdit->setText(QString::fromStdString(FormatHeightScale(g_heightScale)));
    });
    auto* view = new QWidget(this);
    view->setObjectName("viewPlaceholder");
    view->setAutoFillBackground(true);
    QPalette pal = view->palette();
    pal.setColor(QPalette::Window, Qt::white);
    view->setPalette(pal);
    view->setMouseTracking(true);
    setCentralWidget(view);

    const FrameStartState start = StartFrameState();
    SetCloseViewer3d(CloseViewer3d);
    LoadStrokeFont();
    m_mouseInfo = new CMouseInfo(this);
    m_mouseInfo->show();

    m_reminderTimer.setTimerType(Qt::VeryCoarseTimer);
    connect(&m_reminderTimer, &QTimer::timeout, this, [this] { OnTimer(kBackupReminderTimerId); });
    if (start.reminderTimer) m_reminderTimer.start(start.reminderIntervalMs);
    connect(&m_statusTimer, &QTimer::timeout, this, [this] { UpdateStatusPanes(); });
    m_statusTimer.start(200);

    RegisterFrameCommands();
    // Other programs of the suite find this window by its class: the host's requests and
    // raise requests arrive here.
    if (m_classListener.Listen(kMainWindowClassName)) {
        auto* notifier = new QSocketNotifier(m_classListener.Descriptor(), QSocketNotifier::Read, this);
        connect(notifier, &QSocketNotifier::activated, this, [this] { ReceiveWindowMessages(); });
    }
    qApp->installEventFilter(this);
    RefreshCommandStates();
}

CMainFrame::~CMainFrame() {
    qApp->removeEventFilter(this);
    ToolServices().focusMainWindow = nullptr;
    ToolServices().refreshPointToolBar = nullptr;
    ToolServices().openMoveRotateDialog = nullptr;
    ToolServices().openVecCreateDialog = nullptr;
    RemovePointToolWindows();
    ToolServices().openHoleTypeDialog = nullptr;
    SetHoleKindChooser(nullptr);
    AreaEditWindowFactory() = AreaEditWindows{};
    PointListWindowFactory() = nullptr;
    UninstallBatchEditDialogs();
    UninstallLineNumberWindow();
    UninstallTextFlagWindow();
    UninstallTunnelWindow();
    UninstallRouteWindows();
    UninstallSliceTableWindows();
    UninstallMeshDialogs();
    UninstallLineToolWindows();
    SetStatusTextHandler(nullptr);
    SetFrameTimerHandler(nullptr);
    UninstallGridIntervalDialog();
    UninstallDisplaySettingsWindows();
    delete g_colorDialogWnd.data();
    SetPlotterFileDialogRunner(nullptr);
    m_reminderTimer.stop();
    m_statusTimer.stop();
    if (g_backupReminderDlg && g_backupReminderDlg->parent() == this)
        delete g_backupReminderDlg.data();
    FrameFinalStep();
    FrameDestroySteps();
}

void CMainFrame::SetDocument(ShellDocument* document) {
    m_document = document;
    m_router.SetDocument(document);
    UpdateFrameTitle();
}

void CMainFrame::SetView(QWidget* viewWidget, CommandTarget* viewCommands) {
    if (viewWidget) {
        viewWidget->setMouseTracking(true);
        setCentralWidget(viewWidget);
    }
    m_viewCommands = viewCommands;
    m_router.SetView(viewCommands);
}

ShellConditions CMainFrame::Conditions() const {
    ShellConditions c = m_conditionSource ? m_conditionSource() : CurrentShellConditions();
    c.modeToolBarCode = m_modeToolBarCode;
    c.displayToolBarVisible = m_displayToolBar && !m_displayToolBar->isHidden();
    c.displayMenuToolBarVisible = m_displayMenuToolBar && !m_displayMenuToolBar->isHidden();
    return c;
}

QAction* CMainFrame::MakeAction(int id, const QString& text) {
    auto* action = new QAction(text, this);
    action->setData(id);
    connect(action, &QAction::triggered, this, [this, id] { ExecuteCommand(id); });
    m_actions[id].push_back(action);
    return action;
}

void CMainFrame::BuildMenus() {
    std::map<std::string, QMenu*> menus;
    auto menuFor = [&](const std::string& path) -> QMenu* {
        if (auto it = menus.find(path); it != menus.end()) return it->second;
        QMenu* menu = nullptr;
        const size_t slash = path.find('/');
        if (slash == std::string::npos) {
            menu = menuBar()->addMenu(QString::fromStdString(path));
        } else {
            QMenu* top =
                menus.count(path.substr(0, slash)) ? menus[path.substr(0, slash)] : nullptr;
            if (!top) {
                top = menuBar()->addMenu(QString::fromStdString(path.substr(0, slash)));
                menus[path.substr(0, slash)] = top;
                connect(top, &QMenu::aboutToShow, this, [this, top] { RefreshMenu(top); });
            }
            menu = top->addMenu(QString::fromStdString(path.substr(slash + 1)));
        }
        menu->setObjectName(QString::fromStdString(path));
        connect(menu, &QMenu::aboutToShow, this, [this, menu] { RefreshMenu(menu); });
        menus[path] = menu;
        return menu;
    };

    for (const MenuEntry& e : MenuEntries()) {
        if (!e.menu) continue;  // toolbar-only commands
        if (e.menu[0] == '\0') {
            menuBar()->addAction(MakeAction(e.id, MenuText(e.text)));
            continue;
        }
        QMenu* menu = menuFor(e.menu);
        if (e.id == 0) {
            menu->addSeparator();
            continue;
        }
        QAction* action = MakeAction(e.id, MenuText(e.text));
        menu->addAction(action);
        if (e.id == cmd::kFileRecent) {
            m_fileMenu = menu;
            m_recentPlaceholder = action;
        }
    }
    // Accelerators: on the menu item of their command, else on an action of the window
    // itself (one action per command, so that two keys never make an ambiguous shortcut).
    std::map<int, QList<QKeySequence>> keys;
    for (const Accelerator& a : Accelerators()) keys[a.id] << QKeySequence(QString::fromLatin1(a.keys));
    for (const auto& [id, sequences] : keys) {
        auto found = m_actions.find(id);
        QAction* action = found != m_actions.end() && !found->second.empty() ? found->second.front() : nullptr;
        if (!action) {
            action = MakeAction(id, QString());
            addAction(action);
        }
        action->setShortcuts(sequences);
    }
    if (m_fileMenu)
        connect(m_fileMenu, &QMenu::aboutToShow, this, [this] { RebuildRecentFiles(m_fileMenu); });
}

void CMainFrame::RebuildRecentFiles(QMenu* fileMenu) {
    for (QAction* a : m_recentActions) {
        auto& list = m_actions[a->data().toInt()];
        list.erase(std::remove(list.begin(), list.end(), a), list.end());
        fileMenu->removeAction(a);
        a->deleteLater();
    }
    m_recentActions.clear();
    const QStringList files = RecentFileList().Files();
    m_recentPlaceholder->setVisible(files.isEmpty());
    for (int i = 0; i < files.size(); ++i) {
        QAction* a = MakeAction(cmd::kFileRecent + i, QString("&%1 %2").arg(i + 1).arg(files[i]));
        fileMenu->insertAction(m_recentPlaceholder, a);
        m_recentActions.push_back(a);
    }
    RefreshActions(m_recentActions);
}

void CMainFrame::BuildToolBars() {
    m_mainToolBar = new QToolBar(QString::fromUtf8("基本操作ツール"), this);
    m_mainToolBar->setObjectName("mainToolBar");
    m_mainToolBar->setIconSize(QSize(16, 15));
    for (int id : kMainToolBarIds) {
        if (id == 0) {
            m_mainToolBar->addSeparator();
            continue;
        }
        const MenuEntry* e = FindCommand(id);
        QAction* a = MakeAction(id, PlainText(e->text));
        a->setIcon(ToolbarIcon(id, QSize(16, 15)));
        m_mainToolBar->addAction(a);
    }
    // The sixteenth slot holds the exaggeration box and its label.
    m_mainToolBar->addSeparator();
    auto* slot = new QWidget(m_mainToolBar);
    slot->setObjectName("heightSlot");
    slot->setFixedSize(180, 24);
    m_heightLabel = new QLabel(QString::fromUtf8("縦倍率"), slot);
    m_heightLabel->setObjectName("heightLabel");
    m_heightLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_heightLabel->setGeometry(102, 5, 36, 24 - 7);
    m_heightEdit = new QLineEdit(slot);
    m_heightEdit->setObjectName("heightEdit");
    m_heightEdit->setAlignment(Qt::AlignRight);
    m_heightEdit->setGeometry(142, 2, 36, 24 - 4);
    m_heightEdit->setText(QString::fromStdString(FormatHeightScale(g_heightScale)));
    m_heightLabel->hide();
    m_heightEdit->hide();
    m_mainToolBar->addWidget(slot);
    addToolBar(Qt::TopToolBarArea, m_mainToolBar);

    m_displayToolBar = new QToolBar(QString::fromUtf8("表示制御ツール"), this);
    m_displayToolBar->setObjectName("displayToolBar");
    m_displayToolBar->setIconSize(QSize(35, 15));
    for (int id : kDisplayToolBarIds) {
        const MenuEntry* e = FindCommand(id);
        const QString tip = id == 32844 ? QString::fromUtf8("２点間情報") : PlainText(e->text);
        QAction* a = MakeAction(id, tip);
        a->setIcon(ToolbarIcon(id, QSize(35, 15)));
        m_displayToolBar->addAction(a);
    }
    addToolBar(Qt::BottomToolBarArea, m_displayToolBar);
}

void CMainFrame::BuildModeToolBars() {
    // A row of their own below the main toolbar.
    addToolBarBreak(Qt::TopToolBarArea);
    // The display-menu toolbar: the display switches, hidden at start.
    m_displayMenuToolBar = new QToolBar(QString::fromUtf8("表示メニューツール"), this);
    m_displayMenuToolBar->setObjectName("displayMenuToolBar");
    m_displayMenuToolBar->setIconSize(QSize(32, 15));
    for (int id : kDisplayMenuToolBarIds) {
        QAction* a = MakeAction(id, PlainText(FindCommand(id)->text).trimmed());
        a->setIcon(ToolbarIcon(id, QSize(32, 15)));
        m_displayMenuToolBar->addAction(a);
    }
    addToolBar(Qt::TopToolBarArea, m_displayMenuToolBar);
    m_displayMenuToolBar->hide();

    // The mode toolbars carry their commands' names on buttons of at least 65 x 16.
    for (const ModeToolBarLayout& entry : ModeToolBars()) {
        if (entry.code == 7) {
            m_modeToolBars[7] = m_modeToolBars[6];
            continue;
        }
        auto* bar = new MToolbar(QString::fromUtf8(entry.title), this);
        bar->setObjectName(QString("modeToolBar%1").arg(entry.code));
        bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
        for (int id : entry.buttons) {
            const MenuEntry* e = FindCommand(id);
            QAction* a = MakeAction(id, PlainText(e ? e->text : "").trimmed());
            bar->addAction(a);
            if (QWidget* button = bar->widgetForAction(a)) button->setMinimumSize(65, 16);
        }
        addToolBar(Qt::TopToolBarArea, bar);
        bar->hide();
        m_modeToolBars[entry.code] = bar;
    }
}

QToolBar* CMainFrame::ModeToolBar(int code) const {
    auto it = m_modeToolBars.find(code);
    return it == m_modeToolBars.end() ? nullptr : it->second;
}

void CMainFrame::HideModeToolbars() {
    for (const auto& [code, bar] : m_modeToolBars)
        if (HiddenWithModeToolBars(code)) bar->hide();
    EndToolForModeToolBars();
}

void CMainFrame::OnModeToolBar(int commandId) {
    const ModeToolBarLayout* entry = FindModeToolBarCommand(commandId);
    if (!entry) return;
    HideModeToolbars();
    if (QToolBar* bar = ModeToolBar(entry->code)) bar->show();
    m_modeToolBarCode = entry->code;
    if (ApplyModeToolBarDisplay(entry->code)) FullRedraw();
}

void CMainFrame::BuildStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName("statusBar");
    const int charWidth = bar->fontMetrics().horizontalAdvance(QLatin1Char('0'));
    for (const PaneSpec& pane : kPanes) {
        auto* label = new QLabel(bar);
        label->setObjectName(QString("pane%1").arg(pane.id));
        if (pane.id == 0) {
            label->setText(QString::fromUtf8("ﾚﾃﾞｨ"));
            bar->addWidget(label, 1);
        } else {
            label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
            label->setFixedWidth(pane.chars * charWidth + 6);
            bar->addPermanentWidget(label);
        }
        m_panes[pane.id] = label;
    }
}

QLabel* CMainFrame::StatusPane(int id) const {
    auto it = m_panes.find(id);
    return it == m_panes.end() ? nullptr : it->second;
}

std::vector<QAction*> CMainFrame::Actions(int id) const {
    auto it = m_actions.find(id);
    return it == m_actions.end() ? std::vector<QAction*>{} : it->second;
}

void CMainFrame::UpdateStatusPanes() {
    OnUpdatePaneX();
    OnUpdatePaneY();
    OnUpdatePaneWidth();
    OnUpdatePaneHeight();
    OnUpdatePanePointCount();
    OnUpdatePaneDistance();
    OnUpdatePaneAzimuth();
}

void CMainFrame::UpdatePane(int id) {
    QLabel* label = StatusPane(id);
    if (!label) return;
    const std::optional<std::string> text =
        StatusPaneText(id, m_geodesy, IsKeyDown(key::kMouseLeft));
    if (text) label->setText(QString::fromStdString(*text));
}

void CMainFrame::OnUpdatePaneX() { UpdatePane(pane::kX); }
void CMainFrame::OnUpdatePaneY() { UpdatePane(pane::kY); }
void CMainFrame::OnUpdatePaneWidth() { UpdatePane(pane::kWidth); }
void CMainFrame::OnUpdatePaneHeight() { UpdatePane(pane::kHeight); }
void CMainFrame::OnUpdatePanePointCount() { UpdatePane(pane::kPointCount); }
void CMainFrame::OnUpdatePaneDistance() { UpdatePane(pane::kDistance); }
void CMainFrame::OnUpdatePaneAzimuth() { UpdatePane(pane::kAzimuth); }

CBackup_MSG* CMainFrame::BackupReminder() const { return g_backupReminderDlg.data(); }

void CMainFrame::RegisterFrameCommands() {
    m_frameCommands.SetHandler(cmd::kWorkFolder, [this] { OnWorkFolder(); });
    m_frameCommands.SetHandler(cmd::kDisplayToolBar, [this] {
        m_displayToolBar->setVisible(m_displayToolBar->isHidden());
    });
    m_frameCommands.SetHandler(cmd::kMainToolBar,
                               [this] { m_mainToolBar->setVisible(m_mainToolBar->isHidden()); });
    m_frameCommands.SetUpdateRule(cmd::kMainToolBar, [this](CommandUpdate& u) {
        u.enabled = true;
        u.check = m_mainToolBar->isHidden() ? CheckState::kUnchecked : CheckState::kChecked;
    });
    m_frameCommands.SetHandler(cmd::kDisplayMenuToolBar, [this] {
        m_displayMenuToolBar->setVisible(m_displayMenuToolBar->isHidden());
    });
    for (const ModeToolBarLayout& entry : ModeToolBars())
        m_frameCommands.SetHandler(entry.commandId,
                                   [this, id = entry.commandId] { OnModeToolBar(id); });

    ToolCommandServices& tools = ToolServices();
    // The keys of the tools (Enter ends a base line) reach the view.
    tools.focusMainWindow = [this] {
        activateWindow();
        if (centralWidget())
            centralWidget()->setFocus();
        else
            setFocus();
    };
    tools.refreshPointToolBar = [this] {
        if (QToolBar* bar = ModeToolBar(8)) {
            const QList<QAction*> actions = bar->actions();  // one list: begin and end of it
            RefreshActions(std::vector<QAction*>(actions.begin(), actions.end()));
            bar->repaint();
        }
    };
    InstallAreaEditWindows(this);
    InstallBatchEditDialogs(this);
    InstallLineNumberWindow(this);
    InstallTunnelWindow(this);
    InstallVisibilityWindow(this);
    InstallFlowWindow(this);
    InstallWaterWindow(this);
    InstallPointToolWindows(this);
    // Before the tool commands: 32903 is offered only with its range dialog.
    InstallMeshDialogs(this, m_frameCommands, [this] { ExecuteCommand(32773); });
    CHoleSet::Install(this);
    RegisterHoleCommands(m_frameCommands);
    CRandomMergeDlg::Install(this, m_frameCommands, [this] { ExecuteCommand(cmd::kAutoOutline); });
    RegisterBridgeTunnelCommands(m_frameCommands);
    InstallDxfInfoWindow(this);
    InstallImportDialog(this, m_frameCommands, [this] { ExecuteCommand(32803); });
    InstallSimaOutDialog(this, m_frameCommands);
    InstallMapImportCommands(this, m_frameCommands);
    InstallSunmapOutDialog(this, m_frameCommands);
    InstallTextOutputCommands(this, m_frameCommands);
    InstallMapXmlCommands(this, m_frameCommands, [this] { OnTimer(353); });
    RegisterDxfCommands(m_frameCommands);
    CBgDxfPositionDlg::Install(this, m_frameCommands);
    CBgImagePositionDlg::Install(this, m_frameCommands);
    CSetting::Install(this, m_frameCommands);
    CColorBandDlg::Install(this);
    m_frameCommands.SetHandler(32786, OnColorBandDisplay);
    CLightSourceDlg::Install(this, m_frameCommands);
    m_frameCommands.SetHandler(32855, [this] { OpenColorDialog(this); });
    C3dDxfOutputDlg::Install(this, m_frameCommands);
    CDxfToImageDlg::Install(this, m_frameCommands);
    CRndc2bmp::Install(this, m_frameCommands);
    InstallRasterTraceWindow(this);
    RegisterTinEditCommands(m_frameCommands);
    InstallVecCreateWindow(this);  // before the tool commands: 33025 comes with its window
    InstallTextFlagWindow(this);   // and 32968 with its own
    RegisterToolCommands(m_frameCommands, [this] { return Conditions(); });
    RegisterAreaEditCommands(m_frameCommands);
    InstallPointListWindow(this);
    RegisterPointListCommands(m_frameCommands);
    InstallPointGenDialogs(this);
    InstallPlotterFileDialog(this);
    InstallSliceLineDialogs(this);
    RegisterPointGenCommands(m_frameCommands);
    RegisterTerrainEditCommands(m_frameCommands, this);
    m_frameCommands.SetHandler(cmd::kAppExit, [this] { close(); });
    m_frameCommands.SetHandler(cmd::kLatLongDisplay, [this] { OnLatLongDisplay(); });
    m_frameCommands.SetHandler(33046, OnDisplayParameterSave);
    m_frameCommands.SetHandler(cmd::kTinCalc, [] { OnTinCalc(); });
    CContourCalcDlg::Install(this);
    InstallVolumeDialogs(this);
    m_frameCommands.SetHandler(32851, OnDatumVolumeCommand);
    m_frameCommands.SetHandler(32870, [] { OnTinAreaCommand(1); });
    m_frameCommands.SetHandler(32871, [] { OnTinAreaCommand(0); });
    m_frameCommands.SetHandler(33076, OnTinVolumeCalc);
    m_frameCommands.SetHandler(32951, [this] { OnArbitraryElevationCalc(this); });
    m_frameCommands.SetHandler(33018, OnVisibilityArea);
    m_frameCommands.SetHandler(32979, OnFlowPath);
    m_frameCommands.SetHandler(33063, OnWaterLevelSimulation);
    m_frameCommands.SetHandler(32807, [this] { OnMeshVolumeCommand(this); });
    SetMeshSaveRunner([] { SaveMeshFile(); });
    m_frameCommands.SetHandler(32877, [this] { OnMeshElevationCalc(this); });
    m_frameCommands.SetHandler(cmd::kContour, OnContourCommand);
    m_frameCommands.SetHandler(cmd::kAutoOutline, [this] {
        OnAutoOutline([this] {
            if (m_autoOutlineRunner)
                m_autoOutlineRunner();
            else
                CAutoOutlineDlg::Run(this);
        });
    });
    InstallRouteWindows(this, m_frameCommands);
    InstallCrossSectionWindow(this, m_frameCommands);
    InstallLongSectionWindow(this, m_frameCommands);
    InstallSectionShiftWindow(this, m_frameCommands);
    InstallLineToolWindows(this);
    InstallSliceTableWindows(this, m_frameCommands);
    m_frameCommands.SetHandler(cmd::kRouteCalc, [this] {
        OnRouteCalcCommand([this] {
            if (m_routeCalcRunner)
                m_routeCalcRunner();
            else
                CRouteCalcDlg::Run(this);
        });
    });
    // The section calculations; a result the user wants kept is saved by the document's
    // save command, simple sections as a .QDN with the route files.
    auto sectionHooks = [this] {
        SectionCommandHooks hooks;
        hooks.runSectionDialog = [this](bool hideExtras) { return CSectionCalcDlg::Run(hideExtras, this); };
        hooks.runPointSettingsDialog = [this] { CPointSectionSettingsDlg::Run(this); };
        hooks.saveRouteDocument = [this] { ExecuteCommand(32773); };
        hooks.saveSimpleSections = [] { SaveSimpleSectionsAs(); };
        return hooks;
    };
    EarthworkHooks earthwork;
    earthwork.runCalcDialog = [this](EarthworkCalcDialogState& state) { return CEarthworkCalcDlg::Run(state, this); };
    earthwork.runListDialog = [this] { CEarthworkListDlg::Run(this); };
    SetEarthworkHooks(std::move(earthwork));
    SetSectionRandomOutputDialogRunner(
        [this](SectionRandomOutputOptions& options) { return CJDN_RND_OUT::Run(options, this); });
    m_frameCommands.SetHandler(32819, [sectionHooks] { OnTinSectionCalc(sectionHooks()); });
    m_frameCommands.SetHandler(32770, [sectionHooks] { OnContourSectionCalc(sectionHooks()); });
    m_frameCommands.SetHandler(32838, [this] {
        OnCurveElementListCommand([this] { CCurveElementListDlg::Run(this); });
    });
    m_frameCommands.SetHandler(32865, [this] {
        const auto result = OnBackgroundImageSelect([this](ZoneSelectValues& values) {
            return m_zoneDialogRunner ? m_zoneDialogRunner(values) : CZoneSelectDlg::Run(values, this);
        });
        if (result == BackgroundImageSelectResult::Loaded) FullRedraw();
        if (result == BackgroundImageSelectResult::OpenImageList) CBgImageListDlg::Open(this);
    });
    m_frameCommands.SetHandler(32866, [this] {
        if (OnBackgroundImageShow()) FullRedraw();
    });
    m_frameCommands.SetHandler(32920, [this] {
        const auto* document = dynamic_cast<const CPelmo_3DDoc*>(m_document);
        OnBackgroundImageSave(document ? document->PlainTitle() : std::string("No_Name"));
    });
    RegisterSiblingCommands(m_frameCommands, [this] {
        SiblingCommandHooks hooks;
        hooks.chooseCrossSection = [this] {
            return m_sectionChoiceRunner ? m_sectionChoiceRunner() : CSectionDrawingChoiceDlg::Run(this);
        };
        hooks.sendFrameCommand = [this](int id) { ExecuteCommand(id); };
        hooks.documentSaved = [this] { return !m_document || !m_document->IsModified(); };
        return hooks;
    });
    m_frameCommands.SetHandler(cmd::kDuplicateCheck, [this] {
        OnDuplicateCheck([this](DuplicateCheckValues& values) {
            return m_duplicateCheckRunner ? m_duplicateCheckRunner(values)
                                          : CDuplicateCheckDlg::Run(values, this);
        });
    });
}

void CMainFrame::ReceiveWindowMessages() {
    m_classListener.Receive([this](const WindowMessage& m) -> int32_t {
        if (m.message == wm::kRaiseRequest) {
            raise();
            activateWindow();
        } else if (m.message == kHostMessage) {
            // Runs after this delivery, and after the long operation when one is under way:
            // a request must not clear the data under a running loop.
            QPointer<CMainFrame> frame(this);
            const int32_t host = m.wParam, command = m.lParam;
            const std::string key = "host-request-" + std::to_string(++m_hostRequestSerial);
            QTimer::singleShot(0, this, [frame, host, command, key] {
                RunWhenIdle(key, [frame, host, command] {
                    if (frame) frame->OnExternalCommand(host, command);
                });
            });
        }
        return 0;
    });
}

int CMainFrame::OnExternalCommand(int32_t hostWindow, int32_t command) {
    std::string path;
    ExternalCommandHooks hooks;
    QPointer<CMainFrame> frame(this);
    hooks.postFrameCommand = [frame](int id) {
        QTimer::singleShot(0, frame, [frame, id] {
            if (frame) frame->ExecuteCommand(id);
        });
    };
    RunExternalCommand(command, path, hooks);
    if (auto* document = dynamic_cast<CPelmo_3DDoc*>(m_document)) {
        document->SetModifiedFlag(false);
        if (path.size() < 4) {
            document->SetTitle("未設定");
        } else {
            document->SetPathName(path);
            g_workFolder = FolderOfPath(path);
        }
    }
    UpdateFrameTitle();
    FullRedraw();
    RefreshCommandStates();
    if (hostWindow != 0) {
        PostWindowMessageToHandle(static_cast<uint32_t>(hostWindow), kHostMessage, 0, 0);
        PostWindowMessageToHandle(static_cast<uint32_t>(hostWindow), wm::kRaiseRequest, 0, 0);
    }
    return 0;
}

void CMainFrame::OnLatLongDisplay() {
    ToggleLatLongDisplay(m_geodesy, [this](ZoneSelectValues& values) {
        return m_zoneDialogRunner ? m_zoneDialogRunner(values) : CZoneSelectDlg::Run(values, this);
    });
    UpdateStatusPanes();
}

void CMainFrame::ExecuteCommand(int id) {
    const bool refused = !CommandAllowedNow(id);
    m_router.Execute(id);
    // A command chosen during a long operation is refused by the routing; the items show
    // disabled from then until the operation ends.
    if (refused && m_commandsShownBusy) return;
    RefreshCommandStates();
    if (!IsBusy() || m_commandsShownBusy) return;
    m_commandsShownBusy = true;
    QPointer<CMainFrame> frame(this);
    RunWhenIdle("refresh-commands", [frame] {
        if (!frame) return;
        frame->m_commandsShownBusy = false;
        frame->RefreshCommandStates();
    });
}

void CMainFrame::RefreshActions(const std::vector<QAction*>& actions) {
    std::map<int, CommandUpdate> seen;
    for (QAction* a : actions) {
        const int id = a->data().toInt();
        auto it = seen.find(id);
        if (it == seen.end()) it = seen.emplace(id, m_router.Update(id)).first;
        const CommandUpdate& u = it->second;
        a->setEnabled(u.enabled);
        const bool checked = u.check == CheckState::kChecked;
        if (checked && !a->isCheckable()) a->setCheckable(true);
        if (a->isCheckable()) a->setChecked(checked);
    }
}

void CMainFrame::RefreshMenu(QMenu* menu) {
    std::vector<QAction*> actions;
    for (QAction* a : menu->actions())
        if (!a->isSeparator() && !a->menu()) actions.push_back(a);
    RefreshActions(actions);
}

void CMainFrame::RefreshCommandStates() {
    std::vector<QAction*> all;
    for (auto& [id, list] : m_actions) all.insert(all.end(), list.begin(), list.end());
    RefreshActions(all);
    UpdateFrameTitle();
}

void CMainFrame::UpdateFrameTitle() {
    if (m_document)
        setWindowTitle(QString::fromStdString(m_document->Title()) + " - Nostrel-VODA");
    else
        setWindowTitle("Quarvel");
}

void CMainFrame::FullRedraw() {
    if (m_fullRedraw) {
        m_fullRedraw();
    } else if (centralWidget()) {
        g_redrawMask = -1;
        centralWidget()->update();
    }
}

void CMainFrame::OnTimer(int id) {
    switch (id) {
        case 96:
            m_reminderTimer.stop();
            if (g_backupReminder[0] != 0)
                m_reminderTimer.start(ReminderIntervalMs(g_backupReminder[1]));
            break;
        case 97:
        case 98: {
            // The reminder's save buttons: a save in the middle of a long operation would
            // write half-built data, so it waits for the end.
            QPointer<CMainFrame> frame(this);
            const int kind = id == 98 ? 1 : 2;
            RunWhenIdle(id == 98 ? "backup-save" : "backup-save-as", [frame, kind] {
                if (frame && frame->m_document) frame->m_document->SaveForBackupPrompt(kind);
            });
            break;
        }
        case kBackupReminderTimerId: {
            // A tick during a long operation waits for its end: the reminder's buttons
            // save the document, which must not happen with half-built data.
            QPointer<CMainFrame> frame(this);
            RunWhenIdle("backup-reminder", [frame] {
                if (!frame) return;
                const bool modified = frame->m_document && frame->m_document->IsModified();
                if (ReminderShouldOpen(!g_backupReminderDlg.isNull(), modified))
                    g_backupReminderDlg = new CBackup_MSG(frame);
            });
            break;
        }
        case 353: {
            const ShellConditions c = Conditions();
            bool on = c.birdsEyeOn;
            bool shown = c.birdsEyeOn;
            if (!c.points && c.stationCount == 0) on = shown = false;
            m_heightEdit->setEnabled(on);
            m_heightLabel->setEnabled(on);
            m_heightEdit->setVisible(shown);
            m_heightLabel->setVisible(shown);
            m_heightEdit->setText(QString::fromStdString(FormatHeightScale(g_heightScale)));
            break;
        }
        default:
            break;
    }
}

void CMainFrame::ApplyHeightEditText() {
    g_heightScale = HeightScaleFromText(m_heightEdit->text().toStdString());
    m_heightEdit->setText(QString::fromStdString(FormatHeightScale(g_heightScale)));
    FullRedraw();
}

void CMainFrame::StepHeightEdit(int wheelDelta) {
    if (wheelDelta == 0) return;
    g_heightScale = StepHeightScale(g_heightScale, wheelDelta);
    m_heightEdit->setText(QString::fromStdString(FormatHeightScale(g_heightScale)));
    FullRedraw();
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
    const bool boxActive = m_heightEdit && !m_heightEdit->isHidden() && m_heightEdit->isEnabled();
    if (watched == m_heightEdit) {
        if (event->type() == QEvent::Wheel && boxActive) {
            StepHeightEdit(WheelDelta(*static_cast<QWheelEvent*>(event)));
            return true;
        }
        if (event->type() == QEvent::KeyPress) {
            // The box takes digits only; editing and moving keys pass.
            const QString text = static_cast<QKeyEvent*>(event)->text();
            if (text.size() == 1 && text[0].isPrint() && !text[0].isDigit()) return true;
        }
    }
    // The cursor's ground position for the status bar.
    if (watched == centralWidget() &&
        (event->type() == QEvent::MouseMove || event->type() == QEvent::MouseButtonPress)) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const QPoint p = mouse->position().toPoint();
        if (event->type() == QEvent::MouseMove) {
            TrackCursorAt(p.x(), p.y());
        } else if (mouse->button() == Qt::LeftButton) {
            TrackPressAt(p.x(), p.y());
        }
        UpdateStatusPanes();
    }
    // Any Enter that passes while the box is shown applies the box's text; the key goes
    // on to its receiver.
    // The filter sees a key once per widget it passes on its way up: one key press applies
    // the text once.
    if (event->type() == QEvent::KeyPress && boxActive) {
        // An event handed on to a parent of its last receiver is the same press.
        static const QEvent* lastEvent = nullptr;
        static QPointer<QObject> lastReceiver;
        auto* receiver = qobject_cast<QWidget*>(watched);
        auto* previous = qobject_cast<QWidget*>(lastReceiver.data());
        const bool handedOn =
            event == lastEvent && receiver && previous && receiver != previous && receiver->isAncestorOf(previous);
        lastEvent = event;
        lastReceiver = watched;
        const int key = static_cast<QKeyEvent*>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && !handedOn) {
            ApplyHeightEditText();
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    // Closing while a long operation runs would free the data under it.
    if (IsBusy() || (m_document && !m_document->SaveModified())) {
        event->ignore();
        return;
    }
    event->accept();
}

void CMainFrame::OnWorkFolder() {
    std::string chosen;
    if (m_folderChooser) {
        chosen = m_folderChooser(g_workFolder);
    } else {
        chosen = QFileDialog::getExistingDirectory(this, QString::fromUtf8("作業フォルダ変更"),
                                                   QString::fromStdString(g_workFolder))
                     .toStdString();
    }
    if (chosen.empty()) return;
    if (!SetWorkFolder(chosen))
        ShowMessage("作業フォルダを保存できません。\n" + WorkFolderFilePath().string(), "",
                    msg::kOk | msg::kIconWarning);
}

#include "pointedit/ui/point_input_dialogs.h"

#include <QApplication>
#include <QButtonGroup>
#include <QColorDialog>
#include <QCursor>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMainWindow>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <cstring>

#include "dxf/dxf_store.h"
#include "platform/encoding.h"
#include "pointedit/edit_point.h"
#include "pointedit/point_array.h"
#include "pointedit/point_input_settings.h"
#include "pointedit/point_tools.h"
#include "shell/tool_commands.h"
#include "shell/ui/enter_as_tab.h"
#include "view/text_flags.h"
#include "view/view_state.h"

namespace {
template <typename W>
W* Named(W* widget, int id) {
    widget->setObjectName(QString::number(id));
    return widget;
}

QString FromCp932(const std::string& s) { return QString::fromUtf8(Cp932ToUtf8(s).c_str()); }
std::string ToCp932(const QString& s) { return Utf8ToCp932(s.toUtf8().toStdString()); }
QString Text(const std::string& utf8) { return QString::fromUtf8(utf8.c_str()); }

// Radio buttons in a group box, each with its template id and the value it stands for.
struct Choice {
    const char* text;
    int id;
    int value;
};
QButtonGroup* AddChoices(QWidget* owner, QGroupBox* box, std::initializer_list<Choice> choices,
                         bool vertical = true) {
    auto* group = new QButtonGroup(owner);
    QBoxLayout* layout = vertical ? static_cast<QBoxLayout*>(new QVBoxLayout(box))
                                  : static_cast<QBoxLayout*>(new QHBoxLayout(box));
    for (const Choice& c : choices) {
        auto* radio = Named(new QRadioButton(Text(c.text), box), c.id);
        group->addButton(radio, c.value);
        layout->addWidget(radio);
    }
    return group;
}

void Check(QButtonGroup* group, int value) {
    if (QAbstractButton* b = group->button(value)) b->setChecked(true);
}

// Push buttons on which Enter acts instead of moving on.
QPushButton* ActionButton(QPushButton* button) {
    button->setProperty("enterActs", true);
    return button;
}

// Moves the mouse a quarter of the screen aside while a modal dialog is open, where the
// window system lets a program move it.
class CursorAside {
public:
    CursorAside() {
        if (QGuiApplication::platformName() != QLatin1String("xcb")) return;
        QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
        if (!screen) return;
        m_saved = QCursor::pos();
        const QRect r = screen->geometry();
        const int quarter = r.width() / 4;
        QCursor::setPos(m_saved + QPoint(m_saved.x() > r.center().x() ? -quarter : quarter, 0));
        m_moved = true;
    }
    ~CursorAside() {
        if (m_moved) QCursor::setPos(m_saved);
    }

private:
    QPoint m_saved;
    bool m_moved = false;
};

QPointer<CPointInputParamDlg>& Panel() {
    static QPointer<CPointInputParamDlg> panel;
    return panel;
}
QPointer<CPointEditDlg>& EditDialog() {
    static QPointer<CPointEditDlg> dialog;
    return dialog;
}
}  // namespace

// ---- Colour swatch ----

ColorSwatch::ColorSwatch(QLineEdit* name, QWidget* parent) : QLabel(parent), m_name(name) {
    setObjectName("1241");
    setFixedSize(24, 20);
    setAutoFillBackground(true);
    setFrameShape(QFrame::Box);
    connect(name, &QLineEdit::textChanged, this, [this] { Refresh(); });
}

void ColorSwatch::Refresh() {
    QPalette pal = palette();
    QColor color = QApplication::palette().color(QPalette::Button);
    int32_t code = 0;
    const std::string start = ToCp932(m_name->text()).substr(0, 9);
    if (m_name->isEnabled() && ParseColorCode(start.c_str(), code))
        color = QColor(code & 0xFF, (code >> 8) & 0xFF, (code >> 16) & 0xFF);
    pal.setColor(QPalette::Window, color);
    setPalette(pal);
    update();
}

void ColorSwatch::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !m_name->isEnabled()) return;
    const QColor chosen = QColorDialog::getColor(palette().color(QPalette::Window), window());
    if (!chosen.isValid()) return;
    char name[32] = {};
    const std::string old = ToCp932(m_name->text());
    std::strncpy(name, old.c_str(), sizeof name - 1);
    const int32_t code = chosen.red() | chosen.green() << 8 | chosen.blue() << 16;
    if (!FormatColorCode(code, name)) return;
    emit ColorChosen(name);
}

// ---- Point-input panel (189) ----

CPointInputParamDlg::CPointInputParamDlg(QWidget* frame, QWidget* view)
    : QDialog(frame), m_view(view) {
    setObjectName("pointInputParamDialog");
    setWindowTitle(Text("ランダム点入力パラメータ設定"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);

    auto* plotBox = new QGroupBox(Text("プロット"), this);
    m_plot = AddChoices(this, plotBox,
                        {{"なし", 1048, 0}, {"点名のみ", 1049, 1}, {"標高のみ", 1050, 2}, {"両方", 1051, 3}});
    auto* validBox = new QGroupBox(Text("有効・無効"), this);
    m_valid = AddChoices(this, validBox, {{"有効", 1047, 0}, {"無効", 1053, 1}});
    m_name = Named(new QLineEdit(this), 1221);
    m_swatch = new ColorSwatch(m_name, this);
    auto* methodBox = new QGroupBox(Text("マウス入力方法"), this);
    m_method = AddChoices(this, methodBox,
                          {{"連続(標高指定)", 1222, 0}, {"連続（自動）", 1228, 2}, {"１点ごと", 1223, 1}});
    m_elevation = Named(new QLineEdit(this), 1224);
    auto* snapBox = new QGroupBox(Text("ＤＸＦデータ参照"), this);
    m_snap = AddChoices(this, snapBox,
                        {{"しない", 1225, 0}, {"端点", 1226, 1}, {"線上", 1227, 2}, {"交点", 1304, 3}});
    auto* close = ActionButton(Named(new QPushButton(Text("閉じる"), this), 1132));

    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(new QLabel(Text("点名"), this));
    nameRow->addWidget(m_name, 1);
    nameRow->addWidget(m_swatch);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(plotBox);
    layout->addWidget(validBox);
    layout->addLayout(nameRow);
    layout->addWidget(methodBox);
    layout->addWidget(m_elevation);
    layout->addWidget(snapBox);
    layout->addWidget(close);

    // Start: the settings as they are; no snap choice while the two-point tool says none.
    m_name->setText(FromCp932(g_newPointName));
    const PointInputPanelStart start = StartPointInputPanel();
    Check(m_valid, g_newPointInvalid != 0 ? 1 : 0);
    Check(m_plot, g_newPointPlotMode >= 0 && g_newPointPlotMode <= 3 ? g_newPointPlotMode : 0);
    Check(m_method, g_newPointMethod);
    m_elevation->setEnabled(start.elevationEnabled);
    m_elevation->setText(Text(ElevationFieldText()));
    for (QAbstractButton* b : m_snap->buttons()) b->setEnabled(start.snapEnabled);
    Check(m_snap, g_pointSnapMode >= 1 && g_pointSnapMode <= 3 ? g_pointSnapMode : 0);
    m_swatch->Refresh();

    connect(m_plot, &QButtonGroup::idClicked, this, [](int v) { g_newPointPlotMode = v; });
    connect(m_valid, &QButtonGroup::idClicked, this, [](int v) { g_newPointInvalid = v; });
    connect(m_method, &QButtonGroup::idClicked, this, [this](int v) {
        SelectNewPointMethod(v);
        m_elevation->setEnabled(v == 0);
    });
    connect(m_snap, &QButtonGroup::idClicked, this, [](int v) { g_pointSnapMode = v; });
    connect(m_name, &QLineEdit::editingFinished, this, [this] {
        SetNewPointNameText(ToCp932(m_name->text()));
    });
    connect(m_swatch, &ColorSwatch::ColorChosen, this, [this](const std::string& name) {
        SetNewPointNameText(name);
        m_name->setText(FromCp932(g_newPointName));
    });
    connect(m_elevation, &QLineEdit::editingFinished, this, [this] {
        ApplyElevationText(m_elevation->text().toStdString());
        m_elevation->setText(Text(ElevationFieldText()));
    });
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    InstallEnterAsTab(this);

    SetToolWindow(ToolWindow::kPointInputPanel, this);
    Panel() = this;
    PlaceBesideView();
}

CPointInputParamDlg::~CPointInputParamDlg() { ClearToolWindow(ToolWindow::kPointInputPanel, this); }

void CPointInputParamDlg::CloseToolWindow() {
    ClearToolWindow(ToolWindow::kPointInputPanel, this);
    close();
}

void CPointInputParamDlg::PlaceBesideView() {
    if (!m_view) return;
    adjustSize();
    const QPoint right = m_view->mapToGlobal(QPoint(m_view->width(), 0));
    move(right.x() - frameGeometry().width(), y());
}

void CPointInputParamDlg::EnableControls() {
    for (QButtonGroup* g : {m_plot, m_valid, m_method})
        for (QAbstractButton* b : g->buttons()) b->setEnabled(true);
    m_elevation->setEnabled(true);
    m_name->setEnabled(true);
    m_swatch->Refresh();
}

void CPointInputParamDlg::ShowSettings() {
    Check(m_valid, g_newPointInvalid != 0 ? 1 : 0);
    Check(m_plot, g_newPointPlotMode >= 0 && g_newPointPlotMode <= 3 ? g_newPointPlotMode : 0);
    m_name->setText(FromCp932(g_newPointName));
    m_elevation->setText(Text(ElevationFieldText()));
}

void CPointInputParamDlg::wheelEvent(QWheelEvent* event) {
    const int delta = event->angleDelta().y();
    if (delta != 0) {
        WheelElevation(delta);
        m_elevation->setText(Text(ElevationFieldText()));
    }
    QDialog::wheelEvent(event);
}

// ---- Coordinate-input settings (157) ----

CCoordInputParamDlg::CCoordInputParamDlg(QWidget* parent) : QDialog(parent) {
    setObjectName("coordInputParamDialog");
    setWindowTitle(Text("座標入力ﾊﾟﾗﾒｰﾀ設定"));
    const CoordInputStart start = StartCoordInputDialog();
    auto* box = new QGroupBox(Text("座標データ参照"), this);
    QButtonGroup* group = AddChoices(this, box,
                                     {{"しない", 1225, 0}, {"ＤＸＦ端点", 1226, 1}, {"ＤＸＦ線上", 1227, 2},
                                      {"ﾗﾝﾀﾞﾑ点", 1228, 3}, {"ＤＸＦ交点", 1304, 4}});
    for (int v : {1, 2, 4}) group->button(v)->setEnabled(start.dxfEnabled);
    group->button(3)->setEnabled(start.randomEnabled);
    Check(group, g_coordInputSnap >= 1 && g_coordInputSnap <= 4 ? g_coordInputSnap : 0);
    connect(group, &QButtonGroup::idClicked, this, [](int v) { g_coordInputSnap = v; });
    auto* start157 = Named(new QPushButton(Text("開始"), this), 1132);
    start157->setDefault(true);
    connect(start157, &QPushButton::clicked, this, [this] { done(0); });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(box);
    layout->addWidget(start157);
}

int CCoordInputParamDlg::Run(QWidget* parent) {
    CCoordInputParamDlg dialog(parent);
    return dialog.exec();
}

// ---- Point edit dialog (162) ----

CPointEditDlg::CPointEditDlg(QWidget* parent) : QDialog(parent) {
    setObjectName("pointEditDialog");
    const PointEditSession::Start start = m_session.Begin();
    setWindowTitle(Text(start.title));

    auto* grid = new QGridLayout;
    int row = 0;
    auto addEdit = [&](const char* label, int id) {
        grid->addWidget(new QLabel(Text(label), this), row, 0);
        auto* edit = Named(new QLineEdit(this), id);
        grid->addWidget(edit, row++, 1, 1, 3);
        return edit;
    };
    addEdit("Ｘ", 1023);
    addEdit("Ｙ", 1026);
    addEdit("標高", 1027);
    m_name = addEdit("点名", 1028);
    m_swatch = new ColorSwatch(m_name, this);
    grid->addWidget(m_swatch, row - 1, 4);
    grid->addWidget(new QLabel(Text("19座標系"), this), row, 0);
    grid->addWidget(Named(new QLineEdit(this), 1113), row++, 1);
    const char* names[2] = {"緯度", "経度"};
    for (int k = 0; k < 2; ++k) {
        grid->addWidget(new QLabel(Text(names[k]), this), row, 0);
        for (int j = 0; j < 3; ++j) grid->addWidget(Named(new QLineEdit(this), 1114 + 3 * k + j), row, 1 + j);
        ++row;
    }
    auto* validBox = new QGroupBox(this);
    m_valid = AddChoices(this, validBox, {{"有効", 1047, 0}, {"無効", 1053, 1}}, false);
    auto* plotBox = new QGroupBox(this);
    m_plot = AddChoices(this, plotBox,
                        {{"なし", 1048, 0}, {"点名のみ", 1049, 1}, {"標高のみ", 1050, 2}, {"両方", 1051, 3}},
                        false);
    m_number = Named(new QLabel(Text(start.numberText), this), 1097);
    m_register = ActionButton(Named(new QPushButton(Text("登録(Shift+S)"), this), 1081));
    m_copy = ActionButton(Named(new QPushButton(Text("複写"), this), 1011));
    m_cancel = ActionButton(Named(new QPushButton(Text("中止(ESC)"), this), 2));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_number);
    buttons->addStretch(1);
    buttons->addWidget(m_register);
    buttons->addWidget(m_copy);
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(validBox);
    layout->addWidget(plotBox);
    layout->addLayout(buttons);

    m_copy->setVisible(start.copyShown);
    m_number->setVisible(start.numberShown);
    if (g_pickedPoint != 0) {
        ShowTemplate(false);
        Check(m_valid, g_editPoint.invalid != 0 ? 1 : 0);
        Check(m_plot, g_editPoint.plotKind >= 1 && g_editPoint.plotKind <= 3 ? g_editPoint.plotKind : 0);
    }

    auto onLeft = [this](int id, auto&& apply) {
        connect(Edit(id), &QLineEdit::editingFinished, this, apply);
    };
    onLeft(1023, [this] {
        m_session.EditX(Edit(1023)->text().toStdString());
        Edit(1023)->setText(Text(m_session.XText(true)));
        ShowLatLong(m_session.LatLong());
    });
    onLeft(1026, [this] {
        m_session.EditY(Edit(1026)->text().toStdString());
        Edit(1026)->setText(Text(m_session.YText(true)));
        ShowLatLong(m_session.LatLong());
    });
    onLeft(1027, [this] {
        m_session.EditZ(Edit(1027)->text().toStdString());
        Edit(1027)->setText(Text(m_session.ZText(true)));
    });
    onLeft(1028, [this] {
        const QSignalBlocker block(m_name);
        m_name->setText(FromCp932(m_session.EditName(ToCp932(m_name->text()))));
        m_swatch->Refresh();
    });
    onLeft(1113, [this] {
        m_session.EditZone(Edit(1113)->text().toStdString());
        Edit(1113)->setText(Text(m_session.ZoneText()));
        ShowLatLong(m_session.LatLong());
    });
    for (int i = 0; i < 6; ++i) {
        onLeft(1114 + i, [this, i] {
            LatLongTexts texts = LatLongFields();
            m_session.EditLatLong(i, texts);
            ShowLatLong(texts);
            Edit(1023)->setText(Text(m_session.XText(true)));
            Edit(1026)->setText(Text(m_session.YText(true)));
        });
    }
    connect(m_swatch, &ColorSwatch::ColorChosen, this, [this](const std::string& name) {
        const QSignalBlocker block(m_name);
        m_name->setText(FromCp932(m_session.EditName(name)));
        m_swatch->Refresh();
    });
    connect(m_valid, &QButtonGroup::idClicked, this, [this](int v) {
        if (!m_session.SetInvalid(v == 1)) Check(m_valid, 0);
    });
    connect(m_plot, &QButtonGroup::idClicked, this,
            [](int v) { g_editPoint.plotKind = static_cast<int16_t>(v); });
    connect(m_register, &QPushButton::clicked, this, &CPointEditDlg::OnRegister);
    connect(m_copy, &QPushButton::clicked, this, &CPointEditDlg::OnCopy);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    InstallEnterAsTab(this);
    for (int id : {1023, 1026, 1027, 1113, 1114, 1115, 1116, 1117, 1118, 1119})
        Edit(id)->installEventFilter(this);
    SetToolWindow(ToolWindow::kPointEditDialog, this);
    EditDialog() = this;
}

CPointEditDlg::~CPointEditDlg() { ClearToolWindow(ToolWindow::kPointEditDialog, this); }

void CPointEditDlg::CloseToolWindow() { reject(); }

QLineEdit* CPointEditDlg::Edit(int id) const { return findChild<QLineEdit*>(QString::number(id)); }

void CPointEditDlg::ShowTemplate(bool edited) {
    Edit(1023)->setText(Text(m_session.XText(edited)));
    Edit(1026)->setText(Text(m_session.YText(edited)));
    Edit(1027)->setText(Text(m_session.ZText(edited)));
    {
        const QSignalBlocker block(m_name);
        m_name->setText(FromCp932(m_session.NameText()));
    }
    m_swatch->Refresh();
    Edit(1113)->setText(Text(m_session.ZoneText()));
    ShowLatLong(m_session.LatLong());
}

void CPointEditDlg::ShowLatLong(const LatLongTexts& texts) {
    for (int i = 0; i < 6; ++i) {
        const QSignalBlocker block(Edit(1114 + i));
        Edit(1114 + i)->setText(Text(texts[i]));
    }
}

LatLongTexts CPointEditDlg::LatLongFields() const {
    LatLongTexts texts;
    for (int i = 0; i < 6; ++i) texts[i] = Edit(1114 + i)->text().toStdString();
    return texts;
}

void CPointEditDlg::OnRegister() {
    m_session.Register();
    done(1);
}

void CPointEditDlg::OnCopy() {
    if (m_session.Copy()) done(1);
}

void CPointEditDlg::done(int result) {
    if (result == QDialog::Rejected) m_session.Cancel();
    if (!m_closed) {
        m_closed = true;
        ClearToolWindow(ToolWindow::kPointEditDialog, this);
        PointEditSession::Close();
    }
    QDialog::done(result);
}

void CPointEditDlg::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        reject();
        return;
    }
    QDialog::mousePressEvent(event);
}

void CPointEditDlg::keyPressEvent(QKeyEvent* event) {
    // Shift+S registers, but not while typing a name or on the buttons; S alone on the
    // dialog itself too.
    if (event->key() == Qt::Key_S) {
        QWidget* focus = focusWidget();
        const bool onDialog = !focus || focus == this;
        const bool blocked = focus == m_register || focus == m_cancel || focus == m_name;
        if (onDialog || ((event->modifiers() & Qt::ShiftModifier) && !blocked)) {
            OnRegister();
            return;
        }
    }
    QDialog::keyPressEvent(event);
}

bool CPointEditDlg::eventFilter(QObject* watched, QEvent* event) {
    // Shift+S in a number field registers instead of typing the letter.
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_S && (key->modifiers() & Qt::ShiftModifier)) {
            if (auto* edit = qobject_cast<QLineEdit*>(watched)) emit edit->editingFinished();
            OnRegister();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CPointEditDlg::Run(QWidget* parent) {
    CursorAside aside;
    CPointEditDlg dialog(parent);
    dialog.exec();
}

// ---- Installation ----

void InstallPointToolWindows(QWidget* frame) {
    ToolCommandServices& tools = ToolServices();
    tools.showPointInputPanel = [frame] {
        if (Panel()) {
            Panel()->EnableControls();
            Panel()->show();
            return;
        }
        QWidget* view = frame->findChild<QWidget*>("viewPlaceholder");
        if (auto* main = qobject_cast<QMainWindow*>(frame)) view = main->centralWidget();
        (new CPointInputParamDlg(frame, view))->show();
    };
    tools.runCoordInputDialog = [frame] { CCoordInputParamDlg::Run(frame); };
    PointToolWindows& windows = PointToolWindowHooks();
    windows.runPointEditDialog = [frame] { CPointEditDlg::Run(frame); };
    windows.repaintPointEditDialog = [] {
        if (EditDialog()) EditDialog()->ShowTemplate(false);
    };
    windows.refreshPointInputPanel = [] {
        if (Panel()) Panel()->ShowSettings();
    };
}

void RemovePointToolWindows() {
    ToolServices().showPointInputPanel = nullptr;
    ToolServices().runCoordInputDialog = nullptr;
    PointToolWindowHooks() = PointToolWindows{};
}

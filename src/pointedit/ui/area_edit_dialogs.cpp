#include "pointedit/ui/area_edit_dialogs.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "model/progress.h"
#include "platform/encoding.h"
#include "pointedit/area_edit_commands.h"
#include "pointedit/dup_area_edit.h"
#include "pointedit/move_rotate.h"
#include "pointedit/valid_area_edit.h"
#include "shell/tool_commands.h"
#include "view/display_flags.h"
#include "view/view_navigation.h"

namespace {
QString Utf8(const char* text) { return QString::fromUtf8(text); }
QString Fixed(const char* format, double value) { return QString::asprintf(format, value); }

// A number typed into an edit; nullopt-like: ok false when not a number.
double Number(const QString& text, bool* ok) {
    const QString t = text.trimmed();
    return t.toDouble(ok);
}

QPushButton* PushLike(QWidget* parent, int id, const char* text) {
    auto* b = new QPushButton(Utf8(text), parent);
    b->setObjectName(QString::number(id));
    b->setCheckable(true);
    return b;
}

QPushButton* Push(QWidget* parent, const QString& name, const char* text) {
    auto* b = new QPushButton(Utf8(text), parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

QRadioButton* Radio(QWidget* parent, int id, const char* text) {
    auto* r = new QRadioButton(Utf8(text), parent);
    r->setObjectName(QString::number(id));
    return r;
}

// The duplicate check's status line: the search writes its progress notes there.
class StatusLine : public ProgressWindow {
public:
    explicit StatusLine(QLabel* label) : m_label(label) {}
    void Refresh() override {}
    void SetCaption(const std::string&) override {}
    void ShowNote(const std::string& utf8) override {
        m_label->setText(QString::fromStdString(utf8));
        m_label->repaint();
    }
    void Destroy() override {}

private:
    QLabel* m_label;
};

QWidget* ViewOf(QWidget* frame) {
    if (auto* main = qobject_cast<QMainWindow*>(frame)) return main->centralWidget();
    return nullptr;
}
}  // namespace

// ---- base ----

AreaEditDialogBase::AreaEditDialogBase(QWidget* frame, ToolWindow slot)
    : QDialog(frame), m_frame(frame), m_slot(slot) {
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
}

AreaEditDialogBase::~AreaEditDialogBase() { ClearToolWindow(m_slot, this); }

void AreaEditDialogBase::closeEvent(QCloseEvent* event) {
    ClearToolWindow(m_slot, this);
    ReleaseCore();
    QDialog::closeEvent(event);
}

void AreaEditDialogBase::CloseToolWindow() {
    ClearToolWindow(m_slot, this);
    close();
}

QLineEdit* AreaEditDialogBase::AddEdit(int id) {
    auto* edit = new QLineEdit(this);
    edit->setObjectName(QString::number(id));
    edit->setAlignment(Qt::AlignRight);
    edit->installEventFilter(this);
    return edit;
}

QLineEdit* AreaEditDialogBase::Edit(int id) const { return findChild<QLineEdit*>(QString::number(id)); }
QAbstractButton* AreaEditDialogBase::Button(int id) const {
    return findChild<QAbstractButton*>(QString::number(id));
}
QLabel* AreaEditDialogBase::Label(int id) const { return findChild<QLabel*>(QString::number(id)); }

void AreaEditDialogBase::SetEditText(int id, const QString& text) {
    QLineEdit* e = Edit(id);
    if (e && !e->hasFocus()) e->setText(text);
}

bool AreaEditDialogBase::eventFilter(QObject* watched, QEvent* event) {
    auto* edit = qobject_cast<QLineEdit*>(watched);
    if (!edit) return QDialog::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            m_enter = true;
            focusNextChild();
            return true;
        }
        if (key == Qt::Key_Escape) {
            m_escape = true;
            edit->clearFocus();
            return true;
        }
    } else if (event->type() == QEvent::FocusOut) {
        const bool enter = m_enter, escape = m_escape;
        m_enter = m_escape = false;
        EditLeft(edit->objectName().toInt(), edit->text(), enter, escape);
    }
    return QDialog::eventFilter(watched, event);
}

void AreaEditDialogBase::wheelEvent(QWheelEvent* event) {
    const int delta = event->angleDelta().y();
    auto* edit = qobject_cast<QLineEdit*>(focusWidget());
    if (delta != 0 && edit && WheelOnEdit(edit->objectName().toInt(), delta)) {
        event->accept();
        return;
    }
    if (QWidget* view = ViewOf(m_frame)) {
        QWheelEvent copy(view->mapFromGlobal(event->globalPosition()), event->globalPosition(),
                         event->pixelDelta(), event->angleDelta(), event->buttons(),
                         event->modifiers(), event->phase(), event->inverted());
        QApplication::sendEvent(view, &copy);
    }
    event->accept();
}

void AreaEditDialogBase::PlaceAtViewCorner() {
    QWidget* view = ViewOf(m_frame);
    if (!view) return;
    adjustSize();
    const QPoint corner = view->mapToGlobal(QPoint(view->width(), view->height()));
    move(corner - QPoint(frameGeometry().width(), frameGeometry().height()));
}

// ---- 有効無効 領域編集 ----

CValidAreaEditWindow::CValidAreaEditWindow(QWidget* frame)
    : AreaEditDialogBase(frame, ToolWindow::kValidAreaEdit), m_core(new CValidAreaEditDlg) {
    setObjectName("validAreaEditDialog");
    setWindowTitle(Utf8("有効無効 領域編集"));
    auto* grid = new QGridLayout(this);
    int row = 0;
    auto addRow = [&](const char* label, QWidget* w, QWidget* extra = nullptr) {
        grid->addWidget(new QLabel(Utf8(label), this), row, 0);
        grid->addWidget(w, row, 1);
        if (extra) grid->addWidget(extra, row, 2);
        ++row;
    };
    auto* sphere = PushLike(this, 1131, "半径内選択");
    auto* cone = PushLike(this, 1135, "円錐内選択");
    addRow("半径(m)", AddEdit(1082), sphere);
    addRow("円錐角(度)", AddEdit(1083), cone);
    auto* lowest = PushLike(this, 1148, "最下点指定");
    addRow("最下点からの高さ(m)", AddEdit(1113), lowest);
    auto* screenUp = PushLike(this, 1150, "現在の画面上方を基準");
    grid->addWidget(screenUp, row++, 1, 1, 2);
    auto* valid = PushLike(this, 1143, "有効化");
    auto* invalid = PushLike(this, 1144, "無効化");
    grid->addWidget(valid, row, 1);
    grid->addWidget(invalid, row++, 2);
    auto* rename = new QCheckBox(Utf8("点名変更"), this);
    rename->setObjectName("1145");
    grid->addWidget(rename, row, 0);
    grid->addWidget(AddEdit(1084), row++, 1, 1, 2);
    auto* lock = PushLike(this, 1146, "変更禁止");
    auto* unlock = PushLike(this, 1147, "変更許可");
    grid->addWidget(lock, row, 1);
    grid->addWidget(unlock, row++, 2);
    auto* apply = Push(this, "1014", "適用");
    auto* clear = Push(this, "1114", "選択解除");
    auto* remove = Push(this, "1149", "無効点削除");
    grid->addWidget(apply, row, 0);
    grid->addWidget(clear, row, 1);
    grid->addWidget(remove, row++, 2);

    CValidAreaEditDlg* core = m_core.get();
    connect(sphere, &QPushButton::toggled, this, [core](bool on) { core->SetSphereMode(on); });
    connect(cone, &QPushButton::toggled, this, [core](bool on) { core->SetConeMode(on); });
    connect(lowest, &QPushButton::toggled, this, [core](bool on) { core->SetLowestMode(on); });
    connect(screenUp, &QPushButton::toggled, this, [core](bool on) { core->SetScreenUp(on); });
    connect(valid, &QPushButton::clicked, this, [this, core](bool on) {
        core->SetValidity(on ? 1 : 0);
        RefreshControls();
    });
    connect(invalid, &QPushButton::clicked, this, [this, core](bool on) {
        core->SetValidity(on ? -1 : 0);
        RefreshControls();
    });
    connect(rename, &QCheckBox::toggled, this, [core](bool on) { core->SetRename(on); });
    connect(lock, &QPushButton::clicked, this, [this, core](bool on) {
        core->SetLockAction(on ? 1 : 0);
        RefreshControls();
    });
    connect(unlock, &QPushButton::clicked, this, [this, core](bool on) {
        core->SetLockAction(on ? -1 : 0);
        RefreshControls();
    });
    connect(apply, &QPushButton::clicked, this, [core] { core->OnApply(); });
    connect(clear, &QPushButton::clicked, this, [core] { core->OnClearSelection(); });
    connect(remove, &QPushButton::clicked, this, [core] { core->OnDeleteInvalid(); });

    core->refreshControls = [this] { RefreshControls(); };
    g_validAreaEditDlg = core;
    SetToolWindow(ToolWindow::kValidAreaEdit, this);
    RefreshControls();
}

CValidAreaEditWindow::~CValidAreaEditWindow() { CValidAreaEditWindow::ReleaseCore(); }

void CValidAreaEditWindow::ReleaseCore() {
    if (!m_core) return;
    m_core->refreshControls = nullptr;
    m_core.reset();
}

void CValidAreaEditWindow::RefreshControls() {
    if (!m_core) return;
    const CValidAreaEditDlg& c = *m_core;
    SetEditText(1082, Fixed(" %.3f", c.Radius()));
    SetEditText(1113, Fixed(" %.2f", c.LowOffset()));
    SetEditText(1083, Fixed(" %5.2f", c.ConeAngle()));
    SetEditText(1084, QString::fromStdString(Cp932ToUtf8(c.NewName())));
    const bool locking = c.LockAction() != 0;
    Button(1148)->setEnabled(c.SphereMode() || c.ConeMode());
    Button(1150)->setEnabled(c.ConeMode());
    Edit(1113)->setVisible(c.LowestMode());
    for (int id : {1143, 1144, 1145}) Button(id)->setEnabled(!locking);
    Edit(1084)->setEnabled(!locking);
    const QSignalBlocker b1(Button(1143)), b2(Button(1144)), b3(Button(1146)), b4(Button(1147));
    Button(1143)->setChecked(c.Validity() == 1);
    Button(1144)->setChecked(c.Validity() == -1);
    Button(1146)->setChecked(c.LockAction() == 1);
    Button(1147)->setChecked(c.LockAction() == -1);
}

void CValidAreaEditWindow::EditLeft(int id, const QString& text, bool, bool) {
    if (!m_core) return;
    bool ok = false;
    const double v = Number(text, &ok);
    switch (id) {
        case 1082:
            if (ok) m_core->RadiusLeft(v);
            break;
        case 1113:
            if (ok) m_core->LowOffsetLeft(v);
            break;
        case 1083:
            if (ok) m_core->ConeAngleLeft(v);
            break;
        case 1084:
            m_core->NameLeft(Utf8ToCp932(text.toStdString()));
            break;
        default:
            break;
    }
    RefreshControls();
    const QSignalBlocker block(Edit(id));
    if (id == 1082) Edit(id)->setText(Fixed(" %.3f", m_core->Radius()));
    if (id == 1113) Edit(id)->setText(Fixed(" %.2f", m_core->LowOffset()));
    if (id == 1083) Edit(id)->setText(Fixed(" %5.2f", m_core->ConeAngle()));
    if (id == 1084) Edit(id)->setText(QString::fromStdString(Cp932ToUtf8(m_core->NewName())));
}

// ---- 重複点削除 領域編集 ----

CDupAreaEditWindow::CDupAreaEditWindow(QWidget* frame)
    : AreaEditDialogBase(frame, ToolWindow::kDupPointAreaEdit), m_core(new CDupPointAreaEditDlg) {
    setObjectName("dupAreaEditDialog");
    setWindowTitle(Utf8("重複点削除 領域編集"));
    auto* grid = new QGridLayout(this);
    int row = 0;
    grid->addWidget(new QLabel(Utf8("判定距離(m)"), this), row, 0);
    grid->addWidget(AddEdit(1082), row++, 1);
    auto* keep = new QButtonGroup(this);
    auto* highest = Radio(this, 1079, "最高標高");
    auto* lowest = Radio(this, 1080, "最低標高");
    keep->addButton(highest);
    keep->addButton(lowest);
    grid->addWidget(highest, row, 0);
    grid->addWidget(lowest, row++, 1);
    auto* method = new QButtonGroup(this);
    auto* rect = Radio(this, 1086, "矩形");
    auto* lasso = Radio(this, 1087, "投げ縄");
    method->addButton(rect);
    method->addButton(lasso);
    grid->addWidget(rect, row, 0);
    grid->addWidget(lasso, row++, 1);
    auto* clear = Push(this, "1014", "選択解除");
    auto* valid = Push(this, "1149", "有効");
    auto* invalid = Push(this, "1151", "無効");
    grid->addWidget(clear, row, 0);
    auto* vi = new QHBoxLayout;
    vi->addWidget(valid);
    vi->addWidget(invalid);
    grid->addLayout(vi, row++, 1);
    auto* vertical = Push(this, "1114", "垂直軸重複点チェック");
    auto* arbitrary = Push(this, "1153", "任意軸重複点チェック");
    grid->addWidget(vertical, row, 0);
    grid->addWidget(arbitrary, row++, 1);
    auto* shown = new QCheckBox(Utf8("無効点表示"), this);
    shown->setObjectName("1131");
    auto* rotate = Push(this, "1152", "回転/復元");
    grid->addWidget(shown, row, 0);
    grid->addWidget(rotate, row++, 1);
    auto* remove = Push(this, "1115", "無効点削除");
    grid->addWidget(remove, row++, 0, 1, 2);
    auto* status = new QLabel(this);
    status->setObjectName("1155");
    status->hide();
    grid->addWidget(status, row++, 0, 1, 2);
    auto* gizmo = PushLike(this, 1135, "回転");
    grid->addWidget(gizmo, row++, 0);
    auto* tiltLabel = new QLabel("TILT", this);
    tiltLabel->setObjectName("1156");
    auto* dirLabel = new QLabel("DIR", this);
    dirLabel->setObjectName("1105");
    grid->addWidget(tiltLabel, row, 0);
    grid->addWidget(AddEdit(1083), row++, 1);
    grid->addWidget(dirLabel, row, 0);
    grid->addWidget(AddEdit(1084), row++, 1);

    CDupPointAreaEditDlg* core = m_core.get();
    connect(highest, &QRadioButton::toggled, this, [core](bool on) { core->SetKeepLowest(!on); });
    connect(rect, &QRadioButton::toggled, this, [core](bool on) {
        core->SetSelectionMethod(on ? CDupPointAreaEditDlg::kRectangle : CDupPointAreaEditDlg::kLasso);
    });
    connect(clear, &QPushButton::clicked, this, [core] { core->OnClearSelection(); });
    connect(valid, &QPushButton::clicked, this, [core] { core->OnSetValid(true); });
    connect(invalid, &QPushButton::clicked, this, [core] { core->OnSetValid(false); });
    m_status = std::make_unique<StatusLine>(status);
    core->statusWindow = m_status.get();
    auto check = [this, core, status](bool arbitraryAxis) {
        status->show();
        for (int id : {1156, 1105}) Label(id)->hide();
        for (int id : {1083, 1084}) Edit(id)->hide();
        QApplication::processEvents();
        core->OnDuplicateCheck(arbitraryAxis);
        status->hide();
        for (int id : {1156, 1105}) Label(id)->show();
        for (int id : {1083, 1084}) Edit(id)->show();
    };
    connect(vertical, &QPushButton::clicked, this, [check] { check(false); });
    connect(arbitrary, &QPushButton::clicked, this, [check] { check(true); });
    connect(shown, &QCheckBox::toggled, this, [core](bool on) { core->ShowInvalidPoints(on); });
    connect(rotate, &QPushButton::clicked, this, [core] { core->OnRotateRestore(); });
    connect(remove, &QPushButton::clicked, this, [core] { core->OnDeleteInvalid(); });
    connect(gizmo, &QPushButton::toggled, this, [this, core](bool on) {
        core->SetGizmo(on);
        for (int id : {1156, 1105}) Label(id)->setVisible(on);
        for (int id : {1083, 1084}) Edit(id)->setVisible(on);
        adjustSize();
    });

    {
        const QSignalBlocker b1(lowest), b2(rect), b3(gizmo), b4(shown);
        lowest->setChecked(true);
        rect->setChecked(true);
        gizmo->setChecked(true);
        shown->setChecked(true);
    }
    core->refreshControls = [this] { RefreshControls(); };
    g_dupPointAreaEditDlg = core;
    SetToolWindow(ToolWindow::kDupPointAreaEdit, this);
    RefreshControls();
}

CDupAreaEditWindow::~CDupAreaEditWindow() { CDupAreaEditWindow::ReleaseCore(); }

void CDupAreaEditWindow::ReleaseCore() {
    if (!m_core) return;
    m_core->refreshControls = nullptr;
    m_core.reset();
}

void CDupAreaEditWindow::RefreshControls() {
    if (!m_core) return;
    const CDupPointAreaEditDlg& c = *m_core;
    {
        const QSignalBlocker b1(Button(1079)), b2(Button(1080)), b3(Button(1131));
        Button(c.KeepLowest() ? 1080 : 1079)->setChecked(true);
        Button(1131)->setChecked(g_hideInvalidPoints == 0);
    }
    SetEditText(1082, Fixed(" %.3f", c.JudgeDistance()));
    SetEditText(1083, Fixed(" %5.2f", c.TiltDegrees()));
    SetEditText(1084, Fixed(" %5.2f", c.DirDegrees()));
    Button(1114)->setEnabled(c.SelectedCount() > 1);
    Button(1153)->setEnabled(c.SelectedCount() > 1 && !c.Rotated());
}

void CDupAreaEditWindow::EditLeft(int id, const QString& text, bool, bool) {
    if (!m_core) return;
    bool ok = false;
    const double v = Number(text, &ok);
    if (ok) {
        if (id == 1082) m_core->JudgeDistanceLeft(v);
        if (id == 1083) m_core->TiltLeft(v);
        if (id == 1084) m_core->DirLeft(v);
    }
    const QSignalBlocker block(Edit(id));
    if (id == 1082) Edit(id)->setText(Fixed(" %.3f", m_core->JudgeDistance()));
    if (id == 1083) Edit(id)->setText(Fixed(" %5.2f", m_core->TiltDegrees()));
    if (id == 1084) Edit(id)->setText(Fixed(" %5.2f", m_core->DirDegrees()));
    RefreshControls();
}

bool CDupAreaEditWindow::WheelOnEdit(int id, int delta) {
    if (!m_core || (id != 1083 && id != 1084)) return false;
    m_core->WheelOnAngle(id == 1083, delta);
    Edit(id)->setText(Fixed(" %5.2f", id == 1083 ? m_core->TiltDegrees() : m_core->DirDegrees()));
    return true;
}

// ---- 移動・回転 ----

CMoveRotateWindow::CMoveRotateWindow(QWidget* frame)
    : AreaEditDialogBase(frame, ToolWindow::kMoveRotate), m_core(new CMoveRotateDlg) {
    setObjectName("moveRotateDialog");
    setWindowTitle(Utf8("移動・回転"));
    auto* grid = new QGridLayout(this);
    int row = 0;
    auto* baseLabel = new QLabel("---", this);
    baseLabel->setObjectName("1155");
    auto* registerBase = PushLike(this, 1143, "登録");
    grid->addWidget(new QLabel(Utf8("基準点"), this), row, 0);
    grid->addWidget(baseLabel, row, 1);
    grid->addWidget(registerBase, row++, 2);
    const std::pair<int, const char*> baseEdits[] = {{1085, "X"}, {1086, "Y"}, {1087, "Z"}};
    for (const auto& [id, text] : baseEdits) {
        QLineEdit* e = AddEdit(id);
        e->setReadOnly(true);
        grid->addWidget(new QLabel(Utf8(text), this), row, 0);
        grid->addWidget(e, row++, 1);
    }
    auto* mode = new QButtonGroup(this);
    auto* offset = Radio(this, 1079, "オフセット");
    auto* absolute = Radio(this, 1080, "絶対値");
    mode->addButton(offset);
    mode->addButton(absolute);
    grid->addWidget(offset, row, 0);
    grid->addWidget(absolute, row++, 1);
    auto* moveMouse = PushLike(this, 1131, "マウス操作");
    const std::pair<int, const char*> moveEdits[] = {{1082, "移動 X"}, {1083, "移動 Y"}, {1084, "移動 Z"}};
    for (const auto& [id, text] : moveEdits) {
        grid->addWidget(new QLabel(Utf8(text), this), row, 0);
        grid->addWidget(AddEdit(id), row, 1);
        if (id == 1082) grid->addWidget(moveMouse, row, 2);
        ++row;
    }
    auto* rotateMouse = PushLike(this, 1135, "マウス操作");
    grid->addWidget(new QLabel(Utf8("回転角"), this), row, 0);
    grid->addWidget(AddEdit(1113), row, 1);
    grid->addWidget(rotateMouse, row++, 2);
    grid->addWidget(new QLabel(Utf8("傾斜方向"), this), row, 0);
    grid->addWidget(AddEdit(1116), row++, 1);
    grid->addWidget(new QLabel(Utf8("傾斜角"), this), row, 0);
    grid->addWidget(AddEdit(1117), row++, 1);
    auto* commit = Push(this, "commit", "確定");
    auto* undo = Push(this, "undo", "戻す");
    auto* cancelAll = Push(this, "1152", "全取消");
    auto* save = Push(this, "save", "保存");
    auto* closeButton = Push(this, "IDOK", "閉じる");
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {commit, undo, cancelAll, save, closeButton}) buttons->addWidget(b);
    grid->addLayout(buttons, row++, 0, 1, 3);

    CMoveRotateDlg* core = m_core.get();
    auto operation = [this, core](int op, bool on) {
        core->SetMouseOperation(on ? op : CMoveRotateDlg::kMouseNone);
        RefreshControls();
    };
    connect(registerBase, &QPushButton::clicked, this, [operation](bool on) { operation(1, on); });
    connect(moveMouse, &QPushButton::clicked, this, [operation](bool on) { operation(2, on); });
    connect(rotateMouse, &QPushButton::clicked, this, [operation](bool on) { operation(3, on); });
    connect(absolute, &QRadioButton::toggled, this, [core](bool on) { core->SetAbsoluteMode(on); });
    connect(commit, &QPushButton::clicked, this, [core] { core->OnCommit(); });
    connect(undo, &QPushButton::clicked, this, [core] { core->OnUndo(); });
    connect(cancelAll, &QPushButton::clicked, this, [core] { core->OnCancelAll(); });
    connect(save, &QPushButton::clicked, this, [core] { core->OnSave(); });
    connect(closeButton, &QPushButton::clicked, this, &QDialog::close);
    {
        const QSignalBlocker block(offset);
        offset->setChecked(true);
    }
    core->refreshControls = [this] { RefreshControls(); };
    g_moveRotateDlg = core;
    SetToolWindow(ToolWindow::kMoveRotate, this);
    RefreshControls();
    PlaceAtViewCorner();
}

CMoveRotateWindow::~CMoveRotateWindow() { CMoveRotateWindow::ReleaseCore(); }

void CMoveRotateWindow::ReleaseCore() {
    if (!m_core) return;
    m_core->refreshControls = nullptr;
    m_core.reset();
}

void CMoveRotateWindow::RefreshControls() {
    if (!m_core) return;
    const CMoveRotateDlg& c = *m_core;
    const bool base = c.HasBase();
    Label(1155)->setText(QString::fromStdString(c.BaseLabel()));
    SetEditText(1085, base ? Fixed(" %.4f", c.Base().x) : QString());
    SetEditText(1086, base ? Fixed(" %.4f", c.Base().y) : QString());
    SetEditText(1087, base ? Fixed(" %.4f", c.Base().z) : QString());
    {
        const QSignalBlocker b1(Button(1143)), b2(Button(1131)), b3(Button(1135)),
            b4(Button(1079)), b5(Button(1080));
        Button(1143)->setChecked(c.MouseOperationChosen() == 1);
        Button(1131)->setChecked(c.MouseOperationChosen() == 2);
        Button(1135)->setChecked(c.MouseOperationChosen() == 3);
        Button(c.AbsoluteMode() ? 1080 : 1079)->setChecked(true);
    }
    for (int id : {1135, 1080}) Button(id)->setEnabled(base);
    Edit(1113)->setEnabled(base);
    for (int id : {1082, 1083, 1084}) SetEditText(id, Fixed(" %.4f", c.ShownValue(id)));
    SetEditText(1113, Fixed(" %.1f", c.ShownValue(1113)));
    SetEditText(1116, Fixed(" %.1f", c.ShownValue(1116)));
    SetEditText(1117, Fixed(" %.1f", c.ShownValue(1117)));
    Button(1152)->setEnabled(c.ChangedState() != 0);
}

void CMoveRotateWindow::EditLeft(int id, const QString& text, bool enter, bool escape) {
    if (!m_core) return;
    bool ok = false;
    const double v = Number(text, &ok);
    if (ok) m_core->EditLeft(id, v, enter, escape);
    if (QLineEdit* e = Edit(id)) {
        const QSignalBlocker block(e);
        const char* format = (id == 1082 || id == 1083 || id == 1084) ? " %.4f" : " %.1f";
        e->setText(Fixed(format, m_core->ShownValue(id)));
    }
    RefreshControls();
    if (enter) {
        const int next = id == 1084 ? 1113 : id == 1113 ? 1116 : id == 1117 ? 1082 : 0;
        if (next) Edit(next)->setFocus();
    }
}

bool CMoveRotateWindow::WheelOnEdit(int id, int delta) {
    static const int kIds[] = {1082, 1083, 1084, 1113, 1116, 1117};
    if (!m_core || std::find(std::begin(kIds), std::end(kIds), id) == std::end(kIds)) return false;
    m_core->WheelOnEdit(id, delta);
    const char* format = id < 1100 ? " %.4f" : " %.1f";
    Edit(id)->setText(Fixed(format, m_core->ShownValue(id)));
    return true;
}

// ---- installation ----

void InstallAreaEditWindows(QWidget* frame) {
    AreaEditWindows& windows = AreaEditWindowFactory();
    windows.openValidAreaEdit = [frame] { (new CValidAreaEditWindow(frame))->show(); };
    windows.openDupAreaEdit = [frame] { (new CDupAreaEditWindow(frame))->show(); };
    ToolServices().openMoveRotateDialog = [frame] { (new CMoveRotateWindow(frame))->show(); };
}

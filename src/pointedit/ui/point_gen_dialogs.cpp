#include "pointedit/ui/point_gen_dialogs.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCursor>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>

#include "analysis/ui/two_point_info_dialog.h"
#include "model/numeric_text.h"
#include "platform/encoding.h"
#include "pointedit/edit_point.h"
#include "pointedit/offset_points.h"
#include "pointedit/parallel_points.h"
#include "pointedit/point_gen_dialogs.h"
#include "view/view_state.h"

namespace {
QString Text(const char* utf8) { return QString::fromUtf8(utf8); }

QString Formatted(const char* format, double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, value);
    return QString::fromLatin1(buffer);
}

QString FormattedInt(int32_t value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, " %d", value);
    return QString::fromLatin1(buffer);
}

QLineEdit* Edit(QWidget* parent, const char* id) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(id);
    e->setAlignment(Qt::AlignRight);
    return e;
}

QRadioButton* Radio(QWidget* parent, QButtonGroup* group, const char* id, const char* text,
                    int value) {
    auto* b = new QRadioButton(Text(text), parent);
    b->setObjectName(id);
    group->addButton(b, value);
    return b;
}

QPushButton* Button(QWidget* parent, const char* id, const char* text) {
    auto* b = new QPushButton(Text(text), parent);
    b->setObjectName(id);
    b->setAutoDefault(false);
    return b;
}

// A typed number, or the old value when the text is not one.
double NumberOr(const QLineEdit* e, double old) {
    double v = old;
    return ParseDialogNumber(e->text().toStdString(), &v) ? v : old;
}

// Enter moves to the next control as Tab does, except on the action buttons, which it
// presses.
class EnterMovesOn : public QObject {
public:
    explicit EnterMovesOn(QDialog* dialog) : QObject(dialog), m_dialog(dialog) {
        for (QWidget* w : dialog->findChildren<QWidget*>()) w->installEventFilter(this);
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return false;
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) return false;
        if (auto* button = qobject_cast<QPushButton*>(watched)) {
            button->click();
            return true;
        }
        if (auto* widget = qobject_cast<QWidget*>(watched)) {
            widget->clearFocus();  // takes the typed value before moving on
            QWidget* next = widget->nextInFocusChain();
            while (next && next != widget && !(next->focusPolicy() & Qt::TabFocus))
                next = next->nextInFocusChain();
            if (next) next->setFocus(Qt::TabFocusReason);
            QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
            QApplication::sendEvent(widget, &out);
            return true;
        }
        return false;
    }

private:
    QDialog* m_dialog;
};

// The pointer moved a quarter of the screen's width away from the side it is on while a
// dialog is up, and back afterwards; only where the window system lets programs move it.
class CursorAside {
public:
    CursorAside() {
        if (QGuiApplication::platformName() != QLatin1String("xcb")) return;
        m_old = QCursor::pos();
        QScreen* screen = QGuiApplication::screenAt(m_old);
        if (!screen) return;
        const QRect r = screen->geometry();
        const int step = r.width() / 4;
        QCursor::setPos(m_old.x() + (m_old.x() - r.left() > r.width() / 2 ? -step : step),
                        m_old.y());
        m_moved = true;
    }
    ~CursorAside() {
        if (m_moved) QCursor::setPos(m_old);
    }

private:
    QPoint m_old;
    bool m_moved = false;
};

// Reads the fields back whenever one loses the focus.
void OnLeave(QLineEdit* e, std::function<void()> read) {
    QObject::connect(e, &QLineEdit::editingFinished, e, std::move(read));
}

// At most `limit` bytes of the CP932 form of a typed text, no character split.
std::string Cp932Cut(const QString& text, size_t limit) {
    std::string cp = Utf8ToCp932(text.toStdString());
    cp.resize(Cp932PrefixLength(cp, limit));
    return cp;
}
}  // namespace

// ---- オフセット指定 ----

COffsetPointDlg::COffsetPointDlg(QWidget* parent) : QDialog(parent) {
    setObjectName("offsetPointDialog");
    setWindowTitle(Text("オフセット指定"));
    OffsetPointValues& v = g_offsetPointDlg;
    InitOffsetPointDialog(v);

    auto* baseBox = new QGroupBox(Text("基準点"), this);
    auto* baseGrid = new QGridLayout(baseBox);
    const char* baseIds[] = {"1089", "1090", "1091", "1092"};
    const char* baseTitles[] = {"Ｘ", "Ｙ", "標高", "点名"};
    const QString baseTexts[] = {
        Formatted("%12.4f", g_editPoint.x), Formatted("%12.4f", g_editPoint.y),
        Formatted("%8.3f", g_editPoint.z), QString::fromStdString(Cp932ToUtf8(g_editPoint.name))};
    for (int k = 0; k < 4; ++k) {
        baseGrid->addWidget(new QLabel(Text(baseTitles[k]), baseBox), k, 0);
        auto* l = new QLabel(baseTexts[k], baseBox);
        l->setObjectName(baseIds[k]);
        baseGrid->addWidget(l, k, 1);
    }

    m_registration = new QButtonGroup(this);
    auto* one = Radio(this, m_registration, "1042", "１点ごと", 0);
    auto* polygon = Radio(this, m_registration, "1043", "多角形", 1);
    m_direction = Edit(this, "1094");
    m_distance = Edit(this, "1095");
    m_name = new QLineEdit(this);
    m_name->setObjectName("1028");
    m_method = new QButtonGroup(this);
    m_value = Edit(this, "1027");
    auto* main = new QGridLayout;
    main->addWidget(one, 0, 0);
    main->addWidget(polygon, 0, 1);
    main->addWidget(new QLabel(Text("方向角"), this), 1, 0);
    main->addWidget(m_direction, 1, 1);
    main->addWidget(new QLabel(Text("距離"), this), 2, 0);
    main->addWidget(m_distance, 2, 1);
    main->addWidget(new QLabel(Text("点名"), this), 3, 0);
    main->addWidget(m_name, 3, 1);
    auto* methods = new QHBoxLayout;
    methods->addWidget(Radio(this, m_method, "1079", "比高差", 0));
    methods->addWidget(Radio(this, m_method, "1080", "勾 配", 1));
    methods->addWidget(Radio(this, m_method, "1082", "標高", 2));
    methods->addWidget(Radio(this, m_method, "1083", "自動", 3));
    main->addLayout(methods, 4, 0, 1, 2);
    main->addWidget(m_value, 5, 1);

    auto* compute = Button(this, "1087", "座標計算");
    compute->setDefault(true);
    auto* stop = Button(this, "1088", "中止");
    m_retire = new QCheckBox(Text("基準点を未使用点にする"), this);
    m_retire->setObjectName("1068");

    m_polygon = new QGroupBox(Text("多角形"), this);
    m_kind = new QButtonGroup(this);
    m_circle = Edit(m_polygon, "1054");
    m_square = Edit(m_polygon, "1056");
    m_size = Edit(m_polygon, "1053");
    m_bottomTop = new QButtonGroup(this);
    m_move = Edit(m_polygon, "1062");
    m_bottomMethod = new QButtonGroup(this);
    m_bottomValue = Edit(m_polygon, "1029");
    auto* poly = new QGridLayout(m_polygon);
    poly->addWidget(Radio(m_polygon, m_kind, "1049", "円", 0), 0, 0);
    poly->addWidget(m_circle, 0, 1);
    poly->addWidget(Radio(m_polygon, m_kind, "1050", "矩形", 1), 1, 0);
    poly->addWidget(m_square, 1, 1);
    poly->addWidget(new QLabel(Text("直径or矩形幅"), m_polygon), 2, 0);
    poly->addWidget(m_size, 2, 1);
    poly->addWidget(Radio(m_polygon, m_bottomTop, "1066", "作成する", 1), 3, 0);
    poly->addWidget(Radio(m_polygon, m_bottomTop, "1067", "作成しない", 0), 3, 1);
    poly->addWidget(new QLabel(Text("移動量"), m_polygon), 4, 0);
    poly->addWidget(m_move, 4, 1);
    auto* bottomMethods = new QHBoxLayout;
    bottomMethods->addWidget(Radio(m_polygon, m_bottomMethod, "1081", "比高差", 0));
    bottomMethods->addWidget(Radio(m_polygon, m_bottomMethod, "1063", "勾 配", 1));
    bottomMethods->addWidget(Radio(m_polygon, m_bottomMethod, "1085", "標高", 2));
    bottomMethods->addWidget(Radio(m_polygon, m_bottomMethod, "1064", "自動", 3));
    poly->addLayout(bottomMethods, 5, 0, 1, 2);
    poly->addWidget(m_bottomValue, 6, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(compute);
    buttons->addWidget(stop);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(baseBox);
    layout->addLayout(main);
    layout->addLayout(buttons);
    layout->addWidget(m_retire);
    layout->addWidget(m_polygon);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    ShowFields();
    for (QLineEdit* e : {m_direction, m_distance, m_value, m_circle, m_square, m_size, m_move,
                         m_bottomValue, m_name})
        OnLeave(e, [this] { ReadFields(); });
    for (QButtonGroup* g : {m_method, m_kind, m_bottomTop, m_bottomMethod})
        connect(g, &QButtonGroup::idClicked, this, [this] { ReadFields(); });
    connect(m_registration, &QButtonGroup::idClicked, this, [this] {
        ReadFields();
        ShowRegistration();
    });
    connect(m_retire, &QCheckBox::toggled, this, [this] { ReadFields(); });
    connect(compute, &QPushButton::clicked, this, &COffsetPointDlg::Compute);
    connect(stop, &QPushButton::clicked, this, &COffsetPointDlg::Stop);
    new EnterMovesOn(this);
    SetToolWindow(ToolWindow::kOffsetDialog, this);
}

COffsetPointDlg::~COffsetPointDlg() { ClearToolWindow(ToolWindow::kOffsetDialog, this); }

int32_t COffsetPointDlg::Run(QWidget* parent) {
    CursorAside aside;
    COffsetPointDlg dialog(parent);
    return dialog.exec();
}

void COffsetPointDlg::ShowRegistration() {
    m_polygon->setVisible(g_offsetPointDlg.registration == 1);
}

void COffsetPointDlg::ShowFields() {
    const OffsetPointValues& v = g_offsetPointDlg;
    m_registration->button(v.registration == 1 ? 1 : 0)->setChecked(true);
    m_method->button(v.elevationMethod)->setChecked(true);
    m_kind->button(v.polygonKind)->setChecked(true);
    m_bottomTop->button(v.bottomTop == 1 ? 1 : 0)->setChecked(true);
    m_bottomMethod->button(v.bottomMethod)->setChecked(true);
    m_direction->setText(Formatted(" %3.04f", v.direction));
    m_distance->setText(Formatted(" %0.3f", v.distance));
    m_name->setText(QString::fromStdString(Cp932ToUtf8(g_offsetDlgName)));
    m_value->setText(Formatted(" %0.3f", v.elevationValue));
    m_circle->setText(FormattedInt(v.circleDivisions));
    m_square->setText(FormattedInt(v.squareDivisions));
    m_size->setText(Formatted(" %.3f", v.size));
    m_move->setText(Formatted(" %.3f", v.move));
    m_bottomValue->setText(Formatted(" %.3f", v.bottomValue));
    m_retire->setChecked(v.retireBase == 1);
    ShowRegistration();
}

void COffsetPointDlg::ReadFields() {
    OffsetPointValues& v = g_offsetPointDlg;
    v.registration = m_registration->checkedId() == 1 ? 1 : 0;
    v.elevationMethod = std::max(0, m_method->checkedId());
    v.polygonKind = m_kind->checkedId() == 1 ? 1 : 0;
    v.bottomTop = m_bottomTop->checkedId() == 1 ? 1 : 0;
    v.bottomMethod = std::max(0, m_bottomMethod->checkedId());
    v.retireBase = m_retire->isChecked() ? 1 : 0;
    v.direction = NumberOr(m_direction, v.direction);
    v.distance = NumberOr(m_distance, v.distance);
    v.elevationValue = NumberOr(m_value, v.elevationValue);
    v.bottomValue = NumberOr(m_bottomValue, v.bottomValue);
    const double circle = NumberOr(m_circle, v.circleDivisions);
    if (circle > 1) v.circleDivisions = static_cast<int32_t>(circle);
    const double square = NumberOr(m_square, v.squareDivisions);
    if (square >= 0) v.squareDivisions = static_cast<int32_t>(square);
    const double size = NumberOr(m_size, v.size);
    if (size > 0) v.size = size;
    const double move = NumberOr(m_move, v.move);
    if (move != 0) v.move = move;
    g_offsetDlgName = Cp932Cut(m_name->text(), 11);
    ShowFields();
}

void COffsetPointDlg::Compute() {
    ReadFields();
    const int32_t result = ComputeOffsetPoints(g_offsetPointDlg);
    if (result != kOffsetStayOpen) done(result);
}

void COffsetPointDlg::Stop() {
    g_pickedPoint = 0;
    done(kOffsetClosed);
}

void COffsetPointDlg::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        Stop();
        return;
    }
    QDialog::mousePressEvent(event);
}

// ---- 点追加（平行） ----

CParallelAddDlg::CParallelAddDlg(QWidget* parent) : QDialog(parent) {
    setObjectName("parallelAddDialog");
    setWindowTitle(Text("点追加（平行）"));
    ParallelAddValues& v = g_parallelAddDlg;
    const bool canMove = InitParallelAddDialog(v);

    m_distance = Edit(this, "1241");
    m_both = new QCheckBox(Text("両側に発生"), this);
    m_both->setObjectName("1021");
    m_spacing = new QButtonGroup(this);
    m_rule = new QButtonGroup(this);
    m_divisions = Edit(this, "1235");
    m_spacingDistance = Edit(this, "1236");
    m_heightDiff = Edit(this, "1238");
    m_givenZ = Edit(this, "1240");
    m_gradient = Edit(this, "1243");
    m_moveBase = Button(this, "1034", "基準線移動");
    auto* add = Button(this, "1232", "追加");
    add->setDefault(true);
    auto* end = Button(this, "1224", "終了");

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(Text("平行移動距離"), this), 0, 0);
    grid->addWidget(m_distance, 0, 1);
    grid->addWidget(m_both, 0, 2);
    auto* spacingBox = new QGroupBox(Text("点追加方法"), this);
    auto* sg = new QGridLayout(spacingBox);
    sg->addWidget(Radio(spacingBox, m_spacing, "1234", "端点のみ", 0), 0, 0);
    sg->addWidget(Radio(spacingBox, m_spacing, "1135", "分割数指定", 1), 1, 0);
    sg->addWidget(m_divisions, 1, 1);
    sg->addWidget(Radio(spacingBox, m_spacing, "1136", "距離指定", 2), 2, 0);
    sg->addWidget(m_spacingDistance, 2, 1);
    auto* ruleBox = new QGroupBox(Text("標高値設定方法"), this);
    auto* rg = new QGridLayout(ruleBox);
    rg->addWidget(Radio(ruleBox, m_rule, "1237", "比高差", 0), 0, 0);
    rg->addWidget(m_heightDiff, 0, 1);
    rg->addWidget(Radio(ruleBox, m_rule, "1239", "指定標高", 1), 1, 0);
    rg->addWidget(m_givenZ, 1, 1);
    auto* tin = Radio(ruleBox, m_rule, "1163", "三角網から計算", 2);
    tin->setEnabled(g_tinPresent != 0);
    rg->addWidget(tin, 2, 0);
    rg->addWidget(Radio(ruleBox, m_rule, "1242", "勾配（％）", 3), 3, 0);
    rg->addWidget(m_gradient, 3, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_moveBase);
    buttons->addStretch(1);
    buttons->addWidget(add);
    buttons->addWidget(end);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(spacingBox);
    layout->addWidget(ruleBox);
    layout->addLayout(buttons);

    m_moveBase->setEnabled(canMove);
    ShowFields();
    for (QLineEdit* e :
         {m_distance, m_divisions, m_spacingDistance, m_heightDiff, m_givenZ, m_gradient})
        OnLeave(e, [this] { ReadFields(); });
    connect(m_both, &QCheckBox::toggled, this, [this] { ReadFields(); });
    // Choosing a way moves on to its value.
    connect(m_spacing, &QButtonGroup::idClicked, this, [this](int id) {
        ReadFields();
        if (id == 1) m_divisions->setFocus();
        if (id == 2) m_spacingDistance->setFocus();
    });
    connect(m_rule, &QButtonGroup::idClicked, this, [this](int id) {
        ReadFields();
        QLineEdit* next[] = {m_heightDiff, m_givenZ, nullptr, m_gradient};
        if (next[id]) next[id]->setFocus();
    });
    connect(m_moveBase, &QPushButton::clicked, this, [this] {
        if (MoveParallelBaseLine()) m_moveBase->setEnabled(false);
    });
    connect(add, &QPushButton::clicked, this, &CParallelAddDlg::Add);
    connect(end, &QPushButton::clicked, this, [this] { done(0); });
    new EnterMovesOn(this);
}

int32_t CParallelAddDlg::Run(QWidget* parent) {
    CParallelAddDlg dialog(parent);
    return dialog.exec();
}

void CParallelAddDlg::ShowFields() {
    const ParallelAddValues& v = g_parallelAddDlg;
    if (QAbstractButton* b = m_spacing->button(v.spacingMode)) b->setChecked(true);
    if (QAbstractButton* b = m_rule->button(v.elevationRule)) b->setChecked(true);
    m_distance->setText(Formatted("%.3f", v.distance));
    m_both->setChecked(v.bothSides == 1);
    m_divisions->setText(FormattedInt(v.divisions).trimmed());
    m_spacingDistance->setText(Formatted("%.3f", v.spacing));
    m_heightDiff->setText(Formatted("%.3f", v.heightDiff));
    m_givenZ->setText(Formatted("%.3f", v.givenZ));
    m_gradient->setText(Formatted("%.3f", v.gradient));
}

void CParallelAddDlg::ReadFields() {
    ParallelAddValues& v = g_parallelAddDlg;
    v.distance = NumberOr(m_distance, v.distance);
    v.bothSides = m_both->isChecked() ? 1 : 0;
    v.spacingMode = std::max(0, m_spacing->checkedId());
    v.elevationRule = std::max(0, m_rule->checkedId());
    v.divisions = static_cast<int32_t>(NumberOr(m_divisions, v.divisions));
    v.spacing = NumberOr(m_spacingDistance, v.spacing);
    v.heightDiff = NumberOr(m_heightDiff, v.heightDiff);
    v.givenZ = NumberOr(m_givenZ, v.givenZ);
    v.gradient = NumberOr(m_gradient, v.gradient);
    ShowFields();
}

void CParallelAddDlg::Add() {
    ReadFields();
    if (CheckParallelAdd(g_parallelAddDlg)) done(1);
}

// ---- 発生点保存方法選択 ----

CGenPointSaveDlg::CGenPointSaveDlg(QWidget* parent) : QDialog(parent) {
    setObjectName("genPointSaveDialog");
    setWindowTitle(Text("発生点保存方法選択"));
    m_name = new QLineEdit(this);
    m_name->setObjectName("1221");
    m_choice = new QButtonGroup(this);
    auto* file = Radio(this, m_choice, "1079", "別ファイルとして保存する", 0);
    auto* add = Radio(this, m_choice, "1080", "現在のデータに追加する", 1);
    file->setChecked(true);
    auto* ok = Button(this, "1", "OK");
    ok->setDefault(true);
    auto* cancel = Button(this, "2", "ｷｬﾝｾﾙ");
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(Text("発生点名"), this));
    row->addWidget(m_name, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(file);
    layout->addWidget(add);
    layout->addLayout(buttons);
    connect(ok, &QPushButton::clicked, this, [this] {
        m_values.name = Cp932Cut(m_name->text(), 63);
        m_values.choice = m_choice->checkedId() == 1 ? 1 : 0;
        done(1);
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

int32_t CGenPointSaveDlg::Run(GenPointSaveValues& values, QWidget* parent) {
    CGenPointSaveDlg dialog(parent);
    const int32_t r = dialog.exec();
    if (r == 1) values = dialog.m_values;
    return r == 1 ? 1 : 2;
}

// ---- installation ----

void InstallPointGenDialogs(QWidget* frame) {
    PointGenDialogs& d = PointGenDialogHooks();
    d.runOffsetDialog = [frame] { return COffsetPointDlg::Run(frame); };
    d.runParallelDialog = [frame] { return CParallelAddDlg::Run(frame); };
    // The view is looked up at each use: the frame replaces its central widget.
    d.runTwoPointInfo = [frame] {
        auto* main = qobject_cast<QMainWindow*>(frame);
        return CRandom2_view::Run(frame, main ? main->centralWidget() : nullptr);
    };
    d.runGenPointSave = [frame](GenPointSaveValues& v) { return CGenPointSaveDlg::Run(v, frame); };
}

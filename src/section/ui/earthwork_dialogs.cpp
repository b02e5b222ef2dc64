#include "section/ui/earthwork_dialogs.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QResizeEvent>
#include <QVBoxLayout>

#include "section/earthwork_output.h"
#include "shell/ui/flex_grid.h"

namespace {
template <typename T>
T* Named(T* widget, int id) {
    widget->setObjectName(QString::number(id));
    return widget;
}
QString U(const std::string& s) { return QString::fromStdString(s); }
}  // namespace

CEarthworkCalcDlg::CEarthworkCalcDlg(EarthworkCalcDialogState& state, QWidget* parent)
    : QDialog(parent), m_state(state) {
    setObjectName("earthworkCalcDialog");
    setWindowTitle(QString::fromUtf8("平均断面土量計算"));

    auto* files = new QGridLayout;
    auto* selectCurrent = Named(new QPushButton(QString::fromUtf8("選択"), this), 1049);
    m_currentPath = Named(new QLabel(this), 1048);
    m_selectPlan = Named(new QPushButton(QString::fromUtf8("選択"), this), 1051);
    m_planPath = Named(new QLabel(this), 1050);
    for (QLabel* l : {m_currentPath, m_planPath}) {
        l->setFrameShape(QFrame::Panel);
        l->setFrameShadow(QFrame::Sunken);
        l->setMinimumWidth(320);
    }
    files->addWidget(new QLabel(QString::fromUtf8("現況"), this), 0, 0);
    files->addWidget(selectCurrent, 0, 1);
    files->addWidget(m_currentPath, 0, 2);
    files->addWidget(new QLabel(QString::fromUtf8("計画"), this), 1, 0);
    files->addWidget(m_selectPlan, 1, 1);
    files->addWidget(m_planPath, 1, 2);
    connect(selectCurrent, &QPushButton::clicked, this, [this] { OnSelectCurrentFile(); });
    connect(m_selectPlan, &QPushButton::clicked, this, [this] { OnSelectPlanFile(); });

    auto* decimals = new QGroupBox(QString::fromUtf8("小数桁"), this);
    auto* decimalsLayout = new QGridLayout(decimals);
    const char* labels[] = {"ＣＡ，ＢＡ", "ＭＣＡ，ＭＢＡ", "ＣＶ，ＢＶ", "追距，単距"};
    for (int which = 0; which < 4; ++which) {
        auto* list = Named(new QComboBox(decimals), 1018 + which);
        list->addItems({"0", "1", "2", "3"});
        list->setCurrentIndex(EarthworkDecimals(which));
        connect(list, &QComboBox::currentIndexChanged, this, [which](int i) { SetEarthworkDecimals(which, i); });
        decimalsLayout->addWidget(new QLabel(QString::fromUtf8(labels[which]), decimals), which, 0);
        decimalsLayout->addWidget(list, which, 1);
    }

    auto* values = new QGridLayout;
    m_rate = Named(new QLineEdit(U(m_state.rateText), this), 1082);
    m_tolerance = Named(new QLineEdit(U(m_state.toleranceText), this), 1164);
    m_judge = Named(new QLineEdit(U(m_state.judgeText), this), 1165);
    values->addWidget(new QLabel(QString::fromUtf8("流用率"), this), 0, 0);
    values->addWidget(m_rate, 0, 1);
    values->addWidget(new QLabel(QString::fromUtf8("面積誤差"), this), 1, 0);
    values->addWidget(m_tolerance, 1, 1);
    for (QLineEdit* e : {m_rate, m_tolerance, m_judge}) {
        e->setAlignment(Qt::AlignRight);
        e->setProperty("committed", e->text());
        e->installEventFilter(this);
    }

    auto* dup = new QGroupBox(QString::fromUtf8("重複判定"), this);
    auto* dupLayout = new QGridLayout(dup);
    m_dupOn = Named(new QRadioButton(QString::fromUtf8("する"), dup), 1162);
    auto* dupOff = Named(new QRadioButton(QString::fromUtf8("しない"), dup), 1163);
    m_adjustOn = Named(new QRadioButton(QString::fromUtf8("する"), dup), 1166);
    auto* adjustOff = Named(new QRadioButton(QString::fromUtf8("しない"), dup), 1167);
    auto* dupGroup = new QButtonGroup(this);
    dupGroup->addButton(m_dupOn);
    dupGroup->addButton(dupOff);
    auto* adjustGroup = new QButtonGroup(this);
    adjustGroup->addButton(m_adjustOn);
    adjustGroup->addButton(adjustOff);
    m_dupOn->setChecked(m_state.duplicateTest);
    dupOff->setChecked(!m_state.duplicateTest);
    m_adjustOn->setChecked(m_state.adjust);
    adjustOff->setChecked(!m_state.adjust);
    connect(m_dupOn, &QRadioButton::toggled, this, [this](bool on) { m_state.duplicateTest = on; });
    connect(m_adjustOn, &QRadioButton::toggled, this, [this](bool on) { m_state.adjust = on; });
    dupLayout->addWidget(m_dupOn, 0, 0);
    dupLayout->addWidget(dupOff, 0, 1);
    dupLayout->addWidget(new QLabel(QString::fromUtf8("判定値"), dup), 1, 0);
    dupLayout->addWidget(m_judge, 1, 1);
    dupLayout->addWidget(new QLabel(QString::fromUtf8("横断点調整"), dup), 2, 0);
    dupLayout->addWidget(m_adjustOn, 3, 0);
    dupLayout->addWidget(adjustOff, 3, 1);

    m_calc = Named(new QPushButton(QString::fromUtf8("計算"), this), 1132);
    auto* cancel = Named(new QPushButton(QString::fromUtf8("中止"), this), 1088);
    m_calc->setAutoDefault(false);
    cancel->setAutoDefault(false);
    connect(m_calc, &QPushButton::clicked, this, [this] {
        for (QLineEdit* e : {m_rate, m_tolerance, m_judge}) EditLeft(e);
        if (EarthworkCalcAllowed()) done(1);
    });
    connect(cancel, &QPushButton::clicked, this, [this] { done(0); });
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_calc);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(files);
    layout->addWidget(decimals);
    layout->addLayout(values);
    layout->addWidget(dup);
    layout->addLayout(buttons);
    Refresh();
}

bool CEarthworkCalcDlg::Run(EarthworkCalcDialogState& state, QWidget* parent) {
    CEarthworkCalcDlg dialog(state, parent);
    return dialog.exec() == 1;
}

void CEarthworkCalcDlg::OnSelectCurrentFile() {
    SelectEarthworkCurrentFile();
    Refresh();
}

void CEarthworkCalcDlg::OnSelectPlanFile() {
    SelectEarthworkPlanFile();
    Refresh();
}

void CEarthworkCalcDlg::Refresh() {
    m_currentPath->setText(QString::fromUtf8(EarthworkCurrentPathText().c_str()));
    m_planPath->setText(QString::fromUtf8(EarthworkPlanPathText().c_str()));
    m_selectPlan->setEnabled(EarthworkPlanSelectable());
    m_calc->setEnabled(EarthworkCalcAllowed());
}

void CEarthworkCalcDlg::paintEvent(QPaintEvent* event) {
    Refresh();
    QDialog::paintEvent(event);
}

void CEarthworkCalcDlg::EditLeft(QLineEdit* edit) {
    const std::string typed = edit->text().toStdString();
    if (edit == m_rate) edit->setText(U(EarthworkRateLeft(typed)));
    else if (edit == m_tolerance) edit->setText(U(EarthworkToleranceLeft(typed)));
    else if (edit == m_judge) edit->setText(U(EarthworkJudgeLeft(typed, m_state)));
    edit->setProperty("committed", edit->text());
}

bool CEarthworkCalcDlg::eventFilter(QObject* watched, QEvent* event) {
    auto* edit = qobject_cast<QLineEdit*>(watched);
    if (edit != nullptr && (edit == m_rate || edit == m_tolerance || edit == m_judge)) {
        if (event->type() == QEvent::FocusOut) {
            EditLeft(edit);
        } else if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            // Enter commits as Tab does and Esc restores the edit; neither closes the dialog.
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                EditLeft(edit);
                focusNextChild();
                return true;
            }
            if (key == Qt::Key_Escape) {
                edit->setText(edit->property("committed").toString());
                focusNextChild();
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CEarthworkCalcDlg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

CEarthworkListDlg::CEarthworkListDlg(QWidget* parent) : QDialog(parent) {
    setObjectName("earthworkListDialog");
    setWindowTitle(QString::fromUtf8("土量一覧"));
    setSizeGripEnabled(true);
    resize(900, 420);
    m_grid = Named(new CMSFlexGrid(this), 1274);
    m_close = Named(new QPushButton(QString::fromUtf8("閉じる"), this), 1051);
    m_copy = Named(new QPushButton(QString::fromUtf8("表コピー"), this), 1052);
    connect(m_close, &QPushButton::clicked, this, [this] { accept(); });
    connect(m_copy, &QPushButton::clicked, this, [this] { OnCopyTable(); });
    FillGrid();
}

void CEarthworkListDlg::Run(QWidget* parent) {
    CEarthworkListDlg dialog(parent);
    dialog.exec();
}

void CEarthworkListDlg::FillGrid() {
    const std::vector<std::vector<std::string>> rows = EarthworkGridRows();
    m_grid->SetCols(10);
    m_grid->SetRows(static_cast<int>(rows.size()));
    m_grid->SetFixedRows(1);
    m_grid->SetFixedCols(0);
    for (size_t r = 0; r < rows.size(); ++r)
        for (size_t c = 0; c < rows[r].size(); ++c)
            m_grid->SetTextMatrix(static_cast<int>(r), static_cast<int>(c), U(rows[r][c]));
    for (int c = 2; c < 10; ++c) m_grid->SetColAlignment(c, 7);
}

void CEarthworkListDlg::OnCopyTable() { CopyEarthworkTable(); }

void CEarthworkListDlg::resizeEvent(QResizeEvent* event) {
    if (event) QDialog::resizeEvent(event);
    const int margin = 6;
    const int buttonHeight = m_close->sizeHint().height();
    const int buttonTop = height() - buttonHeight - margin;
    m_copy->setGeometry(width() - 2 * (100 + margin), buttonTop, 100, buttonHeight);
    m_close->setGeometry(width() - (100 + margin), buttonTop, 100, buttonHeight);
    m_grid->setGeometry(0, 0, width(), std::max(0, buttonTop - 3));
    // Of the width less 26 pixels, the number column takes a fifteenth and the others
    // share the rest.
    const int usable = std::max(0, width() - 26);
    const int first = usable / 15;
    m_grid->SetColWidth(0, first);
    for (int c = 1; c < 10; ++c) m_grid->SetColWidth(c, (usable - first) / 9);
}

#include "pointedit/ui/batch_edit_dialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <cstring>

#include "platform/encoding.h"
#include "platform/input.h"
#include "platform/text_io.h"
#include "pointedit/area_selection.h"
#include "pointedit/batch_edit.h"
#include "pointedit/point_array.h"
#include "shell/tool_commands.h"
#include "view/text_flags.h"
#include "view/view_navigation.h"

namespace {
QString Utf8(const char* text) { return QString::fromUtf8(text); }

QPushButton* Button(QWidget* parent, int id, const char* text) {
    auto* b = new QPushButton(Utf8(text), parent);
    b->setObjectName(QString::number(id));
    b->setAutoDefault(false);
    return b;
}
QRadioButton* Radio(QWidget* parent, int id, const char* text) {
    auto* r = new QRadioButton(Utf8(text), parent);
    r->setObjectName(QString::number(id));
    return r;
}
QCheckBox* Check(QWidget* parent, int id) {
    auto* c = new QCheckBox(Utf8("編集する"), parent);
    c->setObjectName(QString::number(id));
    return c;
}
QLineEdit* Edit(QWidget* parent, int id) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::number(id));
    return e;
}
QString Text(const std::string& utf8) { return QString::fromStdString(utf8); }
}  // namespace

// ---- 矩形多角形指定 ----

CSelectShapeDlg::CSelectShapeDlg(QWidget* parent) : QDialog(parent) {
    setObjectName("selectShapeDialog");
    setWindowTitle(Utf8("矩形多角形指定"));
    auto* row = new QHBoxLayout(this);
    const struct {
        int id;
        const char* text;
        int result;
    } kShapes[] = {{1070, "矩形", 1}, {1071, "多角形", 2}, {1073, "投げ縄", 3}, {1072, "中止", 0}};
    for (const auto& s : kShapes) {
        QPushButton* b = Button(this, s.id, s.text);
        connect(b, &QPushButton::clicked, this, [this, result = s.result] { done(result); });
        row->addWidget(b);
    }
}

int CSelectShapeDlg::Run(QWidget* parent) {
    CSelectShapeDlg dialog(parent);
    const int result = dialog.exec();
    return result >= 1 && result <= 3 ? result : 0;
}

// ---- ランダム点一括編集 ----

CBatchEditDlg::CBatchEditDlg(QWidget* parent) : QDialog(parent) {
    setObjectName("batchEditDialog");
    setWindowTitle(Utf8("ランダム点一括編集"));
    auto* layout = new QVBoxLayout(this);

    auto* zGroup = new QGroupBox(Utf8("標高値"), this);
    auto* zGrid = new QGridLayout(zGroup);
    m_elevation = Check(zGroup, 1015);
    m_givenZ = Radio(zGroup, 1239, "指定標高");
    m_heightDiff = Radio(zGroup, 1237, "比高差");
    m_zEdit = Edit(zGroup, 1240);
    m_diffEdit = Edit(zGroup, 1238);
    zGrid->addWidget(m_elevation, 0, 0, 1, 2);
    zGrid->addWidget(m_givenZ, 1, 0);
    zGrid->addWidget(m_zEdit, 1, 1);
    zGrid->addWidget(m_heightDiff, 2, 0);
    zGrid->addWidget(m_diffEdit, 2, 1);
    layout->addWidget(zGroup);

    auto* vGroup = new QGroupBox(Utf8("有効・無効"), this);
    auto* vRow = new QHBoxLayout(vGroup);
    m_valid = Check(vGroup, 1013);
    m_validRadio = Radio(vGroup, 1047, "有効");
    m_invalidRadio = Radio(vGroup, 1053, "無効");
    vRow->addWidget(m_valid);
    vRow->addWidget(m_validRadio);
    vRow->addWidget(m_invalidRadio);
    layout->addWidget(vGroup);

    auto* nGroup = new QGroupBox(Utf8("点名"), this);
    auto* nRow = new QHBoxLayout(nGroup);
    m_name = Check(nGroup, 1014);
    m_nameEdit = Edit(nGroup, 1221);
    m_swatch = Button(nGroup, 1241, "");
    m_swatch->setFixedWidth(28);
    nRow->addWidget(m_name);
    nRow->addWidget(m_nameEdit);
    nRow->addWidget(m_swatch);
    layout->addWidget(nGroup);

    auto* pGroup = new QGroupBox(Utf8("プロット"), this);
    auto* pRow = new QHBoxLayout(pGroup);
    m_plot = Check(pGroup, 1012);
    pRow->addWidget(m_plot);
    const char* kPlotTexts[] = {"なし", "点名のみ", "標高のみ", "両方"};
    for (int k = 0; k < 4; ++k) {
        m_plotRadio[k] = Radio(pGroup, 1048 + k, kPlotTexts[k]);
        pRow->addWidget(m_plotRadio[k]);
        connect(m_plotRadio[k], &QRadioButton::toggled, this, [k](bool on) {
            if (on) g_newPointPlotMode = k;
        });
    }
    layout->addWidget(pGroup);

    auto* bRow = new QHBoxLayout;
    QPushButton* unused = Button(this, 1069, "三角網未使用点ファイル出力");
    m_apply = Button(this, 1272, "編集");
    m_cancel = Button(this, 1159, "中止");
    bRow->addWidget(unused);
    bRow->addStretch();
    bRow->addWidget(m_apply);
    bRow->addWidget(m_cancel);
    layout->addLayout(bRow);

    m_zEdit->setText(Text(FormatString("%.3f", g_newPointZ)));
    m_diffEdit->setText(Text(FormatString("%.3f", g_batchHeightDiff)));
    m_nameEdit->setText(Text(Cp932ToUtf8(g_newPointName)));
    m_elevation->setChecked(g_batchSetElevation != 0);
    m_valid->setChecked(g_batchSetValid != 0);
    m_name->setChecked(g_batchSetName != 0);
    m_plot->setChecked(g_batchSetPlot != 0);
    (g_batchInvalid == 1 ? m_invalidRadio : m_validRadio)->setChecked(true);
    const int plot = g_newPointPlotMode >= 1 && g_newPointPlotMode <= 3 ? g_newPointPlotMode : 0;
    m_plotRadio[plot]->setChecked(true);
    (g_batchUseHeightDiff ? m_heightDiff : m_givenZ)->setChecked(true);

    connect(m_elevation, &QCheckBox::toggled, this, [this](bool on) {
        g_batchSetElevation = on;
        RefreshControls();
    });
    connect(m_valid, &QCheckBox::toggled, this, [this](bool on) {
        g_batchSetValid = on;
        RefreshControls();
    });
    connect(m_name, &QCheckBox::toggled, this, [this](bool on) {
        g_batchSetName = on;
        RefreshControls();
    });
    connect(m_plot, &QCheckBox::toggled, this, [this](bool on) {
        g_batchSetPlot = on;
        RefreshControls();
    });
    connect(m_givenZ, &QRadioButton::toggled, this, [this](bool on) {
        if (on) g_batchUseHeightDiff = 0;
        RefreshControls();
    });
    connect(m_heightDiff, &QRadioButton::toggled, this, [this](bool on) {
        if (on) g_batchUseHeightDiff = 1;
        RefreshControls();
    });
    connect(m_validRadio, &QRadioButton::toggled, this, [](bool on) {
        if (on) g_batchInvalid = 0;
    });
    connect(m_invalidRadio, &QRadioButton::toggled, this, [](bool on) {
        if (on) g_batchInvalid = 1;
    });
    connect(m_nameEdit, &QLineEdit::textChanged, this, [this] { UpdateSwatch(); });
    connect(m_swatch, &QPushButton::clicked, this, [this] { ChooseColour(); });
    connect(unused, &QPushButton::clicked, this, [] { OnWriteUnusedPoints(); });
    connect(m_apply, &QPushButton::clicked, this, [this] { Apply(); });
    connect(m_cancel, &QPushButton::clicked, this, [this] { reject(); });

    for (QWidget* w : findChildren<QWidget*>()) w->installEventFilter(this);
    RefreshControls();
    UpdateSwatch();
}

void CBatchEditDlg::RefreshControls() {
    const bool z = m_elevation->isChecked();
    m_givenZ->setEnabled(z);
    m_heightDiff->setEnabled(z);
    m_zEdit->setEnabled(z && !g_batchUseHeightDiff);
    m_diffEdit->setEnabled(z && g_batchUseHeightDiff);
    for (QRadioButton* r : m_plotRadio) r->setEnabled(m_plot->isChecked());
    m_validRadio->setEnabled(m_valid->isChecked());
    m_invalidRadio->setEnabled(m_valid->isChecked());
    m_nameEdit->setEnabled(m_name->isChecked());
}

void CBatchEditDlg::EditLeft(QLineEdit* edit) {
    const std::string text = edit->text().toStdString();
    QString shown;
    if (edit == m_zEdit)
        shown = Text(BatchEditElevationLeft(text));
    else if (edit == m_diffEdit)
        shown = Text(BatchEditHeightDiffLeft(text));
    else if (edit == m_nameEdit)
        shown = Text(BatchEditNameLeft(text));
    else
        return;
    if (edit->text() != shown) edit->setText(shown);
}

void CBatchEditDlg::TakeEdits() {
    EditLeft(m_zEdit);
    EditLeft(m_diffEdit);
    EditLeft(m_nameEdit);
}

void CBatchEditDlg::Apply() {
    TakeEdits();
    done(1);
}

void CBatchEditDlg::ValidityKey(bool insert) {
    BatchEditValidityKey(insert, !insert);
    m_valid->setChecked(true);
    (insert ? m_validRadio : m_invalidRadio)->setChecked(true);
    Apply();
}

void CBatchEditDlg::UpdateSwatch() {
    const std::string cp932 = Utf8ToCp932(m_nameEdit->text().toStdString());
    char head[12] = {};
    std::memcpy(head, cp932.data(), std::min<size_t>(cp932.size(), 9));
    int32_t colour = 0;
    // The button face when the name carries no colour.
    if (ParseColorCode(head, colour))
        m_swatch->setStyleSheet(
            QString("background-color: %1")
                .arg(QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF).name()));
    else
        m_swatch->setStyleSheet(QString());
}

void CBatchEditDlg::ChooseColour() {
    if (!m_nameEdit->isEnabled()) return;
    const std::string cp932 = Utf8ToCp932(m_nameEdit->text().toStdString());
    char name[16] = {};
    std::memcpy(name, cp932.data(), std::min<size_t>(cp932.size(), 11));
    int32_t colour = 0;
    QColor start = Qt::white;
    if (ParseColorCode(name, colour))
        start = QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
    const QColor chosen = QColorDialog::getColor(start, this);
    if (!chosen.isValid()) return;
    FormatColorCode(chosen.red() | chosen.green() << 8 | chosen.blue() << 16, name);
    m_nameEdit->setText(Text(Cp932ToUtf8(name)));
    EditLeft(m_nameEdit);
}

bool CBatchEditDlg::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut) {
        if (auto* edit = qobject_cast<QLineEdit*>(watched)) EditLeft(edit);
    } else if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        const bool onButton = watched == m_apply || watched == m_cancel;
        if (!onButton) {
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                if (auto* edit = qobject_cast<QLineEdit*>(watched)) EditLeft(edit);
                focusNextChild();
                return true;
            }
            if (key == Qt::Key_Insert) {
                ValidityKey(true);
                return true;
            }
            if (key == Qt::Key_Delete && watched != m_nameEdit) {
                ValidityKey(false);
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CBatchEditDlg::wheelEvent(QWheelEvent* event) {
    const int delta = event->angleDelta().y();
    BatchEditWheel(delta);
    m_zEdit->setText(Text(FormatString("%.3f", g_newPointZ)));
    event->accept();
}

int CBatchEditDlg::Run(QWidget* parent) {
    // Insert or Delete held as the dialog opens: the validity only, at once.
    if (BatchEditValidityKey(IsKeyDown(0x2D), IsKeyDown(0x2E))) return 1;
    CBatchEditDlg dialog(parent);
    return dialog.exec() == 1 ? 1 : 0;
}

// ---- installation ----

void InstallBatchEditDialogs(QWidget* frame) {
    ToolServices().runSelectShapeDialog = [frame] { return CSelectShapeDlg::Run(frame); };
    SetBatchEditDialogRunner([frame] { return CBatchEditDlg::Run(frame); });
    SetBatchEditLassoRunner(RunBatchEditOnLasso);
}

void UninstallBatchEditDialogs() {
    ToolServices().runSelectShapeDialog = nullptr;
    SetBatchEditDialogRunner(nullptr);
    SetBatchEditLassoRunner(nullptr);
}

#include "view/ui/vertex_color_band_dialog.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "view/color_band_command.h"
#include "view/color_band_params.h"
#include "view/ui/color_band_dialog.h"

namespace {
CVertexColorBandDlg* g_instance = nullptr;
QString U(const char* s) { return QString::fromUtf8(s); }
QString U(const std::string& s) { return QString::fromUtf8(s.c_str()); }
}  // namespace

CVertexColorBandDlg::CVertexColorBandDlg(QWidget* parent) : QDialog(parent) {
    setObjectName("CVertexColorBandDlg");
    setWindowTitle(U("頂点段彩設定"));
    setModal(false);
    g_instance = this;
    SetToolWindow(ToolWindow::kVertexColorBand, this);
    const VertexBandTexts range = OpenVertexColorBandState();

    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    m_max = new QLabel(U(range.max), this);
    m_max->setObjectName("1155");
    m_min = new QLabel(U(range.min), this);
    m_min->setObjectName("1156");
    grid->addWidget(new QLabel("MAX", this), 0, 0);
    grid->addWidget(m_max, 0, 1);
    grid->addWidget(new QLabel("MIN", this), 1, 0);
    grid->addWidget(m_min, 1, 1);
    const char* ids[4] = {"1053", "1049", "1054", "1055"};
    const char* texts[4] = {"中心標高", "最大標高", "最低標高", "ステップ"};
    for (int k = 0; k < 4; ++k) {
        m_limits[k] = new QLineEdit(this);
        m_limits[k]->setObjectName(ids[k]);
        m_limits[k]->setMaxLength(64);
        grid->addWidget(new QLabel(U(texts[k]), this), 2 + k, 0);
        grid->addWidget(m_limits[k], 2 + k, 1);
        connect(m_limits[k], &QLineEdit::editingFinished, this, [this, k] {
            if (!EditBandLimitText(g_colorBandParams, static_cast<BandLimitEdit>(k),
                                   m_limits[k]->text().toStdString()))
                return;
            Sync();
        });
    }
    // c204 at the top down to c201.
    const char* names[4] = {"最低", "中心下", "中心上", "最高"};
    for (int k = 3; k >= 0; --k) {
        m_swatches[k] = new CColorSwatch(&g_colorBandParams.gradientColours[k], QString("c%1").arg(201 + k), this);
        grid->addWidget(new QLabel(U(names[k]), this), 3 - k, 2);
        grid->addWidget(m_swatches[k], 3 - k, 3);
    }
    layout->addLayout(grid);
    m_updateNames = new QCheckBox(U("色情報を更新する"), this);
    m_updateNames->setObjectName("updateNames");
    m_keepExisting = new QCheckBox(U("既存色情報を残す"), this);
    m_keepExisting->setObjectName("keepExisting");
    layout->addWidget(m_updateNames);
    layout->addWidget(m_keepExisting);

    auto* buttons = new QHBoxLayout;
    auto* apply = new QPushButton(U("適用"), this);
    apply->setObjectName("apply");
    auto* clear = new QPushButton(U("全クリア"), this);
    clear->setObjectName("clearAll");
    clear->setAutoDefault(false);
    buttons->addWidget(apply);
    buttons->addWidget(clear);
    layout->addLayout(buttons);
    connect(apply, &QPushButton::clicked, this,
            [this] { ApplyVertexColorBand(m_updateNames->isChecked(), m_keepExisting->isChecked()); });
    connect(clear, &QPushButton::clicked, this, [this] {
        const VertexBandTexts shown = ClearVertexColorBand(m_updateNames->isChecked());
        m_max->setText(U(shown.max));
        m_min->setText(U(shown.min));
    });
    Sync();
}

CVertexColorBandDlg::~CVertexColorBandDlg() {
    if (g_instance == this) g_instance = nullptr;
    ClearToolWindow(ToolWindow::kVertexColorBand, this);
}

CVertexColorBandDlg* CVertexColorBandDlg::Instance() { return g_instance; }

void CVertexColorBandDlg::Sync() {
    const ColorBandTexts t = FormatColorBandTexts(g_colorBandParams);
    const std::string* texts[4] = {&t.centre, &t.highest, &t.lowest, &t.step};
    for (int k = 0; k < 4; ++k) {
        const QSignalBlocker block(m_limits[k]);
        m_limits[k]->setText(U(*texts[k]));
    }
}

void CVertexColorBandDlg::reject() { Finish(); }

void CVertexColorBandDlg::closeEvent(QCloseEvent* event) {
    event->ignore();
    Finish();
}

void CVertexColorBandDlg::CloseToolWindow() { Finish(); }

void CVertexColorBandDlg::Finish() {
    if (m_closing) return;
    m_closing = true;
    if (g_instance == this) g_instance = nullptr;
    ClearToolWindow(ToolWindow::kVertexColorBand, this);
    hide();
    deleteLater();
}

#include "analysis/ui/arbitrary_elevation_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {
QRadioButton* Radio(QWidget* parent, const char* text, int id) {
    auto* r = new QRadioButton(QString::fromUtf8(text), parent);
    r->setObjectName(QString::number(id));
    return r;
}
QPushButton* Button(QWidget* parent, const char* text, int id) {
    auto* b = new QPushButton(QString::fromUtf8(text), parent);
    b->setObjectName(QString::number(id));
    b->setAutoDefault(false);
    return b;
}
}  // namespace

CArbitraryElevationDlg::CArbitraryElevationDlg(QWidget* parent) : QDialog(parent) {
    setObjectName("arbitraryElevationDialog");
    setWindowTitle(QString::fromUtf8("任意座標標高計算"));

    auto* inGroup = new QGroupBox(QString::fromUtf8("座標ファイルフォーマット"), this);
    auto* inCsv = Radio(inGroup, "ＣＳＶ（Ｘ，Ｙ，点名）", 1022);
    auto* inHidden = Radio(inGroup, "Ｘ，Ｙ，点名", 1023);
    inHidden->hide();
    auto* inRnd = Radio(inGroup, "ランダムデータファイル", 1034);
    auto* inLayout = new QVBoxLayout(inGroup);
    inLayout->addWidget(inCsv);
    inLayout->addWidget(inHidden);
    inLayout->addWidget(inRnd);
    auto* inButtons = new QButtonGroup(this);
    inButtons->addButton(inCsv, 0);
    inButtons->addButton(inHidden, 1);
    inButtons->addButton(inRnd, 2);
    inCsv->setChecked(true);
    connect(inButtons, &QButtonGroup::idClicked, this, [this](int id) { m_settings.inputFormat = id; });

    auto* outGroup = new QGroupBox(QString::fromUtf8("出力ファイルフォーマット"), this);
    auto* outCsv = Radio(outGroup, "ＣＳＶファイル（Ｘ，Ｙ，Ｚ，点名）", 1027);
    auto* outRnd = Radio(outGroup, "ランダムデータファイル", 1026);
    auto* outLayout = new QVBoxLayout(outGroup);
    outLayout->addWidget(outCsv);
    outLayout->addWidget(outRnd);
    auto* outButtons = new QButtonGroup(this);
    outButtons->addButton(outCsv, 0);
    outButtons->addButton(outRnd, 1);
    outCsv->setChecked(true);
    connect(outButtons, &QButtonGroup::idClicked, this, [this](int id) { m_settings.outputFormat = id; });

    m_input = new QLabel(this);
    m_input->setObjectName("1029");
    m_input->setFrameShape(QFrame::Panel);
    m_input->setFrameShadow(QFrame::Sunken);
    m_input->setMinimumWidth(320);
    m_output = new QLabel(this);
    m_output->setObjectName("1030");
    m_output->setFrameShape(QFrame::Panel);
    m_output->setFrameShadow(QFrame::Sunken);
    auto* selectIn = Button(this, "選択", 1031);
    auto* selectOut = Button(this, "選択", 1032);
    connect(selectIn, &QPushButton::clicked, this, [this] {
        if (SelectArbitraryElevationInput(&m_settings)) m_input->setText(QString::fromStdString(m_settings.inputPath));
    });
    connect(selectOut, &QPushButton::clicked, this, [this] {
        if (SelectArbitraryElevationOutput(&m_settings))
            m_output->setText(QString::fromStdString(m_settings.outputPath));
    });

    auto* append = new QCheckBox(QString::fromUtf8("現在のランダムデータに追加する"), this);
    append->setObjectName("1028");
    connect(append, &QCheckBox::toggled, this, [this](bool on) { m_settings.append = on ? 1 : 0; });
    auto* all = new QCheckBox(QString::fromUtf8("計算されなかった座標も出力する"), this);
    all->setObjectName("1033");
    connect(all, &QCheckBox::toggled, this, [this](bool on) { m_settings.outputAll = on ? 1 : 0; });

    auto* calc = Button(this, "計算", 1132);
    connect(calc, &QPushButton::clicked, this, [this] {
        if (ArbitraryElevationCalculate(m_settings)) accept();
    });
    auto* stop = Button(this, "中止", 1088);
    connect(stop, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QGridLayout(this);
    layout->addWidget(inGroup, 0, 0, 1, 2);
    layout->addWidget(outGroup, 0, 2, 1, 2);
    layout->addWidget(new QLabel(QString::fromUtf8("座標ファイル名"), this), 1, 0);
    layout->addWidget(m_input, 1, 1, 1, 2);
    layout->addWidget(selectIn, 1, 3);
    layout->addWidget(new QLabel(QString::fromUtf8("出力ファイル名"), this), 2, 0);
    layout->addWidget(m_output, 2, 1, 1, 2);
    layout->addWidget(selectOut, 2, 3);
    layout->addWidget(append, 3, 0, 1, 4);
    layout->addWidget(all, 4, 0, 1, 4);
    layout->addWidget(calc, 5, 2);
    layout->addWidget(stop, 5, 3);
}

void OnArbitraryElevationCalc(QWidget* parent) {
    if (!ArbitraryElevationCanStart()) return;
    CArbitraryElevationDlg dialog(parent);
    dialog.exec();
}

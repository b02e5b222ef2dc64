#include "pointedit/ui/xy_swap_dialog.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

CXY_chg::CXY_chg(XySwapChoice& choice, QWidget* parent) : QDialog(parent), m_choice(choice) {
    setObjectName("xySwapDialog");
    setWindowTitle(QString::fromUtf8("XY反転"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Box(1032, "ランダムデータ", m_choice.randomData));
    layout->addWidget(Box(1009, "路線データ", m_choice.routeData));
    layout->addWidget(Box(1011, "背景ＤＸＦ", m_choice.backgroundDxf));
    layout->addWidget(new QLabel(QString::fromUtf8("メッシュ、背景画像、等高線、スライス等高線は破棄されます"), this));
    auto* buttons = new QHBoxLayout;
    auto* run = new QPushButton(QString::fromUtf8("実行"), this);
    run->setObjectName("1033");
    auto* cancel = new QPushButton(QString::fromUtf8("中止"), this);
    cancel->setObjectName("1159");
    buttons->addWidget(run);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    connect(run, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

QCheckBox* CXY_chg::Box(int id, const char* text, int32_t& word) {
    auto* box = new QCheckBox(QString::fromUtf8(text), this);
    box->setObjectName(QString::number(id));
    box->setChecked((word & kXySwapChosen) != 0);
    box->setEnabled((word & kXySwapExists) != 0);
    connect(box, &QCheckBox::toggled, this, [&word](bool on) {
        word = on ? (word | kXySwapChosen) : (word & ~kXySwapChosen);
    });
    return box;
}

bool CXY_chg::Run(XySwapChoice& choice, QWidget* parent) {
    CXY_chg dialog(choice, parent);
    return dialog.exec() == QDialog::Accepted;
}

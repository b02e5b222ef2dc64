#include "pointedit/ui/dup_point_select_dialog.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "platform/encoding.h"
#include "pointedit/dup_point_select.h"

CDupPointSelectDlg::CDupPointSelectDlg(const std::vector<int32_t>& group, QWidget* parent)
    : QDialog(parent) {
    setObjectName("dupPointSelectDialog");
    setWindowTitle(QString::fromUtf8("ランダム点選択"));
    m_list = new QTreeWidget(this);
    m_list->setObjectName("1134");
    m_list->setRootIsDecorated(false);
    m_list->setColumnCount(5);
    m_list->setHeaderLabels({QString::fromUtf8("番号"), QString::fromUtf8("Ｘ"),
                             QString::fromUtf8("Ｙ"), QString::fromUtf8("標高"),
                             QString::fromUtf8("点名")});
    const int widths[] = {60, 90, 90, 60, 60};
    const Qt::Alignment alignments[] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignHCenter,
                                        Qt::AlignLeft, Qt::AlignLeft};
    for (int c = 0; c < 5; ++c) {
        m_list->setColumnWidth(c, widths[c]);
        m_list->headerItem()->setTextAlignment(c, alignments[c]);
    }
    for (const auto& row : DupPointSelectRows(group)) {
        auto* item = new QTreeWidgetItem(m_list);
        for (int c = 0; c < 4; ++c) item->setText(c, QString::fromStdString(row[c]));
        item->setText(4, QString::fromStdString(Cp932ToUtf8(row[4])));
        for (int c = 0; c < 5; ++c) item->setTextAlignment(c, alignments[c]);
    }
    if (m_list->topLevelItemCount() > 0) {
        m_list->setCurrentItem(m_list->topLevelItem(0));
        m_list->topLevelItem(0)->setSelected(true);
    }
    auto* choose = new QPushButton(QString::fromUtf8("決定"), this);
    choose->setObjectName("1135");
    choose->setDefault(true);
    auto* stop = new QPushButton(QString::fromUtf8("中止"), this);
    stop->setObjectName("1088");
    connect(choose, &QPushButton::clicked, this, &CDupPointSelectDlg::Choose);
    connect(stop, &QPushButton::clicked, this, &CDupPointSelectDlg::reject);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, [this] { Choose(); });

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(choose);
    buttons->addWidget(stop);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QString::fromUtf8("重複するランダム点のリスト"), this));
    layout->addWidget(m_list, 1);
    layout->addLayout(buttons);
    resize(420, 260);
}

void CDupPointSelectDlg::Choose() {
    QTreeWidgetItem* current = m_list->currentItem();
    done(current ? m_list->indexOfTopLevelItem(current) : -1);
}

void CDupPointSelectDlg::reject() { done(kDupPointSelectStop); }

int32_t CDupPointSelectDlg::Run(const std::vector<int32_t>& group, QWidget* parent) {
    CDupPointSelectDlg dialog(group, parent);
    return dialog.exec();
}

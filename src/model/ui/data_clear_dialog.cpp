#include "model/ui/data_clear_dialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include "model/document.h"
#include "shell/command_routing.h"
#include "shell/ui/main_frame.h"

CDataClearDlg::CDataClearDlg(DataClearValues& values, QWidget* parent)
    : QDialog(parent), m_values(values) {
    setObjectName("dataClearDialog");
    setWindowTitle(QString::fromUtf8("指定データを消去"));
    struct Kind {
        int32_t DataClearValues::*member;
        const char* id;
        const char* text;
    };
    const Kind kinds[] = {
        {&DataClearValues::random, "1032", "ランダムデータ"},
        {&DataClearValues::tin, "1034", "三角網データ"},
        {&DataClearValues::mesh, "1008", "メッシュデータ"},
        {&DataClearValues::route, "1009", "路線データ"},
        {&DataClearValues::image, "1010", "背景画像"},
        {&DataClearValues::dxf, "1011", "背景ＤＸＦ"},
        {&DataClearValues::contour, "1012", "等高線ファイル"},
        {&DataClearValues::slice, "1013", "スライス等高線"},
    };
    auto* grid = new QGridLayout;
    int row = 0;
    for (const Kind& kind : kinds) {
        auto* box = new QCheckBox(QString::fromUtf8(kind.text), this);
        box->setObjectName(kind.id);
        box->setEnabled((m_values.*kind.member & kDataPresent) != 0);
        const auto member = kind.member;
        connect(box, &QCheckBox::clicked, this, [this, member](bool ticked) {
            DataClearTick(m_values, member, ticked);
            ShowTicks();
        });
        grid->addWidget(box, row / 2, row % 2);
        m_boxes.push_back({kind.member, box});
        ++row;
    }
    auto* run = new QPushButton(QString::fromUtf8("実行"), this);
    run->setObjectName("1033");
    auto* stop = new QPushButton(QString::fromUtf8("中止"), this);
    stop->setObjectName("1159");
    connect(run, &QPushButton::clicked, this, [this] { done(1); });
    connect(stop, &QPushButton::clicked, this, [this] { done(0); });
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(run);
    buttons->addWidget(stop);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    ShowTicks();
}

void CDataClearDlg::ShowTicks() {
    for (const Box& b : m_boxes) b.box->setChecked((m_values.*b.member & kDataChosen) != 0);
}

int CDataClearDlg::Run(DataClearValues& values, QWidget* parent) {
    CDataClearDlg dialog(values, parent);
    return dialog.exec();
}

void CDataClearDlg::Install(QWidget* view, CommandHandlerMap& viewCommands) {
    QPointer<QWidget> owner(view);
    viewCommands.SetHandler(32964, [owner] {
        OnDataClear([owner](DataClearValues& values) { return Run(values, owner ? owner->window() : nullptr); },
                    [owner] {
                        auto* frame = owner ? qobject_cast<CMainFrame*>(owner->window()) : nullptr;
                        auto* document = frame ? dynamic_cast<CPelmo_3DDoc*>(frame->Document()) : nullptr;
                        if (!document) return;
                        document->SetModifiedFlag(false);
                        document->ForgetPathName();
                        frame->UpdateFrameTitle();
                    });
    });
    viewCommands.SetUpdateRule(32964, [](CommandUpdate& u) { u.enabled = true; });
}

#include "section/ui/section_random_output_dialog.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

CJDN_RND_OUT::CJDN_RND_OUT(SectionRandomOutputOptions& options, QWidget* parent)
    : QDialog(parent), m_options(options) {
    setObjectName("sectionRandomOutputDialog");
    setWindowTitle(QString::fromUtf8("縦横断ランダム出力"));
    auto* layout = new QVBoxLayout(this);
    struct Box {
        int id;
        const char* text;
        int32_t value;
    };
    const Box boxes[] = {{kSectionRandomCentreOnly, "縦断のみ出力", m_options.centreOnly},
                         {kSectionRandomWithCrossings, "縦断線交点も出力", m_options.withCrossings},
                         {kSectionRandomInsideOnly, "外周外の点は出力しない", m_options.insideOnly}};
    for (const Box& b : boxes) {
        auto* box = new QCheckBox(QString::fromUtf8(b.text), this);
        box->setObjectName(QString::number(b.id));
        box->setChecked(b.value != 0);
        if (b.id == kSectionRandomInsideOnly) box->setEnabled(SectionRandomInsideOnlyEnabled());
        const int id = b.id;
        connect(box, &QCheckBox::clicked, this,
                [this, id](bool checked) { SectionRandomOptionClicked(m_options, id, checked); });
        layout->addWidget(box);
    }
    auto* buttons = new QHBoxLayout;
    auto* start = new QPushButton(QString::fromUtf8("開始"), this);
    start->setObjectName("1132");
    start->setDefault(true);
    auto* stop = new QPushButton(QString::fromUtf8("中止"), this);
    stop->setObjectName("1224");
    buttons->addWidget(start);
    buttons->addWidget(stop);
    layout->addLayout(buttons);
    connect(start, &QPushButton::clicked, this, [this] { done(1); });
    connect(stop, &QPushButton::clicked, this, [this] { done(0); });
}

bool CJDN_RND_OUT::Run(SectionRandomOutputOptions& options, QWidget* parent) {
    CJDN_RND_OUT dialog(options, parent);
    return dialog.exec() == 1;
}

#include "model/ui/hole_dialogs.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "shell/tool_commands.h"

namespace {
QPointer<QWidget> g_frame;
}  // namespace

CHoleSet::CHoleSet(QWidget* parent) : QDialog(parent) {
    setObjectName("holeSetDialog");
    setWindowTitle(QString::fromUtf8("中抜登録"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    auto* layout = new QVBoxLayout(this);
    const struct {
        int id;
        const char* text;
        int32_t HoleTypeValues::*member;
    } boxes[] = {{1165, "現況", &HoleTypeValues::current},
                 {1132, "計画(_C,_F)", &HoleTypeValues::plan},
                 {1167, "法(_N)", &HoleTypeValues::slope},
                 {1168, "水面(_W)", &HoleTypeValues::water},
                 {1169, "建物(_H)", &HoleTypeValues::building}};
    for (const auto& b : boxes) {
        auto* box = new QCheckBox(QString::fromUtf8(b.text), this);
        box->setObjectName(QString::number(b.id));
        box->setChecked(m_values.*b.member != 0);
        auto member = b.member;
        connect(box, &QCheckBox::clicked, this, [this, member] {
            m_values.*member = m_values.*member == 0 ? 1 : 0;
        });
        layout->addWidget(box);
    }
    auto* buttons = new QHBoxLayout;
    const struct {
        int id;
        const char* text;
    } pushes[] = {{1166, "中抜登録"}, {1170, "解除"}, {1171, "閉じる"}};
    for (const auto& p : pushes) {
        auto* button = new QPushButton(QString::fromUtf8(p.text), this);
        button->setObjectName(QString::number(p.id));
        button->setAutoDefault(false);
        buttons->addWidget(button);
        const int id = p.id;
        connect(button, &QPushButton::clicked, this, [this, id] {
            if (id == 1171)
                close();
            else
                ApplyHoleTypes(m_values, id == 1166);
        });
    }
    layout->addLayout(buttons);
    SetToolWindow(ToolWindow::kHoleType, this);
}

CHoleSet::~CHoleSet() { ClearToolWindow(ToolWindow::kHoleType, this); }

void CHoleSet::CloseToolWindow() {
    ClearToolWindow(ToolWindow::kHoleType, this);
    close();
}

void CHoleSet::Install(QWidget* frame) {
    g_frame = frame;
    ToolServices().openHoleTypeDialog = [] {
        if (IsToolWindowOpen(ToolWindow::kHoleType)) return;
        auto* dialog = new CHoleSet(g_frame);
        dialog->show();
    };
    SetHoleKindChooser([] { return CHoleSel::Ask(g_frame); });
}

CHoleSel::CHoleSel(QWidget* parent) : QDialog(parent) {
    setObjectName("holeSelDialog");
    setWindowTitle(QString::fromUtf8("中抜登録"));
    auto* layout = new QVBoxLayout(this);
    auto* group = new QGroupBox(QString::fromUtf8("種別"), this);
    auto* groupLayout = new QVBoxLayout(group);
    auto* buttons = new QButtonGroup(this);
    const struct {
        int id;
        const char* text;
        int kind;
    } radios[] = {{1227, "等高線", 0}, {1228, "面積体積", 1}, {1082, "三角網削除\n（トンネル開口部）", 2}};
    for (const auto& r : radios) {
        auto* radio = new QRadioButton(QString::fromUtf8(r.text), group);
        radio->setObjectName(QString::number(r.id));
        radio->setChecked(r.kind == HoleKind);
        buttons->addButton(radio, r.kind);
        groupLayout->addWidget(radio);
    }
    connect(buttons, &QButtonGroup::idClicked, this, [this](int kind) { HoleKind = kind; });
    layout->addWidget(group);
    auto* ok = new QPushButton("OK", this);
    ok->setObjectName("1229");
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(ok);
}

int CHoleSel::Ask(QWidget* parent) {
    CHoleSel dialog(parent);
    dialog.exec();
    return dialog.HoleKind;
}

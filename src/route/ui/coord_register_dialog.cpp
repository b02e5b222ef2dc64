#include "route/ui/coord_register_dialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/encoding.h"
#include "route/ip_editing.h"

namespace {
struct FieldLabel {
    int id;
    const char* label;
};
constexpr FieldLabel kFields[] = {
    {kCoordRegisterX, "Ｘ座標"},          {kCoordRegisterY, "Ｙ座標"},
    {kCoordRegisterName, "点名"},         {kCoordRegisterNumber, "番号"},
    {kCoordRegisterRadius, "半径"},       {kCoordRegisterA1, "パラメータ１"},
    {kCoordRegisterA2, "パラメータ２"},
};

QString FromCp932(const std::string& text) { return QString::fromStdString(Cp932ToUtf8(text)); }
}  // namespace

CCoordRegisterDlg::CCoordRegisterDlg(QWidget* parent) : CRouteFieldDialog(parent) {
    setObjectName("coordRegisterDialog");
    setWindowTitle(QString::fromUtf8("座標データの登録"));
    auto* grid = new QGridLayout;
    int row = 0;
    for (const FieldLabel& f : kFields) {
        QLineEdit* edit = AddField(grid, row, f.id, f.label);
        if (f.id != kCoordRegisterName) edit->setAlignment(Qt::AlignRight);
        edit->setEnabled(CoordRegisterFieldEnabled(f.id));
        ++row;
    }
    m_number = new QLabel(this);
    m_number->setObjectName(QString::number(kCoordRegisterNo));
    auto* store = new QPushButton(QString::fromUtf8("登録"), this);
    store->setObjectName(QString::number(kCoordRegisterStore));
    store->setDefault(true);
    auto* cancel = new QPushButton(QString::fromUtf8("ｷｬﾝｾﾙ"), this);
    cancel->setObjectName("2");
    cancel->setAutoDefault(true);
    connect(store, &QPushButton::clicked, this, &CCoordRegisterDlg::OnStore);
    connect(cancel, &QPushButton::clicked, this, &CCoordRegisterDlg::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_number);
    buttons->addStretch(1);
    buttons->addWidget(store);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    // The fields are filled once here and again only when one of them stores its value,
    // so a repaint never takes back what is being typed.
    ShowFields();
}

CCoordRegisterDlg::~CCoordRegisterDlg() { CoordRegisterClosed(); }

int CCoordRegisterDlg::Run(QWidget* parent) {
    CCoordRegisterDlg dialog(parent);
    return dialog.exec();
}

void CCoordRegisterDlg::ShowFields() {
    for (auto& [edit, id] : m_fields) edit->setText(FromCp932(CoordRegisterFieldText(id)));
    m_number->setText(QString::fromStdString(CoordRegisterNumberLabel()));
}

void CCoordRegisterDlg::FieldLeft(QLineEdit* edit) {
    const auto it = m_fields.find(edit);
    if (it == m_fields.end() || !edit->isEnabled()) return;
    const std::string shown =
        CoordRegisterFieldLeft(it->second, Utf8ToCp932(edit->text().toStdString()));
    edit->setText(FromCp932(shown));
}

void CCoordRegisterDlg::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        CancelCoordRegister();
        done(-1);
        return;
    }
    QDialog::mousePressEvent(event);
}

void CCoordRegisterDlg::reject() {
    CancelCoordRegister();
    done(1);
}

void CCoordRegisterDlg::OnStore() {
    // A value still being typed counts, as when its field lost the focus; a field left as
    // shown keeps the exact value.
    for (auto& [edit, id] : m_fields)
        if (edit->text() != FromCp932(CoordRegisterFieldText(id))) FieldLeft(edit);
    StoreCoordRegister();
    done(0);
}

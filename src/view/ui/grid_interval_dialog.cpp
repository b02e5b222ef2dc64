#include "view/ui/grid_interval_dialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QLineEdit>
#include <QPointer>
#include <QVBoxLayout>

#include "model/document_services.h"
#include "view/grid_interval.h"

CGridIntervalDlg::CGridIntervalDlg(QWidget* parent) : QDialog(parent) {
    setObjectName("CGridIntervalDlg");
    setWindowTitle(QString::fromUtf8("方眼間隔の設定"));
    m_edit = new QLineEdit(QString::fromStdString(GridIntervalText()), this);
    m_edit->setObjectName("1082");
    m_edit->setMaxLength(64);
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(QString::fromUtf8("方眼の間隔"), this));
    row->addWidget(m_edit);
    row->addWidget(new QLabel("m", this));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName("1");
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(buttons);
    // The value counts as soon as the edit is left, so Esc keeps what was typed before it.
    connect(m_edit, &QLineEdit::editingFinished, this,
            [this] { AcceptGridIntervalText(m_edit->text().toStdString()); });
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        AcceptGridIntervalText(m_edit->text().toStdString());
        accept();
    });
    m_edit->selectAll();
}

void InstallGridIntervalDialog(QWidget* parent) {
    QPointer<QWidget> owner(parent);
    SetGridIntervalDialogRunner([owner] {
        CGridIntervalDlg dlg(owner.data());
        dlg.exec();
    });
}

void UninstallGridIntervalDialog() { SetGridIntervalDialogRunner(nullptr); }

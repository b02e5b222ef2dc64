#include "shell/ui/about_dialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "shell/ui/toolbar_icons.h"

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setObjectName("aboutDialog");
    setWindowTitle(QString::fromUtf8("Quarvelのﾊﾞｰｼﾞｮﾝ情報"));
    auto* icon = new QLabel(this);
    icon->setPixmap(ProgramIcon().pixmap(32, 32));
    auto* lines = new QVBoxLayout;
    auto addLine = [&](int id, const QString& text) {
        auto* label = new QLabel(text, this);
        label->setObjectName(QString::number(id));
        lines->addWidget(label);
    };
    addLine(1210, QString("Soft name : %1").arg(kSoftName));
    addLine(1211, QString("Version : %1").arg(kVersionText));
    addLine(1214, QString("Date : %1-%2-%3").arg(kReleaseYear).arg(kReleaseMonth).arg(kReleaseDay));
    auto* row = new QHBoxLayout;
    row->addWidget(icon, 0, Qt::AlignTop);
    row->addLayout(lines, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(buttons);
}

QLabel* CAboutDlg::Line(int controlId) const {
    return findChild<QLabel*>(QString::number(controlId));
}

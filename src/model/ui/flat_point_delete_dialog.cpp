#include "model/ui/flat_point_delete_dialog.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "shell/ui/enter_as_tab.h"

CFlatPointDeleteDlg::CFlatPointDeleteDlg(FlatPointDeleteValues& values, QWidget* parent)
    : QDialog(parent), m_values(values) {
    setObjectName("flatPointDeleteDialog");
    setWindowTitle(QString::fromStdString(m_values.title));
    m_angle = new QLineEdit(this);
    m_angle->setObjectName("1082");
    m_angle->setAlignment(Qt::AlignRight);
    m_angle->installEventFilter(this);
    auto button = [this](const char* text, const char* id) {
        auto* b = new QPushButton(QString::fromUtf8(text), this);
        b->setObjectName(id);
        b->setAutoDefault(false);
        return b;
    };
    QPushButton* run = button("実行", "1041");
    QPushButton* cancel = button("キャンセル", "1042");
    QPushButton* close = button("閉じる", "1");
    connect(run, &QPushButton::clicked, this, &CFlatPointDeleteDlg::OnExecute);
    connect(cancel, &QPushButton::clicked, this, &CFlatPointDeleteDlg::OnCancelMarks);
    connect(close, &QPushButton::clicked, this, &CFlatPointDeleteDlg::OnOK);

    auto* angleRow = new QHBoxLayout;
    angleRow->addWidget(new QLabel(QString::fromUtf8("削除角度"), this));
    angleRow->addWidget(m_angle, 1);
    angleRow->addWidget(new QLabel(QString::fromUtf8("度以下"), this));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(run);
    buttons->addWidget(cancel);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(angleRow);
    layout->addLayout(buttons);
    InstallEnterAsTab(this);

    // OnInitDialog
    m_values.angleText = FlatPointAngleText(m_values.angle);
    m_angle->setText(QString::fromStdString(m_values.angleText));
}

void CFlatPointDeleteDlg::OnAngleKillFocus() {
    m_values.angleText = m_angle->text().toStdString();
    FlatPointAngleLeft(m_values);
    m_angle->setText(QString::fromStdString(m_values.angleText));
}

void CFlatPointDeleteDlg::OnExecute() {
    // A button pressed by the keyboard leaves the field's text unread.
    if (m_angle->text().toStdString() != m_values.angleText) OnAngleKillFocus();
    FlatPointExecute(m_values);
    setWindowTitle(QString::fromStdString(m_values.title));
}

void CFlatPointDeleteDlg::OnCancelMarks() {
    FlatPointCancelMarks(m_values);
    setWindowTitle(QString::fromStdString(m_values.title));
}

void CFlatPointDeleteDlg::OnOK() {
    FlatPointCommitMarks();
    done(1);
}

void CFlatPointDeleteDlg::reject() {
    FlatPointCancelMarks(m_values);
    QDialog::reject();
}

bool CFlatPointDeleteDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_angle && event->type() == QEvent::FocusOut) OnAngleKillFocus();
    return QDialog::eventFilter(watched, event);
}

void CFlatPointDeleteDlg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CFlatPointDeleteDlg::Run(FlatPointDeleteValues& values, QWidget* parent) {
    CFlatPointDeleteDlg dialog(values, parent);
    dialog.exec();
}

#include "model/ui/auto_outline_dialog.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWheelEvent>

CAutoOutlineDlg::CAutoOutlineDlg(QWidget* parent) : QDialog(parent) {
    setObjectName("autoOutlineDialog");
    setWindowTitle(QString::fromUtf8("外周自動設定"));
    m_distance = new QLineEdit(this);
    m_distance->setObjectName("1011");
    m_distance->setAlignment(Qt::AlignRight);
    m_run = new QPushButton(QString::fromUtf8("実行"), this);
    m_run->setObjectName("1191");
    m_cancel = new QPushButton(QString::fromUtf8("ｷｬﾝｾﾙ"), this);
    m_cancel->setObjectName("2");

    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(QString::fromUtf8("最大距離"), this));
    row->addWidget(m_distance, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_run);
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addLayout(buttons);

    OpenAutoOutlineDialog(m_values);
    m_distance->setText(QString::fromStdString(m_values.distanceText));
    m_distance->installEventFilter(this);
    connect(m_run, &QPushButton::clicked, this, &CAutoOutlineDlg::OnRun);
    connect(m_cancel, &QPushButton::clicked, this, &CAutoOutlineDlg::reject);
}

CAutoOutlineDlg::~CAutoOutlineDlg() { g_autoOutlineWnd = 0; }

void CAutoOutlineDlg::Run(QWidget* parent) {
    CAutoOutlineDlg dialog(parent);
    dialog.exec();
}

void CAutoOutlineDlg::ApplyTypedDistance() {
    m_values.distanceText = m_distance->text().toStdString();
    AutoOutlineDistanceLeft(m_values);
    m_distance->setText(QString::fromStdString(m_values.distanceText));
}

bool CAutoOutlineDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_distance) {
        if (event->type() == QEvent::FocusOut) {
            ApplyTypedDistance();
        } else if (event->type() == QEvent::KeyPress) {
            // Enter in the edit moves on as Tab does; on the buttons it presses them.
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                focusNextChild();
                return true;
            }
        } else if (event->type() == QEvent::Wheel && m_distance->hasFocus()) {
            AutoOutlineDistanceWheel(static_cast<QWheelEvent*>(event)->angleDelta().y(), m_values);
            m_distance->setText(QString::fromStdString(m_values.distanceText));
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CAutoOutlineDlg::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        CloseAutoOutlineDialog();
        QDialog::reject();
        return;
    }
    QDialog::mousePressEvent(event);
}

void CAutoOutlineDlg::reject() {
    CloseAutoOutlineDialog();
    QDialog::reject();
}

void CAutoOutlineDlg::OnRun() {
    if (m_distance->hasFocus()) ApplyTypedDistance();
    // The walk passes messages on while it runs: nothing here may be pressed meanwhile.
    setEnabled(false);
    const bool close = RunAutoOutline(m_values);
    setEnabled(true);
    if (close) QDialog::accept();
}

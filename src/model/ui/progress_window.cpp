#include "model/ui/progress_window.h"

#include <QLabel>
#include <QPointer>
#include <QVBoxLayout>

namespace {
QPointer<QWidget> g_owner;

QLabel* AddLine(QVBoxLayout* layout, QWidget* parent, const QString& text = QString()) {
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    // The lines keep their leading blanks, as the texts were written for them.
    label->setStyleSheet("font-family: monospace;");
    layout->addWidget(label);
    return label;
}
}  // namespace

void InstallQtProgressWindows(QWidget* owner) {
    g_owner = owner;
    SetProgressWindowFactory([](ProgressWindowKind kind) -> ProgressWindow* {
        QWidget* parent = g_owner.data();
        QDialog* dialog = nullptr;
        ProgressWindow* window = nullptr;
        if (kind == ProgressWindowKind::kMain) {
            auto* d = new CProgressDialog(parent);
            dialog = d;
            window = d;
        } else {
            auto* d = new CRecordProgressDlg(parent);
            dialog = d;
            window = d;
        }
        dialog->show();
        dialog->raise();
        return window;
    });
}

// ---- main progress window ----

CProgressDialog::CProgressDialog(QWidget* owner) : QDialog(owner) {
    setObjectName("IDD_MAKETRI");
    setWindowTitle(QString::fromUtf8("三角網計算中"));
    setModal(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->setSpacing(8);
    m_first = AddLine(layout, this);
    m_second = AddLine(layout, this);
    m_note = AddLine(layout, this);
    setMinimumWidth(300);
}

CProgressDialog::~CProgressDialog() { ProgressWindowGone(this); }

void CProgressDialog::Refresh() {
    m_first->setText(QString::fromUtf8(ProgressFirstLine(g_progressMode).c_str()));
    m_second->setText(QString::fromUtf8(ProgressSecondLine(g_progressMode).c_str()));
    // The long loops pass one batch of events on per poll: paint now.
    repaint();
}

void CProgressDialog::SetCaption(const std::string& utf8) { setWindowTitle(QString::fromUtf8(utf8.c_str())); }

void CProgressDialog::ShowNote(const std::string& utf8) {
    m_note->setText(QString::fromUtf8(utf8.c_str()));
    repaint();
}

void CProgressDialog::Destroy() { delete this; }

void CProgressDialog::reject() { RequestProgressStop(); }

QString CProgressDialog::FirstLine() const { return m_first->text(); }
QString CProgressDialog::SecondLine() const { return m_second->text(); }
QString CProgressDialog::Note() const { return m_note->text(); }

// ---- record progress window ----

CRecordProgressDlg::CRecordProgressDlg(QWidget* owner) : QDialog(owner) {
    setObjectName("dialog134");
    setModal(false);
    auto* layout = new QVBoxLayout(this);
    AddLine(layout, this, QString::fromUtf8("計算処理中です。"));
    m_caption = AddLine(layout, this, QString::fromUtf8("レコード番号[      ]/[      ]"));
    m_counter = AddLine(layout, this, QString::fromUtf8("レコード番号[      ]/[      ]"));
    setMinimumWidth(300);
}

CRecordProgressDlg::~CRecordProgressDlg() { ProgressWindowGone(this); }

void CRecordProgressDlg::Refresh() {
    m_caption->setText(QString::fromUtf8(g_progressCaption.c_str()));
    m_counter->setText(QString::fromUtf8(g_progressCounter.c_str()));
    repaint();
}

void CRecordProgressDlg::SetCaption(const std::string& utf8) { setWindowTitle(QString::fromUtf8(utf8.c_str())); }

void CRecordProgressDlg::Destroy() { delete this; }

void CRecordProgressDlg::reject() { RequestProgressStop(); }

QString CRecordProgressDlg::CaptionLine() const { return m_caption->text(); }
QString CRecordProgressDlg::CounterLine() const { return m_counter->text(); }

#include "route/ui/curve_list_dialog.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "exchange/route_reports.h"
#include "route/curve_list_dialog.h"

namespace {
QPushButton* AddButton(QWidget* parent, QLayout* layout, int id, const char* text) {
    auto* button = new QPushButton(QString::fromUtf8(text), parent);
    button->setObjectName(QString::number(id));
    button->setAutoDefault(false);
    layout->addWidget(button);
    return button;
}
}  // namespace

CCurveElementListDlg::CCurveElementListDlg(QWidget* parent) : QDialog(parent) {
    setObjectName("curveElementListDialog");
    setWindowTitle(QString::fromUtf8("曲線要素リスト"));
    m_report = new QLabel(this);
    m_report->setObjectName(QString::number(kCurveListReport));
    // The report lines up its columns with blanks.
    m_report->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_report->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_report->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    auto* buttons = new QHBoxLayout;
    QPushButton* next = AddButton(this, buttons, kCurveListNext, "次");
    QPushButton* previous = AddButton(this, buttons, kCurveListPrevious, "前");
    buttons->addStretch(1);
    QPushButton* text = AddButton(this, buttons, kCurveListTextOutput, "テキスト出力");
    QPushButton* close = AddButton(this, buttons, kCurveListClose, "閉じる");
    connect(next, &QPushButton::clicked, this, &CCurveElementListDlg::OnNext);
    connect(previous, &QPushButton::clicked, this, &CCurveElementListDlg::OnPrevious);
    connect(close, &QPushButton::clicked, this, &CCurveElementListDlg::OnClose);
    connect(text, &QPushButton::clicked, this, [] { OnExportCurveElementText(); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_report, 1);
    layout->addLayout(buttons);

    std::string report;
    OpenCurveElementList(report);
    Show(report);
}

CCurveElementListDlg::~CCurveElementListDlg() { CloseCurveElementList(); }

void CCurveElementListDlg::Run(QWidget* parent) {
    CCurveElementListDlg dialog(parent);
    dialog.exec();
}

void CCurveElementListDlg::Show(const std::string& text) {
    if (!text.empty()) m_report->setText(QString::fromStdString(text));
}

void CCurveElementListDlg::OnNext() {
    std::string text;
    if (CurveElementListNext(text)) Show(text);
}

void CCurveElementListDlg::OnPrevious() {
    std::string text;
    if (CurveElementListPrevious(text)) Show(text);
}

void CCurveElementListDlg::OnClose() {
    CloseCurveElementList();
    done(0);
}

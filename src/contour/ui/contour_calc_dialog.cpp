#include "contour/ui/contour_calc_dialog.h"

#include <QApplication>
#include <QButtonGroup>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "contour/contour_calc.h"
#include "contour/contour_dialog.h"
#include "shell/ui/enter_as_tab.h"

namespace {
QPointer<QWidget> g_frame;
}  // namespace

CContourCalcDlg::CContourCalcDlg(QWidget* parent) : QDialog(parent) {
    using namespace contour_dlg;
    setObjectName("contourCalcDialog");
    setWindowTitle(QString::fromUtf8("等高線計算パラメータの設定"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    ProposeContourParameters();

    auto* methodBox = new QGroupBox(QString::fromUtf8("等高線計算手法"), this);
    auto* methodLayout = new QVBoxLayout(methodBox);
    auto* group = new QButtonGroup(this);
    const std::pair<int, const char*> methods[] = {{kMethodStraight, "簡易線"},
                                                   {kMethodBSpline, "スプライン（平滑化）"},
                                                   {kMethodThrough, "スプライン（端点通過）"}};
    for (int m = 0; m < 3; ++m) {
        auto* radio = new QRadioButton(QString::fromUtf8(methods[m].second), methodBox);
        radio->setObjectName(QString::number(methods[m].first));
        radio->setChecked(g_contourMethod == m);
        group->addButton(radio, m);
        methodLayout->addWidget(radio);
    }
    connect(group, &QButtonGroup::idClicked, this, [](int m) { g_contourMethod = m; });

    auto* grid = new QGridLayout;
    const std::pair<int, const char*> edits[] = {{kMinZ, "最低"},
                                                 {kMaxZ, "最高"},
                                                 {kInterval, "主曲線間隔"},
                                                 {kIndexInterval, "計曲線間隔"},
                                                 {kSmoothness, "なめらかさ \n（ｽﾌﾟﾗｲﾝ計算のみ）"},
                                                 {kTolerance, "標高値許容誤差(m)"}};
    int row = 0;
    for (const auto& [id, label] : edits) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QString::number(id));
        edit->setAlignment(Qt::AlignRight);
        edit->installEventFilter(this);
        grid->addWidget(new QLabel(QString::fromUtf8(label), this), row, 0);
        grid->addWidget(edit, row, 1);
        ++row;
    }
    for (int id : {kPointMinZ, kPointMaxZ}) {
        auto* label = new QLabel(this);
        label->setObjectName(QString::number(id));
        label->setText(QString::fromStdString(ContourEditText(id)));
        grid->addWidget(label, id == kPointMinZ ? 0 : 1, 2);
    }
    for (const auto& [id, label] : edits) ShowEdit(id);

    auto* start = new QPushButton(QString::fromUtf8("計算開始"), this);
    start->setObjectName(QString::number(kStart));
    auto* end = new QPushButton(QString::fromUtf8("終了"), this);
    end->setObjectName(QString::number(kClose));
    connect(start, &QPushButton::clicked, this, [this] {
        // The edit with the focus has not given up its text yet; a value refused there is
        // corrected before anything is calculated.
        if (auto* edit = qobject_cast<QLineEdit*>(focusWidget())) {
            const int id = edit->objectName().toInt();
            const ContourEditRead read = ReadContourEdit(id, edit->text().toStdString());
            if (read != ContourEditRead::kIgnored) ShowEdit(id);
            if (read == ContourEditRead::kRefused) return;
        }
        StartContourCalculation();
    });
    connect(end, &QPushButton::clicked, this, &QDialog::close);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(start);
    buttons->addWidget(end);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(methodBox);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    // Enter moves on through the values, as in the other parameter dialogs.
    InstallEnterAsTab(this);
    SetToolWindow(ToolWindow::kContourCalc, this);
}

CContourCalcDlg::~CContourCalcDlg() { ClearToolWindow(ToolWindow::kContourCalc, this); }

void CContourCalcDlg::CloseToolWindow() {
    ClearToolWindow(ToolWindow::kContourCalc, this);
    close();
}

QLineEdit* CContourCalcDlg::Edit(int id) const {
    return findChild<QLineEdit*>(QString::number(id));
}

void CContourCalcDlg::ShowEdit(int id) {
    if (QLineEdit* e = Edit(id)) e->setText(QString::fromStdString(ContourEditText(id)));
    if (id == contour_dlg::kInterval) ShowEdit(contour_dlg::kIndexInterval);
}

bool CContourCalcDlg::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut)
        if (auto* edit = qobject_cast<QLineEdit*>(watched)) {
            const int id = edit->objectName().toInt();
            if (ReadContourEdit(id, edit->text().toStdString()) != ContourEditRead::kIgnored)
                ShowEdit(id);
        }
    return QDialog::eventFilter(watched, event);
}

void CContourCalcDlg::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        close();
        return;
    }
    QDialog::mousePressEvent(event);
}

void CContourCalcDlg::Open(QWidget* parent) {
    auto* dlg = new CContourCalcDlg(parent);
    dlg->show();
}

void CContourCalcDlg::Install(QWidget* frame) {
    g_frame = frame;
    SetContourDialogOpener([] { Open(g_frame); });
    SetContourReplaceQuestion([] {
        QWidget* owner = dynamic_cast<CContourCalcDlg*>(GetToolWindow(ToolWindow::kContourCalc));
        return CContourReplaceDlg::Ask(owner ? owner : g_frame.data());
    });
}

CContourReplaceDlg::CContourReplaceDlg(QWidget* parent) : QDialog(parent) {
    setObjectName("contourReplaceDialog");
    setWindowTitle(QString::fromUtf8("等高線データ置換、追加確認"));
    auto* text = new QLabel(
        QString::fromUtf8(
            "既に等高線データがありますがデータの新規作成、\n追加作成を指定してください。"),
        this);
    auto* replace = new QPushButton(QString::fromUtf8("新規作成"), this);
    replace->setObjectName("1189");
    auto* add = new QPushButton(QString::fromUtf8("追加作成"), this);
    add->setObjectName("1190");
    auto* cancel = new QPushButton(QString::fromUtf8("ｷｬﾝｾﾙ"), this);
    cancel->setObjectName("2");
    connect(replace, &QPushButton::clicked, this, [this] { done(2); });
    connect(add, &QPushButton::clicked, this, [this] { done(1); });
    connect(cancel, &QPushButton::clicked, this, [this] { done(0); });
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(replace);
    buttons->addWidget(add);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addLayout(buttons);
}

int CContourReplaceDlg::Ask(QWidget* parent) {
    CContourReplaceDlg dlg(parent);
    const int answer = dlg.exec();
    return answer == 1 || answer == 2 ? answer : 0;
}

#include "shell/ui/plotter_file_dialog.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "platform/file_dialog.h"
#include "shell/plotter_file_command.h"
#include "shell/ui/enter_as_tab.h"
#include "shell/work_folder.h"

CPlotterFileOutputDlg::CPlotterFileOutputDlg(const PlotterBasePoint& first, const PlotterBasePoint& second,
                                             QWidget* parent)
    : QDialog(parent), m_first(first), m_second(second), m_values(OpenPlotterFileDialog()) {
    setObjectName("plotterFileOutputDialog");
    setWindowTitle(QString::fromUtf8("カルドミア出力"));
    auto* grid = new QGridLayout;
    auto edit = [&](int id, const QString& label, const std::string& text, int row) {
        auto* e = new QLineEdit(QString::fromStdString(text), this);
        e->setObjectName(QString::number(id));
        grid->addWidget(new QLabel(label, this), row, 0);
        grid->addWidget(e, row, 1);
        return e;
    };
    m_scale = edit(1185, QString::fromUtf8("縮尺 1/"), FormatPlotterScale(m_values.scale), 0);
    m_tolerance = edit(1186, QString::fromUtf8("直線判定角度"), FormatPlotterTolerance(m_values.tolerance, true), 1);
    m_path = edit(1082, QString::fromUtf8("出力ファイル"), m_values.path, 2);
    auto* browse = new QPushButton(QString::fromUtf8("参照"), this);
    browse->setObjectName("1196");
    grid->addWidget(browse, 2, 2);
    auto* papers = new QHBoxLayout;
    m_paper = new QButtonGroup(this);
    for (int code = 0; code < kPlotterPaperCount; ++code) {
        auto* radio = new QRadioButton(QString::fromLatin1(PlotterPaperSize(code).name), this);
        radio->setObjectName(QString::number(1197 + code));
        m_paper->addButton(radio, code);
        papers->addWidget(radio);
    }
    m_paper->button(0)->setChecked(true);
    connect(m_paper, &QButtonGroup::idClicked, this, [this](int code) { m_values.paper = code; });
    auto* start = new QPushButton(QString::fromUtf8("出力開始"), this);
    start->setObjectName("1191");
    start->setProperty("enterActs", true);
    auto* cancel = new QPushButton(QString::fromUtf8("ｷｬﾝｾﾙ"), this);
    cancel->setObjectName("2");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(start);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(papers);
    layout->addLayout(buttons);
    connect(m_scale, &QLineEdit::editingFinished, this, [this] { ReadScale(); });
    connect(m_tolerance, &QLineEdit::editingFinished, this, [this] { ReadTolerance(); });
    connect(m_path, &QLineEdit::editingFinished, this, [this] { ReadPath(); });
    connect(browse, &QPushButton::clicked, this, [this] { OnBrowse(); });
    connect(start, &QPushButton::clicked, this, [this] { OnStart(); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    InstallEnterAsTab(this);
}

QLineEdit* CPlotterFileOutputDlg::Edit(int controlId) const {
    return findChild<QLineEdit*>(QString::number(controlId));
}

void CPlotterFileOutputDlg::ReadScale() {
    m_values.scale = ParsePlotterScale(m_scale->text().toStdString(), m_values.scale);
    m_scale->setText(QString::fromStdString(FormatPlotterScale(m_values.scale)));
}

void CPlotterFileOutputDlg::ReadTolerance() {
    m_values.tolerance = ParsePlotterTolerance(m_tolerance->text().toStdString(), m_values.tolerance);
    m_tolerance->setText(QString::fromStdString(FormatPlotterTolerance(m_values.tolerance, false)));
}

void CPlotterFileOutputDlg::ReadPath() {
    m_values.path = m_path->text().toStdString();
    g_plotterFilePath = m_values.path;
}

void CPlotterFileOutputDlg::OnBrowse() {
    FileDialogRequest request;
    request.save = true;
    request.defaultExtension = "TXT";
    request.filter = "テキストファイル (*.TXT)|*.TXT| すべてのファイル|*.*|";
    request.folder = g_workFolder;
    const std::string chosen = RunFileDialog(request);
    if (chosen.empty()) return;
    g_lastFolder = FolderOfPath(chosen);
    m_values.path = chosen;
    g_plotterFilePath = chosen;
    m_path->setText(QString::fromStdString(chosen));
}

void CPlotterFileOutputDlg::OnStart() {
    // The edits' texts count even when the focus never left them.
    ReadScale();
    ReadTolerance();
    ReadPath();
    if (StartPlotterFileOutput(m_values, m_first, m_second)) done(0);
}

void InstallPlotterFileDialog(QWidget* frame) {
    QPointer<QWidget> owner(frame);
    SetPlotterFileDialogRunner([owner](const PlotterBasePoint& first, const PlotterBasePoint& second) {
        CPlotterFileOutputDlg dialog(first, second, owner);
        dialog.exec();
    });
}

#include "exchange/ui/sunmap_out_dialog.h"

#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include "exchange/sunmap_out.h"
#include "shell/command_routing.h"

namespace {
QPointer<QWidget> g_sunmapFrame;
QString U(const char* text) { return QString::fromUtf8(text); }
template <typename T>
T* Named(T* widget, int id) {
    widget->setObjectName(QString::number(id));
    return widget;
}
}  // namespace

CSunmapOutDlg::CSunmapOutDlg(QWidget* frame) : QDialog(frame) {
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName("IDD_SUNMAPOUT");
    setWindowTitle(U("ＳＵＮＭＡＰファイル出力"));
    OpenSunmapOut();
    auto* layout = new QVBoxLayout(this);

    auto* numbers = new QGridLayout;
    const struct {
        int id;
        const char* label;
    } fields[] = {{kSunmapEditMainLineType, "主曲線ライン"}, {kSunmapEditIndexLineType, "計曲線ライン"},
                  {kSunmapEditMainLayer, "主曲線レイヤ"},    {kSunmapEditIndexLayer, "計曲線レイヤ"},
                  {kSunmapEditScale, "縮尺　　1/"}};
    int row = 0;
    for (const auto& f : fields) {
        auto* edit = Named(new QLineEdit(this), f.id);
        edit->installEventFilter(this);
        m_edits[f.id] = edit;
        numbers->addWidget(new QLabel(U(f.label), this), row, 0);
        numbers->addWidget(edit, row, 1);
        ++row;
    }
    layout->addLayout(numbers);

    auto* file = new QGroupBox(U("ファイル名"), this);
    auto* fileLayout = new QHBoxLayout(file);
    auto* path = Named(new QLineEdit(file), kSunmapEditPath);
    path->installEventFilter(this);
    m_edits[kSunmapEditPath] = path;
    auto* browse = Named(new QPushButton(U("参照"), file), 1193);
    browse->setAutoDefault(false);
    fileLayout->addWidget(path);
    fileLayout->addWidget(browse);
    connect(browse, &QPushButton::clicked, this, [this] {
        if (BrowseSunmapOutPath()) ShowValues();
    });
    layout->addWidget(file);

    auto* buttons = new QHBoxLayout;
    auto* output = Named(new QPushButton(U("出力"), this), 1166);
    output->setDefault(true);
    auto* cancel = Named(new QPushButton(U("ｷｬﾝｾﾙ"), this), 2);
    cancel->setAutoDefault(false);
    buttons->addWidget(output);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    connect(output, &QPushButton::clicked, this, [this] {
        // What is typed in the edit that still has the focus counts.
        for (const auto& [id, edit] : m_edits)
            if (edit->hasFocus()) SunmapOutEdited(id, edit->text().toStdString());
        if (RunSunmapOutput()) CloseToolWindow();
    });
    connect(cancel, &QPushButton::clicked, this, [this] { CloseToolWindow(); });
    ShowValues();
    SetToolWindow(ToolWindow::kSunmapOut, this);
}

CSunmapOutDlg::~CSunmapOutDlg() { ClearToolWindow(ToolWindow::kSunmapOut, this); }

void CSunmapOutDlg::ShowValues() {
    for (const auto& [id, edit] : m_edits) {
        if (edit->hasFocus()) continue;
        const QString shown = QString::fromStdString(SunmapOutEditText(id));
        if (edit->text() != shown) edit->setText(shown);
    }
}

bool CSunmapOutDlg::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut)
        for (const auto& [id, edit] : m_edits)
            if (edit == watched) {
                SunmapOutEdited(id, edit->text().toStdString());
                edit->setText(QString::fromStdString(SunmapOutEditText(id)));
                update();
            }
    return QDialog::eventFilter(watched, event);
}

void CSunmapOutDlg::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        CloseToolWindow();
        return;
    }
    QDialog::mousePressEvent(event);
}

void CSunmapOutDlg::paintEvent(QPaintEvent* event) {
    ShowValues();
    QDialog::paintEvent(event);
}

void InstallSunmapOutDialog(QWidget* frame, FrameCommandTarget& commands) {
    g_sunmapFrame = frame;
    commands.SetHandler(32852, [] {
        if (IsToolWindowOpen(ToolWindow::kSunmapOut)) {
            CloseToolWindow(ToolWindow::kSunmapOut);
            return;
        }
        if (!g_sunmapFrame) return;
        auto* dialog = new CSunmapOutDlg(g_sunmapFrame);
        dialog->show();
        dialog->activateWindow();
    });
}

#include "exchange/ui/sima_out_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "exchange/sima_out.h"
#include "model/terrain_data.h"
#include "shell/command_routing.h"

namespace {
QPointer<QWidget> g_simaFrame;
QString U(const char* text) { return QString::fromUtf8(text); }
template <typename T>
T* Named(T* widget, int id) {
    widget->setObjectName(QString::number(id));
    return widget;
}
}  // namespace

CSimaOutDlg::CSimaOutDlg(QWidget* frame) : QDialog(frame) {
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName("IDD_SIMAOUT");
    setWindowTitle(U("ＳＩＭＡファイル出力"));
    OpenSimaOut();
    auto* layout = new QVBoxLayout(this);

    auto* parts = new QGroupBox(U("出力指定"), this);
    auto* partsLayout = new QHBoxLayout(parts);
    m_contours = Named(new QCheckBox(U("等高線"), parts), 1131);
    m_tin = Named(new QCheckBox(U("三角網"), parts), 1163);
    m_contours->setChecked(g_simaOutContours != 0);
    m_tin->setChecked(g_simaOutTin != 0);
    partsLayout->addWidget(m_contours);
    partsLayout->addWidget(m_tin);
    layout->addWidget(parts);

    auto* form = new QGroupBox(U("三角網データ形式"), this);
    auto* formLayout = new QHBoxLayout(form);
    auto* forms = new QButtonGroup(this);
    auto* triangles = Named(new QRadioButton(U("三角形（三斜）"), form), 1181);
    auto* components = Named(new QRadioButton(U("構成点（画地）"), form), 1182);
    forms->addButton(triangles, kSimaFormTriangles);
    forms->addButton(components, kSimaFormComponents);
    (g_simaOutForm == kSimaFormTriangles ? triangles : components)->setChecked(true);
    formLayout->addWidget(triangles);
    formLayout->addWidget(components);
    connect(forms, &QButtonGroup::idClicked, this, [](int f) { g_simaOutForm = f; });
    layout->addWidget(form);

    auto* file = new QGroupBox(U("ファイル名"), this);
    auto* fileLayout = new QHBoxLayout(file);
    m_path = Named(new QLineEdit(QString::fromStdString(g_simaOutPath), file), 1180);
    m_path->installEventFilter(this);
    auto* browse = Named(new QPushButton(U("参照"), file), 1193);
    browse->setAutoDefault(false);
    fileLayout->addWidget(m_path);
    fileLayout->addWidget(browse);
    connect(browse, &QPushButton::clicked, this, [this] {
        if (BrowseSimaOutPath()) m_path->setText(QString::fromStdString(g_simaOutPath));
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
        // A path typed and not yet left counts.
        SimaOutPathEdited(m_path->text().toStdString());
        if (RunSimaOutput(m_contours->isChecked(), m_tin->isChecked())) CloseToolWindow();
    });
    connect(cancel, &QPushButton::clicked, this, [this] { CloseToolWindow(); });
    SetToolWindow(ToolWindow::kSimaOut, this);
}

CSimaOutDlg::~CSimaOutDlg() { ClearToolWindow(ToolWindow::kSimaOut, this); }

bool CSimaOutDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_path && event->type() == QEvent::FocusOut)
        SimaOutPathEdited(m_path->text().toStdString());
    return QDialog::eventFilter(watched, event);
}

void CSimaOutDlg::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        CloseToolWindow();
        return;
    }
    QDialog::mousePressEvent(event);
}

void CSimaOutDlg::paintEvent(QPaintEvent* event) {
    if (!m_path->hasFocus()) {
        const QString shown = QString::fromStdString(g_simaOutPath);
        if (m_path->text() != shown) m_path->setText(shown);
    }
    QDialog::paintEvent(event);
}

void InstallSimaOutDialog(QWidget* frame, FrameCommandTarget& commands) {
    g_simaFrame = frame;
    commands.SetHandler(32850, [] {
        if (IsToolWindowOpen(ToolWindow::kSimaOut)) {
            CloseToolWindow(ToolWindow::kSimaOut);
            return;
        }
        if (!g_simaFrame) return;
        auto* dialog = new CSimaOutDlg(g_simaFrame);
        dialog->show();
        dialog->activateWindow();
    });
}

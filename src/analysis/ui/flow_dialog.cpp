#include "analysis/ui/flow_dialog.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QColorDialog>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTabBar>
#include <QTimer>
#include <QVBoxLayout>

#include "analysis/flow_tool.h"
#include "view/view_navigation.h"

namespace {
QString Utf8(const char* text) { return QString::fromUtf8(text); }

QPushButton* Button(QWidget* parent, int id, const char* text) {
    auto* b = new QPushButton(Utf8(text), parent);
    b->setObjectName(QString::number(id));
    b->setAutoDefault(false);
    return b;
}

QColor FromColorRef(uint32_t c) { return QColor(c & 0xFF, c >> 8 & 0xFF, c >> 16 & 0xFF); }
}  // namespace

CFlowWindow::CFlowWindow(QWidget* frame) : QDialog(frame), m_core(new CFlowDlg) {
    setObjectName("flowDialog");
    setWindowTitle(Utf8("流水設定"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);

    auto* column = new QVBoxLayout(this);
    m_tabs = new QTabBar(this);
    m_tabs->setObjectName("tabs");
    m_tabs->addTab(Utf8("エリア"));
    m_tabs->addTab(Utf8("動作"));
    column->addWidget(m_tabs);
    for (QWidget*& page : m_pages) {
        page = new QWidget(this);
        column->addWidget(page);
    }
    auto edit = [this](QWidget* page, QGridLayout* grid, int row, int id, const char* label) {
        auto* e = new QLineEdit(page);
        e->setObjectName(QString::number(id));
        e->installEventFilter(this);
        m_edits[id] = e;
        grid->addWidget(new QLabel(Utf8(label), page), row, 0);
        grid->addWidget(e, row, 1);
    };
    auto* area = new QGridLayout(m_pages[0]);
    edit(m_pages[0], area, 0, flowctl::kOriginX, "原点 X");
    edit(m_pages[0], area, 1, flowctl::kOriginY, "原点 Y");
    edit(m_pages[0], area, 2, flowctl::kSpacing, "間隔(m)");
    edit(m_pages[0], area, 3, flowctl::kPointCount, "点数");
    edit(m_pages[0], area, 4, flowctl::kRotation, "回転角度");
    QPushButton* redraw = Button(m_pages[0], 1115, "再描画");
    area->addWidget(redraw, 5, 1);

    auto* action = new QGridLayout(m_pages[1]);
    edit(m_pages[1], action, 0, flowctl::kArrowInterval, "矢印間隔(m)");
    m_lineSwatch = Button(m_pages[1], 1119, "");
    m_arrowSwatch = Button(m_pages[1], 1120, "");
    m_lineSwatch->setFixedSize(40, 20);
    m_arrowSwatch->setFixedSize(40, 20);
    action->addWidget(new QLabel(Utf8("主線色"), m_pages[1]), 1, 0);
    action->addWidget(m_lineSwatch, 1, 1);
    action->addWidget(new QLabel(Utf8("矢印色"), m_pages[1]), 2, 0);
    action->addWidget(m_arrowSwatch, 2, 1);
    m_keepOld = new QCheckBox(Utf8("旧データを残す"), m_pages[1]);
    m_keepOld->setObjectName("1116");
    action->addWidget(m_keepOld, 3, 0, 1, 2);

    auto* buttons = new QHBoxLayout;
    QPushButton* clear = Button(this, 1114, "クリア");
    QPushButton* closeButton = Button(this, 1, "閉じる");
    buttons->addWidget(clear);
    buttons->addWidget(closeButton);
    column->addLayout(buttons);

    m_core->repaintWindow = [this] { RefreshControls(); };
    // Also asked for from inside a paint of the view: the window goes once that is over.
    m_core->closeWindow = [this] {
        QPointer<CFlowWindow> self(this);
        QTimer::singleShot(0, this, [self] {
            if (self) self->close();
        });
    };
    connect(m_tabs, &QTabBar::currentChanged, this, [this](int page) { ShowPage(page); });
    connect(redraw, &QPushButton::clicked, this, [this] { m_core->OnRedraw(); });
    connect(clear, &QPushButton::clicked, this, [this] { m_core->OnClear(); });
    connect(closeButton, &QPushButton::clicked, this, [this] { m_core->OnOK(); });
    connect(m_keepOld, &QCheckBox::clicked, this, [this](bool on) { m_core->SetKeepOld(on); });
    connect(m_lineSwatch, &QPushButton::clicked, this, [this] { ChooseColor(true); });
    connect(m_arrowSwatch, &QPushButton::clicked, this, [this] { ChooseColor(false); });
    ShowPage(0);
}

CFlowWindow::~CFlowWindow() = default;

void CFlowWindow::ShowPage(int page) {
    if (m_core) m_core->m_page = page;
    m_pages[0]->setVisible(page == 0);
    m_pages[1]->setVisible(page == 1);
    RefreshControls();
}

void CFlowWindow::RefreshControls() {
    if (!m_core) return;
    for (auto& [id, e] : m_edits)
        if (!e->hasFocus()) e->setText(QString::fromStdString(FlowFieldText(id)));
    const FlowSettings& s = g_flowSettings;
    m_lineSwatch->setStyleSheet(QString("background-color: %1;").arg(FromColorRef(s.lineColor).name()));
    m_arrowSwatch->setStyleSheet(QString("background-color: %1;").arg(FromColorRef(s.arrowColor).name()));
    m_keepOld->setChecked(!s.redrawAll);
}

void CFlowWindow::ChooseColor(bool line) {
    const QColor start = FromColorRef(line ? g_flowSettings.lineColor : g_flowSettings.arrowColor);
    const QColor chosen = QColorDialog::getColor(start, this);
    if (!chosen.isValid()) return;
    m_core->SetColor(line, static_cast<uint32_t>(chosen.red()) | static_cast<uint32_t>(chosen.green()) << 8 |
                               static_cast<uint32_t>(chosen.blue()) << 16);
}

bool CFlowWindow::eventFilter(QObject* watched, QEvent* event) {
    auto* e = qobject_cast<QLineEdit*>(watched);
    if (e && m_core) {
        if (event->type() == QEvent::FocusOut) {
            m_core->EditLeft(e->objectName().toInt(), e->text().toStdString());
            e->setText(QString::fromStdString(FlowFieldText(e->objectName().toInt())));
        } else if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                // Enter takes the value and moves on like Tab.
                m_core->EditLeft(e->objectName().toInt(), e->text().toStdString());
                e->setText(QString::fromStdString(FlowFieldText(e->objectName().toInt())));
                focusNextChild();
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CFlowWindow::closeEvent(QCloseEvent* event) {
    m_core.reset();
    FullRepaintView();
    QWidget::closeEvent(event);
}

void InstallFlowWindow(QWidget* frame) {
    SetFlowWindowFactory([frame] { (new CFlowWindow(frame))->show(); });
}

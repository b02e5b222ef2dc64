#include "analysis/ui/water_level_dialog.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QColorDialog>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <functional>
#include <utility>

#include "analysis/water_level.h"
#include "view/color_band_params.h"
#include "view/view_navigation.h"

namespace {
QString Utf8(const char* text) { return QString::fromUtf8(text); }

QPushButton* Button(QWidget* parent, int id, const char* text) {
    auto* b = new QPushButton(Utf8(text), parent);
    b->setObjectName(QString::number(id));
    b->setAutoDefault(false);
    return b;
}

QColor FromRgb(uint32_t c) { return QColor(c >> 16 & 0xFF, c >> 8 & 0xFF, c & 0xFF); }

// The large level display: black, the level in red.
class LevelBand : public QWidget {
public:
    LevelBand(QWidget* parent, std::function<QString()> text) : QWidget(parent), m_text(std::move(text)) {
        setObjectName("1287");
        setMinimumSize(200, 45);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::black);
        QFont font("Arial");
        font.setPointSize(16);
        painter.setFont(font);
        painter.setPen(Qt::red);
        painter.drawText(QPoint(20, 35), m_text());
    }

private:
    std::function<QString()> m_text;
};
}  // namespace

CWaterWindow::CWaterWindow(QWidget* frame) : QDialog(frame), m_core(new CWaterSM) {
    setObjectName("waterLevelDialog");
    setWindowTitle(Utf8("水位変化シミュレーション"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    SetToolWindow(ToolWindow::kWaterLevel, this);

    auto* grid = new QGridLayout(this);
    struct Row {
        int id;
        const char* label;
    };
    const Row rows[] = {{1282, "現在水位"}, {1269, "開始水位"}, {1270, "終了水位"},
                        {1285, "水位変化ステップ"}, {1286, "表示切替時間(秒)"}};
    int row = 0;
    for (const Row& r : rows) {
        auto* e = new QLineEdit(this);
        e->setObjectName(QString::number(r.id));
        e->installEventFilter(this);
        m_edits[r.id] = e;
        grid->addWidget(new QLabel(Utf8(r.label), this), row, 0);
        grid->addWidget(e, row++, 1);
    }
    m_aboveHoles = new QCheckBox(Utf8("中抜き上"), this);
    m_aboveHoles->setObjectName("1284");
    m_transparent = new QCheckBox(Utf8("透過"), this);
    m_transparent->setObjectName("1283");
    grid->addWidget(m_aboveHoles, row, 0);
    grid->addWidget(m_transparent, row++, 1);
    m_swatch = Button(this, 1281, "");
    m_swatch->setFixedSize(40, 20);
    grid->addWidget(m_swatch, row++, 0);
    m_band = new LevelBand(this, [this] {
        return m_core ? QString::fromStdString(m_core->LevelBanner()) : QString();
    });
    grid->addWidget(m_band, row++, 0, 1, 2);
    m_start = Button(this, 1132, "Start");
    QPushButton* reverse = Button(this, 1189, "反転");
    QPushButton* closeButton = Button(this, 1188, "閉じる");
    grid->addWidget(m_start, row, 0);
    grid->addWidget(reverse, row++, 1);
    grid->addWidget(closeButton, row++, 1);

    m_core->repaintWindow = [this] {
        RefreshControls();
        repaint();
    };
    m_core->repaintView = [] { FullRepaintView(); };
    m_core->startTimer = [this](int32_t ms) { m_timer.start(ms); };
    m_core->stopTimer = [this] { m_timer.stop(); };
    m_core->closeWindow = [this] { close(); };
    connect(&m_timer, &QTimer::timeout, this, [this] {
        if (m_core) m_core->OnTimer();
    });
    connect(m_start, &QPushButton::clicked, this, [this] { m_core->OnStartStop(); });
    connect(reverse, &QPushButton::clicked, this, [this] { m_core->OnReverse(); });
    connect(closeButton, &QPushButton::clicked, this, [this] { close(); });
    connect(m_aboveHoles, &QCheckBox::clicked, this, [this](bool on) { m_core->SetAboveHoles(on); });
    connect(m_transparent, &QCheckBox::clicked, this, [this](bool on) { m_core->SetTransparent(on); });
    connect(m_swatch, &QPushButton::clicked, this, [this] {
        const QColor chosen = QColorDialog::getColor(FromRgb(g_colorBandParams.waterColour), this);
        if (chosen.isValid()) m_core->SetColor(chosen.rgb() & 0xFFFFFF);
    });
    RefreshControls();
    FullRepaintView();
}

CWaterWindow::~CWaterWindow() { ClearToolWindow(ToolWindow::kWaterLevel, this); }

void CWaterWindow::RefreshControls() {
    if (!m_core) return;
    for (auto& [id, e] : m_edits)
        if (!e->hasFocus() || id == 1282) e->setText(QString::fromStdString(m_core->FieldText(id)));
    const bool running = m_core->Running();
    m_edits[1282]->setEnabled(!running);
    m_start->setText(running ? "End" : "Start");
    m_aboveHoles->setChecked(g_colorBandParams.waterShown < 0);
    m_transparent->setChecked(g_colorBandParams.waterTransparent != 0);
    m_swatch->setStyleSheet(QString("background-color: %1;").arg(FromRgb(g_colorBandParams.waterColour).name()));
    m_band->update();
}

void CWaterWindow::EditLeft(QLineEdit* edit) {
    if (!m_core) return;
    const int id = edit->objectName().toInt();
    m_core->EditLeft(id, edit->text().toStdString());
    edit->setText(QString::fromStdString(m_core->FieldText(id)));
    m_band->update();
}

bool CWaterWindow::eventFilter(QObject* watched, QEvent* event) {
    auto* e = qobject_cast<QLineEdit*>(watched);
    if (e && m_core) {
        if (event->type() == QEvent::FocusOut) {
            EditLeft(e);
        } else if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                EditLeft(e);
                focusNextChild();
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CWaterWindow::closeEvent(QCloseEvent* event) {
    m_timer.stop();
    m_core.reset();
    ClearToolWindow(ToolWindow::kWaterLevel, this);
    FullRepaintView();
    QWidget::closeEvent(event);
}

void InstallWaterWindow(QWidget* frame) {
    SetWaterWindowFactory([frame] { (new CWaterWindow(frame))->show(); });
}

#include "view/ui/legend_windows.h"

#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>
#include <vector>

#include "model/document_services.h"
#include "view/color_band_params.h"
#include "view/display_flags.h"

QPointer<CBandLegendDlg> g_bandLegendDlg;
QPointer<CSlopeLegendDlg> g_slopeLegendDlg;

namespace {
QString Utf8(const char* text) { return QString::fromUtf8(text); }
QColor Rgb(int32_t c) { return QColor((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF); }

constexpr int kSwatchWidth = 24;
constexpr int kSwatchHeight = 14;
constexpr int kMargin = 6;
constexpr int kLabelWidth = 76;

// Swatches stacked from the bottom (band 1) up; label j on the upper edge of band j.
void PaintLegend(QWidget* w, int bands, int32_t (*colour)(int32_t), const std::vector<QString>& labels) {
    QPainter p(w);
    p.fillRect(QRect(0, 0, w->width(), bands * kSwatchHeight + 2 * kMargin), w->palette().window());
    const int bottom = kMargin + bands * kSwatchHeight;
    for (int i = 1; i <= bands; ++i) {
        const QRect r(kMargin, bottom - i * kSwatchHeight, kSwatchWidth, kSwatchHeight);
        p.fillRect(r, Rgb(colour(i)));
        p.setPen(Qt::black);
        p.drawRect(r.adjusted(0, 0, -1, -1));
    }
    p.setPen(Qt::black);
    for (size_t j = 1; j <= labels.size(); ++j) {
        const int y = bottom - static_cast<int>(j) * kSwatchHeight;
        p.drawText(QRect(kMargin + kSwatchWidth + 4, y - 8, kLabelWidth, 16), Qt::AlignVCenter | Qt::AlignLeft,
                   labels[j - 1]);
    }
}
}  // namespace

// ---- 縞段彩色、標高 ----

CBandLegendDlg::CBandLegendDlg(QWidget* view) : QWidget(view ? view->window() : nullptr, Qt::Tool), m_view(view) {
    setObjectName("CBandLegendDlg");
    setWindowTitle(Utf8("縞段彩色、標高"));
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFixedSize(kMargin * 3 + kSwatchWidth + kLabelWidth, 20 * kSwatchHeight + 2 * kMargin + 8);
}

CBandLegendDlg::~CBandLegendDlg() {
    if (g_bandLegendDlg == this) g_bandLegendDlg = nullptr;
}

void CBandLegendDlg::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Keeps its column; its bottom edge on the bottom of the view.
    if (m_view) {
        const int bottom = m_view->mapToGlobal(QPoint(0, m_view->height())).y();
        move(frameGeometry().left(), bottom - frameGeometry().height());
    }
}

void CBandLegendDlg::paintEvent(QPaintEvent*) {
    if (g_colorBandParams.mode != 0) return;
    std::vector<QString> shown;
    for (const std::string& l : BandLegendLabels()) shown.push_back(QString::fromStdString(l));
    PaintLegend(this, 20, BandLegendColour, shown);
}

// ---- 傾斜色,角度 ----

CSlopeLegendDlg::CSlopeLegendDlg(QWidget* owner) : QWidget(owner ? owner->window() : nullptr, Qt::Tool) {
    setObjectName("CSlopeLegendDlg");
    setWindowTitle(Utf8("傾斜色,角度"));
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_ShowWithoutActivating);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(kMargin, 10 * kSwatchHeight + 2 * kMargin + 8, kMargin, 10);
    // The DXF output is offered: without its button the triangles could not be written.
    m_dxfToggle = new QPushButton(Utf8("ＤＸＦ出力"), this);
    m_dxfToggle->setObjectName("dxfOutput");
    m_dxfToggle->setCheckable(true);
    layout->addWidget(m_dxfToggle);

    m_dxfPart = new QWidget(this);
    auto* grid = new QGridLayout(m_dxfPart);
    grid->setContentsMargins(0, 0, 0, 0);
    auto edit = [this](const char* name, const QString& text) {
        auto* e = new QLineEdit(text, m_dxfPart);
        e->setObjectName(name);
        e->setMaxLength(16);
        e->installEventFilter(this);
        return e;
    };
    m_min = edit("minAngle", QString::fromStdString(SlopeDxfAngleText(m_fields.minAngle)));
    m_max = edit("maxAngle", QString::fromStdString(SlopeDxfAngleText(m_fields.maxAngle)));
    m_layer = edit("layer", QString::number(m_fields.layer));
    m_colour = edit("colour", QString::number(m_fields.colour));
    const std::pair<const char*, QLineEdit*> rows[] = {
        {"最小角", m_min}, {"最大角", m_max}, {"レイヤ", m_layer}, {"色番号", m_colour}};
    int row = 0;
    for (const auto& [label, e] : rows) {
        grid->addWidget(new QLabel(Utf8(label), m_dxfPart), row, 0);
        grid->addWidget(e, row++, 1);
    }
    auto* start = new QPushButton(Utf8("出力開始"), m_dxfPart);
    start->setObjectName("startOutput");
    grid->addWidget(start, row, 0, 1, 2);
    layout->addWidget(m_dxfPart);

    connect(m_dxfToggle, &QPushButton::toggled, this, [this](bool on) { ShowDxfPart(on); });
    connect(start, &QPushButton::clicked, this, [this] {
        for (QLineEdit* e : {m_min, m_max, m_layer, m_colour}) Leave(e);
        RunSlopeFacesDxfOutput(m_fields);
    });
    ShowDxfPart(false);
}

CSlopeLegendDlg::~CSlopeLegendDlg() {
    if (g_slopeLegendDlg == this) g_slopeLegendDlg = nullptr;
}

void CSlopeLegendDlg::ShowDxfPart(bool shown) {
    m_dxfPart->setVisible(shown);
    layout()->activate();
    setFixedSize(kMargin * 3 + kSwatchWidth + kLabelWidth + 40, layout()->sizeHint().height());
}

void CSlopeLegendDlg::Leave(QLineEdit* edit) {
    if (edit == m_min || edit == m_max) {
        double& v = edit == m_min ? m_fields.minAngle : m_fields.maxAngle;
        v = ReadSlopeDxfAngle(edit->text().toStdString());
        edit->setText(QString::fromStdString(SlopeDxfAngleText(v)));
    } else {
        int32_t& v = edit == m_layer ? m_fields.layer : m_fields.colour;
        v = ReadSlopeDxfNumber(edit->text().toStdString());
        edit->setText(QString::number(v));
    }
}

bool CSlopeLegendDlg::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut)
        if (auto* edit = qobject_cast<QLineEdit*>(watched)) Leave(edit);
    return QWidget::eventFilter(watched, event);
}

void CSlopeLegendDlg::paintEvent(QPaintEvent*) {
    const auto labels = SlopeLegendLabels();
    std::vector<QString> shown;
    for (const std::string& l : labels) shown.push_back(QString::fromStdString(l).trimmed());
    PaintLegend(this, 10, SlopeLegendColour, shown);
}

void OpenLegendWindowsFor(QWidget* view) {
    if (g_colorBandParams.mode == 0 && !g_bandLegendDlg) {
        g_bandLegendDlg = new CBandLegendDlg(view);
        g_bandLegendDlg->show();
    } else if (g_colorBandParams.mode == 3 && g_colorBandParams.twoColourSlope == 0 && !g_slopeLegendDlg) {
        g_slopeLegendDlg = new CSlopeLegendDlg(view);
        g_slopeLegendDlg->show();
    }
}

void DestroyLegendWindowsNow() {
    delete g_bandLegendDlg.data();
    delete g_slopeLegendDlg.data();
}

void InstallLegendWindows(QWidget* view) {
    QPointer<QWidget> owner(view);
    SetLegendWindowHandlers({DestroyLegendWindowsNow, [owner] { OpenLegendWindowsFor(owner.data()); }});
}

void UninstallLegendWindows() {
    SetLegendWindowHandlers({});
    DestroyLegendWindowsNow();
}

#include "section/ui/section_point_dialogs.h"

#include <QColorDialog>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QToolButton>
#include <QVBoxLayout>

#include "section/section_defaults.h"
#include "section/section_point_edit.h"
#include "section/ui/section_frame_widget.h"

CSectionPointEditDlg::CSectionPointEditDlg(QWidget* parent, QPoint anchor, bool addMode,
                                           std::function<void()> repaintWindow)
    : QDialog(parent), m_anchor(anchor), m_repaintWindow(std::move(repaintWindow)) {
    setObjectName("sectionPointEditDialog");
    auto* grid = new QGridLayout(this);
    m_distance = new QLineEdit(this);
    m_distance->setObjectName("1095");
    m_height = new QLineEdit(this);
    m_height->setObjectName("1032");
    grid->addWidget(new QLabel(QString::fromUtf8("距離"), this), 0, 0);
    grid->addWidget(m_distance, 0, 1);
    grid->addWidget(new QLabel(QString::fromUtf8("高さ"), this), 1, 0);
    grid->addWidget(m_height, 1, 1);
    auto* spinBox = new QWidget(this);
    spinBox->setObjectName("1033");
    auto* spinRow = new QVBoxLayout(spinBox);
    spinRow->setContentsMargins(0, 0, 0, 0);
    auto* up = new QToolButton(spinBox);
    up->setObjectName("1033up");
    up->setArrowType(Qt::UpArrow);
    auto* down = new QToolButton(spinBox);
    down->setObjectName("1033down");
    down->setArrowType(Qt::DownArrow);
    spinRow->addWidget(up);
    spinRow->addWidget(down);
    grid->addWidget(spinBox, 0, 2, 2, 1);
    // Up goes outward to the right, as the spin's delta of -1 does.
    connect(up, &QToolButton::clicked, this, [this] { Spin(-1); });
    connect(down, &QToolButton::clicked, this, [this] { Spin(1); });
    spinBox->setVisible(!addMode);
    auto* ok = new QPushButton(QString::fromUtf8("登録"), this);
    ok->setObjectName("1");
    auto* cancel = new QPushButton(QString::fromUtf8("中止"), this);
    cancel->setObjectName("2");
    ok->setAutoDefault(false);
    cancel->setAutoDefault(false);
    grid->addWidget(ok, 2, 0);
    grid->addWidget(cancel, 2, 1);
    connect(ok, &QPushButton::clicked, this, [this] {
        SetSectionPointFromEdit(g_currentSection, g_sectionSelectedPoint, g_sectionPointCopy);
        RecalcSectionExtents();
        accept();
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    m_distance->installEventFilter(this);
    m_height->installEventFilter(this);
    Refill();
}

void CSectionPointEditDlg::Refill() {
    m_enter = false;
    if (!FillSectionPointEdit(m_values)) return;
    setWindowTitle(QString::fromStdString(m_values.title));
    m_distance->setText(QString::fromStdString(m_values.distance));
    m_distance->setVisible(m_values.showDistance);
    m_height->setText(QString::fromStdString(m_values.height));
}

void CSectionPointEditDlg::Spin(int delta) {
    SpinSectionPoint(g_sectionSelectedPoint, delta);
    if (m_repaintWindow) m_repaintWindow();
    Refill();
}

void CSectionPointEditDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize s = screen ? screen->size() : QSize(1920, 1080);
    const SectionPixel p = PlaceSectionPointEdit({m_anchor.x(), m_anchor.y()}, width(), height(), s.width(), s.height());
    move(p.x, p.y);
}

bool CSectionPointEditDlg::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(event);
        if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
            m_enter = true;
            static_cast<QWidget*>(watched)->clearFocus();
            return true;
        }
        if (k->key() == Qt::Key_Escape) return true;
        m_enter = false;
    } else if (event->type() == QEvent::FocusOut) {
        if (watched == m_distance) {
            ApplySectionPointDistance(m_values, m_distance->text().toStdString(), m_enter);
            m_distance->setText(QString::fromStdString(m_values.distance));
        } else if (watched == m_height) {
            ApplySectionPointHeight(m_values, m_height->text().toStdString(), m_enter);
            m_height->setText(QString::fromStdString(m_values.height));
        }
        if (m_repaintWindow) m_repaintWindow();
    }
    return QDialog::eventFilter(watched, event);
}

void CSectionPointEditDlg::keyPressEvent(QKeyEvent* event) {
    // Neither Enter nor Esc ends the dialog.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter || event->key() == Qt::Key_Escape) {
        m_enter = event->key() != Qt::Key_Escape;
        return;
    }
    m_enter = false;
    QDialog::keyPressEvent(event);
}

namespace {
const char* const kColorLabels[11] = {"センター (ライン)", "断面 (ライン)", "前断面 (ライン)", "後断面 (ライン)",
                                      "方眼", "測点", "編集点", "方眼 (文字)", "座標 (文字)", "背景", "エッジ"};
const char* const kSwatchIds[11] = {"1081", "1078", "1079", "1080", "1085", "1075",
                                    "1077", "1082", "1083", "1076", "1084"};
}  // namespace

CSectionColorDlg::CSectionColorDlg(QWidget* parent, std::function<void()> repaintWindow)
    : QDialog(parent), m_edit(OpenSectionColorEdit()), m_repaintWindow(std::move(repaintWindow)) {
    setObjectName("sectionColorDialog");
    setWindowTitle(QString::fromUtf8("色設定"));
    chooseColor = [this](uint32_t& rgb) {
        const QColor c = QColorDialog::getColor(SectionColor(rgb), this);
        if (!c.isValid()) return false;
        rgb = (uint32_t(c.red()) << 16) | (uint32_t(c.green()) << 8) | uint32_t(c.blue());
        return true;
    };
    auto* grid = new QGridLayout(this);
    for (int i = 0; i < 11; ++i) {
        grid->addWidget(new QLabel(QString::fromUtf8(kColorLabels[i]), this), i, 0);
        m_swatches[i] = new QPushButton(this);
        m_swatches[i]->setObjectName(kSwatchIds[i]);
        m_swatches[i]->setAutoDefault(false);
        m_swatches[i]->setFixedSize(48, 18);
        grid->addWidget(m_swatches[i], i, 1);
        connect(m_swatches[i], &QPushButton::clicked, this, [this, i] {
            uint32_t rgb = g_sectionViewColors[i];
            if (chooseColor && chooseColor(rgb)) SetColor(i, rgb);
        });
    }
    auto* closeButton = new QPushButton(QString::fromUtf8("閉じる"), this);
    closeButton->setObjectName("1073");
    auto* cancel = new QPushButton(QString::fromUtf8("キャンセル"), this);
    cancel->setObjectName("1014");
    auto* reset = new QPushButton(QString::fromUtf8("初期化"), this);
    reset->setObjectName("1074");
    for (QPushButton* b : {closeButton, cancel, reset}) b->setAutoDefault(false);
    grid->addWidget(closeButton, 11, 0);
    grid->addWidget(cancel, 11, 1);
    grid->addWidget(reset, 12, 0);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, [this] {
        CancelSectionColorEdit(m_edit);
        reject();
    });
    connect(reset, &QPushButton::clicked, this, [this] {
        ResetSectionViewColors();
        RefreshSwatches();
        if (m_repaintWindow) m_repaintWindow();
    });
    RefreshSwatches();
}

void CSectionColorDlg::SetColor(int index, uint32_t rgb) {
    if (index < 0 || index >= 11) return;
    g_sectionViewColors[index] = rgb & 0xFFFFFF;
    RefreshSwatches();
    if (m_repaintWindow) m_repaintWindow();
}

void CSectionColorDlg::RefreshSwatches() {
    for (int i = 0; i < 11; ++i)
        m_swatches[i]->setStyleSheet(QString("background-color: %1; border: 1px solid gray;")
                                         .arg(SectionColor(g_sectionViewColors[i]).name()));
}

void CSectionColorDlg::keyPressEvent(QKeyEvent* event) {
    // The close box and the buttons end the dialog; Esc restores as キャンセル does.
    if (event->key() == Qt::Key_Escape) {
        CancelSectionColorEdit(m_edit);
        reject();
        return;
    }
    QDialog::keyPressEvent(event);
}

#include "section/ui/section_shift_window.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>
#include <cstdio>
#include <cstring>

#include "section/section_defaults.h"
#include "section/section_point_edit.h"
#include "section/section_records.h"
#include "section/section_shift.h"
#include "section/section_shift_command.h"
#include "section/ui/section_frame_widget.h"
#include "section/ui/section_point_dialogs.h"
#include "shell/command_routing.h"

namespace {

QString Fmt(const char* format, double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, format, v);
    return QString::fromLatin1(buf);
}

QPushButton* Button(QWidget* parent, const char* text, const char* id, bool checkable = false) {
    auto* b = new QPushButton(QString::fromUtf8(text), parent);
    b->setObjectName(id);
    b->setAutoDefault(false);
    b->setCheckable(checkable);
    return b;
}

const CrossSection* CurrentGround() {
    return g_currentSection >= 1 && g_currentSection <= g_crossSectionCount ? GetCrossSection(g_currentSection)
                                                                              : nullptr;
}

}  // namespace

CODN_SFT::CODN_SFT(QWidget* parent) : QDialog(parent) {
    setObjectName("sectionShiftWindow");
    setWindowTitle(QString::fromUtf8("横断シフト"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    SectionShiftWindowOpened();
    m_frame = new CSectionFrameWidget(this);
    m_gridBox = new QLineEdit(this);
    m_gridBox->setObjectName("1020");
    m_numberBox = new QLineEdit(this);
    m_numberBox->setObjectName("1031");
    m_shiftBox = new QLineEdit(this);
    m_shiftBox->setObjectName("1026");
    m_datumBox = new QLineEdit(this);
    m_datumBox->setObjectName("1033");
    for (QLineEdit* e : {m_gridBox, m_numberBox, m_shiftBox, m_datumBox}) {
        e->setMaximumWidth(80);
        e->installEventFilter(this);
    }
    auto* all = Button(this, "全体", "1022");
    m_zoomButton = Button(this, "拡大", "1023", true);
    auto* out = Button(this, "縮小", "1024");
    m_moveButton = Button(this, "移動", "1025", true);
    auto* colours = Button(this, "色設定", "1073");
    auto* calc = Button(this, "計算", "1221");
    auto* calc2 = Button(this, "計算2", "1223");
    auto* save = Button(this, "保存", "1222");
    auto* random = Button(this, "ﾗﾝﾀﾞﾑ", "1044");
    auto* spinUp = new QToolButton(this);
    spinUp->setObjectName("1030up");
    spinUp->setArrowType(Qt::UpArrow);
    auto* spinDown = new QToolButton(this);
    spinDown->setObjectName("1030down");
    spinDown->setArrowType(Qt::DownArrow);

    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(QString::fromUtf8("方眼"), this));
    row->addWidget(m_gridBox);
    for (QPushButton* b : {all, m_zoomButton, out, m_moveButton}) row->addWidget(b);
    row->addWidget(new QLabel(QString::fromUtf8("断面No"), this));
    row->addWidget(spinUp);
    row->addWidget(spinDown);
    row->addWidget(m_numberBox);
    row->addWidget(colours);
    row->addStretch(1);
    auto* row2 = new QHBoxLayout;
    row2->addWidget(new QLabel(QString::fromUtf8("移動量"), this));
    row2->addWidget(m_shiftBox);
    row2->addWidget(new QLabel(QString::fromUtf8("DL値"), this));
    row2->addWidget(m_datumBox);
    for (QPushButton* b : {calc, calc2, save, random}) row2->addWidget(b);
    row2->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 4);
    layout->addWidget(m_frame, 1);
    layout->addLayout(row);
    layout->addLayout(row2);

    connect(all, &QPushButton::clicked, this, [this] {
        SectionZoomAll(m_frame->Frame());
        m_frame->update();
    });
    connect(out, &QPushButton::clicked, this, [this] {
        SectionZoomOut(m_frame->Frame());
        m_frame->update();
    });
    connect(m_zoomButton, &QPushButton::clicked, this, [this](bool on) {
        g_sectionViewMode = on ? kSectionViewZoomBox : 0;
        SyncModeButtons();
    });
    connect(m_moveButton, &QPushButton::clicked, this, [this](bool on) {
        g_sectionViewMode = on ? kSectionViewMove : 0;
        SyncModeButtons();
    });
    connect(spinUp, &QToolButton::clicked, this, [this] { ShowSection(g_currentSection - 1); });
    connect(spinDown, &QToolButton::clicked, this, [this] { ShowSection(g_currentSection + 1); });
    connect(colours, &QPushButton::clicked, this, [this] {
        CSectionColorDlg dlg(this, [this] { m_frame->update(); });
        dlg.exec();
        m_frame->update();
    });
    connect(calc, &QPushButton::clicked, this, [this] {
        ShiftSectionsParallel(g_sectionShift.shift, g_sectionShift.datum);
        m_frame->update();
    });
    connect(calc2, &QPushButton::clicked, this, [this] {
        ShiftSectionsDown(g_sectionShift.shift, g_sectionShift.datum);
        m_frame->update();
    });
    connect(save, &QPushButton::clicked, this, [] { SaveShiftedSections(); });
    connect(random, &QPushButton::clicked, this, [] { SaveShiftedSectionsAsRandom(); });

    m_frame->updateScale = [](SectionFrame& f) {
        const CrossSection* s = CurrentGround();
        f.offsetOrigin = 0.0;
        f.heightOrigin = s ? s->height : 0.0;
        UpdateSectionScale(f, g_sectionWidthSpan, g_sectionHeightSpan, kCrossSectionScaleFactor);
    };
    m_frame->drawContent = [this](QPainter& p, SectionFrame&) { DrawContent(p); };
    m_frame->onEditPress = [this](int x, int y) {
        m_frame->rubberLine = true;
        m_frame->pressPos = m_frame->lastPos = QPoint(x, y);
    };
    m_frame->onEditMove = [](int, int) {};
    m_frame->onEditRelease = [this](int, int) {
        m_frame->rubberLine = false;
        g_sectionSelectedPoint = 0;
        m_frame->update();
    };
    m_frame->onRightDoubleClick = [this](int, int) {
        g_sectionViewMode = 0;
        g_sectionEditMode = 0;
        g_sectionSelectedPoint = 0;
        SyncModeButtons();
    };
    m_frame->onViewModeEnded = [this](bool right) {
        if (right) g_sectionViewMode = 0;
        SyncModeButtons();
    };

    SetToolWindow(ToolWindow::kSectionShift, this);
    SectionFrame& f = m_frame->Frame();
    f.gridInterval = 1.0;
    f.verticalScale = 1.0;
    m_gridBox->setText(Fmt("%3.1f", f.gridInterval));
    m_shiftBox->setText(Fmt("%.3f", g_sectionShift.shift));
    m_datumBox->setText(Fmt("%.3f", g_sectionShift.datum));
    resize(820, 560);
    UpdateTitle();
}

CODN_SFT::~CODN_SFT() {
    ClearToolWindow(ToolWindow::kSectionShift, this);
    SectionShiftWindowClosed();
}

void CODN_SFT::CloseToolWindow() {
    ClearToolWindow(ToolWindow::kSectionShift, this);
    close();
}

void CODN_SFT::keyPressEvent(QKeyEvent* event) {
    // Esc never closes the window; the close box does.
    if (event->key() == Qt::Key_Escape) return;
    QDialog::keyPressEvent(event);
}

void CODN_SFT::ShowSection(int n) {
    if (n < 1 || n > g_crossSectionCount) return;
    g_currentSection = n;
    g_sectionSelectedPoint = 0;
    UpdateTitle();
    m_frame->update();
}

void CODN_SFT::SyncModeButtons() {
    m_zoomButton->setChecked(g_sectionViewMode == kSectionViewZoomBox);
    m_moveButton->setChecked(g_sectionViewMode == kSectionViewMove);
    m_frame->viewMode = g_sectionViewMode;
}

void CODN_SFT::UpdateTitle() {
    m_numberBox->setText(QString::number(g_currentSection));
    const CrossSection* s = CurrentGround();
    if (s == nullptr) {
        setWindowTitle(QString::fromUtf8("横断シフト"));
        return;
    }
    char name[kSectionNameBytes + 1] = {};
    std::memcpy(name, s->name, kSectionNameBytes);
    char buf[160];
    std::snprintf(buf, sizeof buf, "横断シフト  %s  %.3f  左%3d   右%3d", name, s->distance, s->leftCount,
                  s->rightCount);
    setWindowTitle(QString::fromUtf8(buf));
}

void CODN_SFT::DrawContent(QPainter& p) {
    SectionFrame& f = m_frame->Frame();
    m_frame->background = g_sectionViewColors[9];
    m_frame->grid = g_sectionViewColors[4];
    m_frame->labels = g_sectionViewColors[7];
    m_frame->readout = g_sectionViewColors[8];
    const CrossSection* s = CurrentGround();
    if (s == nullptr) return;
    auto toQ = [&f](double offset, double height) {
        const SectionPixel px = SectionWorldToScreen(f, offset, height);
        return QPoint(px.x, px.y);
    };
    p.setPen(SectionColor(g_sectionViewColors[1]));
    const int32_t have = static_cast<int32_t>(s->points.size()) - 1;
    for (int side = 0; side < 2; ++side) {
        QPoint prev = toQ(0, s->height);
        const int32_t n = std::min(side == 0 ? s->leftCount : s->rightCount, have);
        for (int32_t j = 1; j <= n; ++j) {
            const SectionPoint& q = s->points[j];
            const QPoint next = side == 0 ? toQ(q.leftOffset, q.leftHeight) : toQ(q.rightOffset, q.rightHeight);
            p.drawLine(prev, next);
            prev = next;
        }
    }
    // The plan line, when the calculation has made one for this section.
    const PlanSection* plan = g_currentSection <= g_planSectionCount ? GetPlanSection(g_currentSection) : nullptr;
    if (plan == nullptr) return;
    const int32_t held = static_cast<int32_t>(plan->points.size()) - 1;
    std::vector<QPoint> marks;
    for (int side = 0; side < 2; ++side) {
        QPoint prev = toQ(0, plan->planHeight);
        const int32_t n = std::min(side == 0 ? plan->leftCount : plan->rightCount, held);
        for (int32_t j = 1; j <= n; ++j) {
            const PlanPoint& q = plan->points[j];
            const QPoint next = side == 0 ? toQ(q.leftOffset, q.leftHeight) : toQ(q.rightOffset, q.rightHeight);
            if (!(plan->kind == 1 && j == 1)) p.drawLine(prev, next);
            prev = next;
            marks.push_back(next);
        }
    }
    p.setPen(SectionColor(g_sectionViewColors[10]));
    p.setBrush(SectionColor(g_sectionViewColors[5]));
    for (const QPoint& m : marks) p.drawEllipse(m, 2, 2);
    p.setBrush(Qt::NoBrush);
}

bool CODN_SFT::eventFilter(QObject* watched, QEvent* event) {
    auto* box = qobject_cast<QLineEdit*>(watched);
    if (box && event->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(event);
        if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
            m_enterPressed = true;
            box->clearFocus();
            box->setFocus();
            return true;
        }
    }
    if (box && event->type() == QEvent::FocusOut) {
        const std::string typed = box->text().trimmed().toStdString();
        if (box == m_shiftBox && !typed.empty()) {
            box->setText(QString::fromStdString(SectionShiftAmountLeft(typed)));
        } else if (box == m_datumBox && !typed.empty()) {
            box->setText(QString::fromStdString(SectionShiftDatumLeft(typed)));
        } else if (box == m_gridBox) {
            bool ok = false;
            const double v = box->text().trimmed().toDouble(&ok);
            if (ok) ApplySectionGridInterval(m_frame->Frame(), v);
            box->setText(Fmt("%3.1f", m_frame->Frame().gridInterval));
            m_frame->update();
        } else if (box == m_numberBox) {
            bool ok = false;
            const int n = box->text().trimmed().toInt(&ok);
            if (ok) ShowSection(n);
            UpdateTitle();
        }
        m_enterPressed = false;
        return false;
    }
    return QDialog::eventFilter(watched, event);
}

void InstallSectionShiftWindow(QWidget* frame, FrameCommandTarget& commands) {
    commands.SetHandler(33069, [frame] { OnSectionShiftCommand([frame] { (new CODN_SFT(frame))->show(); }); });
}

#include "section/ui/section_frame_controls.h"

#include <QCheckBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QWheelEvent>
#include <cstdio>

#include "section/section_frame.h"
#include "section/ui/section_frame_widget.h"

QString SectionFormat(const char* format, double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, format, v);
    return QString::fromLatin1(buf);
}

QPushButton* SectionButton(QWidget* parent, const char* text, const char* id, bool checkable) {
    auto* b = new QPushButton(QString::fromUtf8(text), parent);
    b->setObjectName(id);
    b->setAutoDefault(false);
    b->setCheckable(checkable);
    return b;
}

namespace {

void StepScale(CSectionFrameWidget* frame, QLineEdit* box, bool forward) {
    SectionFrame& f = frame->Frame();
    f.verticalScale = SectionWheelVerticalScale(f.verticalScale, forward);
    box->setText(SectionFormat(" %3.1f", f.verticalScale));
    frame->update();
}

// The wheel turned over the vertical scale box steps the scale instead of the text.
class ScaleWheelFilter : public QObject {
public:
    ScaleWheelFilter(CSectionFrameWidget* frame, QLineEdit* box) : QObject(box), m_frame(frame), m_box(box) {}
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::Wheel) return false;
        const int delta = static_cast<QWheelEvent*>(event)->angleDelta().y();
        if (delta != 0) StepScale(m_frame, m_box, delta > 0);
        return true;
    }

private:
    CSectionFrameWidget* m_frame;
    QLineEdit* m_box;
};

}  // namespace

void SectionFrameControls::SyncModeButtons(int mode) const {
    zoomButton->setChecked(mode == 0x11);
    moveButton->setChecked(mode == 0x80);
}

SectionFrameControls BuildSectionFrameControls(QWidget* parent, CSectionFrameWidget* frame,
                                               const SectionControlsOptions& options,
                                               std::function<void(int)> setViewMode,
                                               std::function<void()> runColours) {
    SectionFrameControls c;
    auto box = [&](const char* id) {
        auto* e = new QLineEdit(parent);
        e->setObjectName(id);
        e->setMaximumWidth(options.boxWidth);
        return e;
    };
    auto label = [parent](const char* text) { return new QLabel(QString::fromUtf8(text), parent); };
    c.row = new QHBoxLayout;
    if (options.neighbours) {
        c.showPrevious = new QCheckBox(QString::fromUtf8("前断面"), parent);
        c.showPrevious->setObjectName("1018");
        c.showNext = new QCheckBox(QString::fromUtf8("次断面"), parent);
        c.showNext->setObjectName("1019");
        c.row->addWidget(c.showPrevious);
        c.row->addWidget(c.showNext);
        QObject::connect(c.showPrevious, &QCheckBox::toggled, frame, qOverload<>(&QWidget::update));
        QObject::connect(c.showNext, &QCheckBox::toggled, frame, qOverload<>(&QWidget::update));
    }
    c.gridBox = box("1020");
    c.row->addWidget(label("方眼"));
    c.row->addWidget(c.gridBox);
    c.allButton = SectionButton(parent, "全体", "1022");
    c.zoomButton = SectionButton(parent, "拡大", "1023", true);
    c.outButton = SectionButton(parent, "縮小", "1024");
    c.moveButton = SectionButton(parent, "移動", "1025", true);
    for (QPushButton* b : {c.allButton, c.zoomButton, c.outButton, c.moveButton}) c.row->addWidget(b);
    if (options.sectionNumber) {
        c.spinUp = new QToolButton(parent);
        c.spinUp->setObjectName("1030up");
        c.spinUp->setArrowType(Qt::UpArrow);
        c.spinDown = new QToolButton(parent);
        c.spinDown->setObjectName("1030down");
        c.spinDown->setArrowType(Qt::DownArrow);
        c.numberBox = box("1031");
        c.row->addWidget(label("断面No"));
        c.row->addWidget(c.spinUp);
        c.row->addWidget(c.spinDown);
        c.row->addWidget(c.numberBox);
    }
    c.colourButton = SectionButton(parent, "色設定", "1073");
    c.row->addWidget(c.colourButton);
    if (options.scaleBoxId) {
        c.scaleBox = box(options.scaleBoxId);
        c.row->addWidget(label("縦倍率"));
        c.row->addWidget(c.scaleBox);
        c.scaleBox->installEventFilter(new ScaleWheelFilter(frame, c.scaleBox));
        QLineEdit* scale = c.scaleBox;
        // With the focus in the box, the wheel over the drawing steps the scale too.
        frame->onWheel = [frame, scale](bool forward) {
            if (!scale->hasFocus()) return false;
            StepScale(frame, scale, forward);
            return true;
        };
    }
    c.row->addStretch(1);

    QObject::connect(c.allButton, &QPushButton::clicked, frame, [frame] {
        SectionZoomAll(frame->Frame());
        frame->update();
    });
    QObject::connect(c.outButton, &QPushButton::clicked, frame, [frame] {
        SectionZoomOut(frame->Frame());
        frame->update();
    });
    QObject::connect(c.zoomButton, &QPushButton::clicked, frame,
                     [setViewMode](bool on) { setViewMode(on ? 0x11 : 0); });
    QObject::connect(c.moveButton, &QPushButton::clicked, frame,
                     [setViewMode](bool on) { setViewMode(on ? 0x80 : 0); });
    QObject::connect(c.colourButton, &QPushButton::clicked, frame, [frame, runColours] {
        if (runColours) runColours();
        frame->update();
    });
    return c;
}

bool HandleSectionWindowKey(QWidget* window, CSectionFrameWidget* frame, QKeyEvent* event, bool& enterPressed) {
    SectionFrame& f = frame->Frame();
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        enterPressed = true;
        if (QWidget* w = window->focusWidget()) w->clearFocus();
        return true;
    case Qt::Key_Escape: return true;
    case Qt::Key_Up: SectionKeyPan(f, SectionKey::Up); break;
    case Qt::Key_Down: SectionKeyPan(f, SectionKey::Down); break;
    case Qt::Key_Left: SectionKeyPan(f, SectionKey::Left); break;
    case Qt::Key_Right: SectionKeyPan(f, SectionKey::Right); break;
    default: return false;
    }
    frame->update();
    return true;
}

void RestoreSectionWindowRect(QWidget* window, const SectionWindowRect& rect, QSize fallback) {
    if (rect.right != 0)
        window->setGeometry(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    else
        window->resize(fallback);
}

void StoreSectionWindowRect(const QWidget* window, SectionWindowRect& rect) {
    const QRect g = window->geometry();
    rect = {g.left(), g.top(), g.left() + g.width(), g.top() + g.height()};
}

#include "shell/ui/mouse_info.h"

#include <QEvent>
#include <QLabel>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
constexpr int kMargin = 8;
}  // namespace

CMouseInfo::CMouseInfo(QWidget* owner) : QFrame(owner) {
    setObjectName("mouseInfo");
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setAutoFillBackground(true);
    setAttribute(Qt::WA_TransparentForMouseEvents);

    m_closeButton = new QToolButton(owner);
    m_closeButton->setObjectName("mouseInfoClose");
    m_closeButton->setText(QString::fromUtf8("×"));
    m_closeButton->setToolTip(QString::fromUtf8("閉じる"));
    m_closeButton->setAutoRaise(true);
    m_closeButton->setFocusPolicy(Qt::NoFocus);  // the view keeps the keys
    m_closeButton->hide();
    connect(m_closeButton, &QToolButton::clicked, this, &QWidget::close);

    auto* layout = new QVBoxLayout(this);
    // The top strip holds the close button, as a caption bar without a title would.
    layout->setContentsMargins(kMargin, m_closeButton->sizeHint().height() + 2, kMargin, kMargin);
    for (const char* line :
         {"ALTキー＋マウス左ボタン：地形回転", "Ctrlキー＋マウス左ボタン：地形回転",
          "ALTlキー＋マウスホイール：縦倍率変更", "Shiftキー＋マウス左ボタン：地形回転"})
        layout->addWidget(new QLabel(QString::fromUtf8(line), this));
    adjustSize();
    if (owner) owner->installEventFilter(this);
}

CMouseInfo::~CMouseInfo() { delete m_closeButton.data(); }

bool CMouseInfo::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parent()) {
        if (event->type() == QEvent::Resize) {
            Place();
        } else if (event->type() == QEvent::ChildAdded && isVisible()) {
            // A window made later (the view) goes below the hint.
            QTimer::singleShot(0, this, [this] { Place(); });
        }
    }
    return QFrame::eventFilter(watched, event);
}

void CMouseInfo::showEvent(QShowEvent* event) {
    QFrame::showEvent(event);
    Place();
    if (m_closeButton) m_closeButton->show();
}

void CMouseInfo::hideEvent(QHideEvent* event) {
    QFrame::hideEvent(event);
    if (m_closeButton) m_closeButton->hide();
}

void CMouseInfo::Place() {
    const QWidget* owner = parentWidget();
    if (!owner) return;
    move((owner->width() - width()) / 2, (owner->height() - height()) / 2);
    raise();
    if (!m_closeButton) return;
    const QSize button = m_closeButton->sizeHint();
    m_closeButton->setGeometry(x() + width() - button.width() - 2, y() + 2, button.width(),
                               button.height());
    m_closeButton->raise();
}

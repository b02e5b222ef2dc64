#include "image/ui/point_colour_dialog.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QColorDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "shell/command_routing.h"
#include "view/view_navigation.h"

namespace {
QPointer<QWidget> g_frame;
}

CRndc2bmp::CRndc2bmp(QWidget* parent, const PointColourDialogState& state) : QDialog(parent), m_state(state) {
    setWindowTitle(QString::fromUtf8("頂点色情報から背景画像を作成"));
    auto* layout = new QVBoxLayout(this);

    auto* sizeBox = new QGroupBox(QString::fromUtf8("作成画像サイズ"), this);
    auto* sizeLayout = new QVBoxLayout(sizeBox);
    m_size = new QButtonGroup(this);
    const char* sizeTexts[3] = {"2048×2048", "4096×4096", "8192×8192"};
    const char* sizeIds[3] = {"1079", "1080", "1082"};
    for (int k = 0; k < 3; ++k) {
        auto* b = new QRadioButton(QString::fromUtf8(sizeTexts[k]), sizeBox);
        b->setObjectName(sizeIds[k]);
        m_size->addButton(b, k);
        sizeLayout->addWidget(b);
    }
    if (auto* b = m_size->button(std::clamp(m_state.sizeIndex, 0, 2))) b->setChecked(true);
    layout->addWidget(sizeBox);

    auto* fillBox = new QGroupBox(QString::fromUtf8("ピクセル拡大"), this);
    auto* fillLayout = new QVBoxLayout(fillBox);
    auto* fillRow = new QHBoxLayout;
    m_fill = new QButtonGroup(this);
    auto* simple = new QRadioButton(QString::fromUtf8("簡易"), fillBox);
    simple->setObjectName("1086");
    auto* quality = new QRadioButton(QString::fromUtf8("高品位"), fillBox);
    quality->setObjectName("1087");
    m_fill->addButton(simple, 1);
    m_fill->addButton(quality, 0);
    (m_state.simpleFill ? simple : quality)->setChecked(true);
    fillRow->addWidget(simple);
    fillRow->addWidget(quality);
    fillLayout->addLayout(fillRow);
    auto* passRow = new QHBoxLayout;
    passRow->addWidget(new QLabel(QString::fromUtf8("サイズ"), fillBox));
    // The edit with its up-down: typed values are clamped to 0..512 as they are taken, an
    // empty text keeps the value.
    m_passes = new QSpinBox(fillBox);
    m_passes->setObjectName("1084");
    m_passes->setRange(0, 512);
    m_passes->setValue(std::clamp(m_state.fillPasses, 0, 512));
    passRow->addWidget(m_passes);
    fillLayout->addLayout(passRow);
    layout->addWidget(fillBox);

    m_validOnly = new QCheckBox(QString::fromUtf8("有効点のみを使用"), this);
    m_validOnly->setObjectName("1131");
    m_validOnly->setChecked(m_state.validOnly != 0);
    layout->addWidget(m_validOnly);

    auto* backRow = new QHBoxLayout;
    backRow->addWidget(new QLabel(QString::fromUtf8("背景色"), this));
    m_swatch = new QLabel(this);
    m_swatch->setObjectName("1290");
    m_swatch->setFixedSize(40, 18);
    m_swatch->setFrameShape(QFrame::Box);
    m_swatch->setAutoFillBackground(true);
    m_swatch->installEventFilter(this);
    backRow->addWidget(m_swatch);
    layout->addLayout(backRow);
    PaintSwatch();

    auto* buttons = new QHBoxLayout;
    m_create = new QPushButton(QString::fromUtf8("作成"), this);
    m_create->setObjectName("1");
    m_save = new QPushButton(QString::fromUtf8("BMP保存"), this);
    m_save->setObjectName("1125");
    m_close = new QPushButton(QString::fromUtf8("閉じる"), this);
    m_close->setObjectName("2");
    for (QPushButton* b : {m_create, m_save, m_close}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    layout->addLayout(buttons);
    m_save->setEnabled(m_state.saveEnabled);
    connect(m_create, &QPushButton::clicked, this, [this] { OnCreate(); });
    connect(m_save, &QPushButton::clicked, this, [this] { OnSaveImage(); });
    connect(m_close, &QPushButton::clicked, this, [this] { done(2); });
}

void CRndc2bmp::PaintSwatch() {
    const uint32_t c = m_state.backColour;
    QPalette p = m_swatch->palette();
    p.setColor(QPalette::Window, QColor((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF));
    m_swatch->setPalette(p);
}

bool CRndc2bmp::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_swatch && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        const uint32_t c = m_state.backColour;
        const QColor chosen = QColorDialog::getColor(QColor((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF), this);
        if (chosen.isValid()) m_state.backColour = static_cast<uint32_t>(chosen.rgb()) & 0xFFFFFF;
        PaintSwatch();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

// Enter moves on like Tab, except on 作成 and 閉じる, which it presses.
void CRndc2bmp::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        QWidget* focus = focusWidget();
        if (focus == m_create || focus == m_close) {
            static_cast<QPushButton*>(focus)->click();
        } else {
            m_passes->interpretText();
            focusNextChild();
        }
        return;
    }
    QDialog::keyPressEvent(event);
}

void CRndc2bmp::ReadControls() {
    m_passes->interpretText();
    m_state.sizeIndex = std::max(0, m_size->checkedId());
    m_state.simpleFill = m_fill->checkedId() == 1 ? 1 : 0;
    m_state.fillPasses = PointColourFillPasses(m_passes->text().toStdString(), m_state.fillPasses);
    m_passes->setValue(m_state.fillPasses);
    m_state.validOnly = m_validOnly->isChecked() ? 1 : 0;
}

void CRndc2bmp::OnCreate() {
    ReadControls();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const int32_t r = OnPointColourCreate(m_state);
    QApplication::restoreOverrideCursor();
    m_save->setEnabled(m_state.saveEnabled);
    if (r == POINT_COLOUR_IMAGE_DONE) FullRepaintView();
}

void CRndc2bmp::OnSaveImage() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    OnPointColourSaveImage(m_state);
    QApplication::restoreOverrideCursor();
}

void CRndc2bmp::Install(QWidget* frame, FrameCommandTarget& commands) {
    g_frame = frame;
    commands.SetHandler(33010, [] {
        PointColourDialogState state;
        OpenPointColourDialog(state);
        CRndc2bmp dlg(g_frame, state);
        dlg.exec();
        FullRepaintView();
    });
    commands.SetUpdateRule(33010, [](CommandUpdate& u) { u.enabled = true; });
}

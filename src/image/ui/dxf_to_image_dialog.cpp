#include "image/ui/dxf_to_image_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QColorDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "image/image_slot.h"
#include "shell/command_routing.h"
#include "view/view_navigation.h"

namespace {
QPointer<QWidget> g_frame;
}

CDxfToImageDlg::CDxfToImageDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QString::fromUtf8("DXFを背景画像に変換"));
    OpenDxfToImageDialog(m_state);
    auto* layout = new QVBoxLayout(this);

    auto* sizeBox = new QGroupBox(QString::fromUtf8("作成画像サイズ"), this);
    auto* sizeLayout = new QVBoxLayout(sizeBox);
    m_size = new QButtonGroup(this);
    const char* sizeTexts[5] = {"2000×2000", "4000×4000", "8000×8000", "16000(白黒)", "24000(白黒)"};
    const char* sizeIds[5] = {"1079", "1080", "1082", "1083", "1084"};
    for (int k = 0; k < 5; ++k) {
        auto* b = new QRadioButton(QString::fromUtf8(sizeTexts[k]), sizeBox);
        b->setObjectName(sizeIds[k]);
        m_size->addButton(b, k);
        sizeLayout->addWidget(b);
    }
    m_size->button(m_state.sizeIndex)->setChecked(true);
    layout->addWidget(sizeBox);

    auto* widthBox = new QGroupBox(QString::fromUtf8("線の幅"), this);
    auto* widthLayout = new QHBoxLayout(widthBox);
    m_width = new QButtonGroup(this);
    auto* thin = new QRadioButton(QString::fromUtf8("細い"), widthBox);
    thin->setObjectName("1086");
    auto* thick = new QRadioButton(QString::fromUtf8("太い"), widthBox);
    thick->setObjectName("1087");
    m_width->addButton(thin, 0);
    m_width->addButton(thick, 1);
    widthLayout->addWidget(thin);
    widthLayout->addWidget(thick);
    m_width->button(m_state.thickLines)->setChecked(true);
    layout->addWidget(widthBox);

    auto* backRow = new QHBoxLayout;
    backRow->addWidget(new QLabel(QString::fromUtf8("背景"), this));
    m_swatch = new QLabel(this);
    m_swatch->setObjectName("1290");
    m_swatch->setFixedSize(40, 18);
    m_swatch->setFrameShape(QFrame::Box);
    m_swatch->setAutoFillBackground(true);
    m_swatch->installEventFilter(this);
    backRow->addWidget(m_swatch);
    auto* base = new QCheckBox(QString::fromUtf8("底面表示"), this);
    base->setObjectName("1131");
    base->setChecked(m_state.showOnBase);
    connect(base, &QCheckBox::clicked, this, [this](bool on) { OnDxfToImageBasePlane(m_state, on); });
    backRow->addWidget(base);
    layout->addLayout(backRow);
    PaintSwatch();

    auto* warning = new QLabel(QString::fromStdString(m_state.warning), this);
    warning->setObjectName("1289");
    layout->addWidget(warning);

    auto* buttons = new QHBoxLayout;
    auto* cancel = new QPushButton(QString::fromUtf8("中止"), this);
    cancel->setObjectName("2");
    auto* run = new QPushButton(QString::fromUtf8("実行"), this);
    run->setObjectName("1");
    run->setDefault(true);
    buttons->addWidget(cancel);
    buttons->addWidget(run);
    layout->addLayout(buttons);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(run, &QPushButton::clicked, this, [this] { Run(); });
}

void CDxfToImageDlg::PaintSwatch() {
    const uint32_t c = m_state.backColour;
    QPalette p = m_swatch->palette();
    p.setColor(QPalette::Window, QColor((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF));
    m_swatch->setPalette(p);
}

bool CDxfToImageDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_swatch && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        const uint32_t c = m_state.backColour;
        const QColor chosen = QColorDialog::getColor(QColor((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF), this);
        if (chosen.isValid()) {
            m_state.backColour = static_cast<uint32_t>(chosen.rgb()) & 0xFFFFFF;
            g_dxfImageBackColour = m_state.backColour;
        }
        PaintSwatch();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void CDxfToImageDlg::Run() {
    m_state.sizeIndex = std::max(0, m_size->checkedId());
    m_state.thickLines = m_width->checkedId() == 1 ? 1 : 0;
    OnDxfToImageRun(m_state);
    done(1);
}

void CDxfToImageDlg::Install(QWidget* frame, FrameCommandTarget& commands) {
    g_frame = frame;
    commands.SetHandler(32960, [] {
        CDxfToImageDlg dlg(g_frame);
        dlg.exec();
        OnDxfToImageClosed();
        FullRepaintView();
    });
}

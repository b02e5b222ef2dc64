#include "image/ui/image_list_dialog.h"

#include <QColorDialog>
#include <QFrame>
#include <functional>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QWheelEvent>

#include "image/image_list.h"
#include "image/image_slot.h"
#include "platform/encoding.h"
#include "view/view_state.h"

namespace {
CBgImageListDlg* g_bgImageListDlg = nullptr;

void RedrawView() {
    g_redrawMask = -1;
    InvalidateAndUpdateView();
}

// The background colour swatch (1019): painted in the view's background colour; a left
// click released inside it opens the colour chooser.
class ColourSwatch : public QFrame {
public:
    ColourSwatch(QWidget* parent, std::function<void(bool shift)> clicked)
        : QFrame(parent), m_clicked(std::move(clicked)) {
        setObjectName("1019");
        setFrameShape(QFrame::Box);
        setMinimumSize(40, 20);
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        QPainter painter(this);
        const uint32_t c = ViewBackgroundColorRef();
        painter.fillRect(rect(), QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF));
        QFrame::paintEvent(event);
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
            m_clicked(event->modifiers().testFlag(Qt::ShiftModifier));
    }

private:
    std::function<void(bool)> m_clicked;
};

void CloseOpenList() {
    if (g_bgImageListDlg) g_bgImageListDlg->close();
}

void RefreshOpenList() {
    if (g_bgImageListDlg) g_bgImageListDlg->FillImageList();
}
}  // namespace

CBgImageListDlg::CBgImageListDlg(QWidget* parent) : QDialog(parent) {
    setObjectName("bgImageListDialog");
    setWindowTitle(QString::fromUtf8("背景画像設定"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    m_list = new QTableWidget(IMAGE_SLOT_COUNT, 4, this);
    m_list->setObjectName("1134");
    m_list->setHorizontalHeaderLabels({QString::fromUtf8("番号"), QString::fromUtf8("ファイル名"),
                                       QString::fromUtf8("状態"), QString::fromUtf8("サイズ")});
    m_list->verticalHeader()->hide();
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    const int widths[4] = {40, 120, 70, 140};
    for (int c = 0; c < 4; ++c) m_list->setColumnWidth(c, widths[c]);
    connect(m_list, &QTableWidget::cellClicked, this, &CBgImageListDlg::OnCellClicked);
    connect(m_list, &QTableWidget::cellDoubleClicked, this, &CBgImageListDlg::OnCellClicked);

    auto button = [this](const char* id, const char* text) {
        auto* b = new QPushButton(QString::fromUtf8(text), this);
        b->setObjectName(id);
        b->setAutoDefault(false);
        return b;
    };
    QPushButton* add = button("1135", "追加読込");
    QPushButton* remove = button("1145", "削除");
    QPushButton* makeMain = button("1144", "主画像に設定");
    QPushButton* invert = button("1020", "反転");
    QPushButton* close = button("1", "閉じる");
    connect(add, &QPushButton::clicked, this, [this] {
        OnAddImageToSlots();
        FillImageList();
        RedrawView();
    });
    connect(remove, &QPushButton::clicked, this, &CBgImageListDlg::OnDelete);
    connect(makeMain, &QPushButton::clicked, this, &CBgImageListDlg::OnMakeMain);
    connect(invert, &QPushButton::clicked, this, [] {
        InvertImageGradient();
        RedrawView();
    });
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    m_brightness = new QLineEdit(this);
    m_brightness->setObjectName("1082");
    m_brightness->installEventFilter(this);
    connect(m_brightness, &QLineEdit::editingFinished, this, &CBgImageListDlg::OnBrightnessDone);

    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {add, remove, makeMain, invert}) buttons->addWidget(b);
    buttons->addWidget(new QLabel(QString::fromUtf8("背景色"), this));
    buttons->addWidget(new ColourSwatch(this, [this](bool shift) { OnSwatch(shift); }));
    buttons->addWidget(new QLabel(QString::fromUtf8("明度"), this));
    buttons->addWidget(m_brightness);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list, 1);
    layout->addLayout(buttons);
    resize(420, 300);

    g_bgImageListDlg = this;
    g_closeImageListWindow = CloseOpenList;
    g_refreshImageListWindow = RefreshOpenList;
    ShareMainImageColors();
    SaveMainImageSlot();
    FillImageList();
}

CBgImageListDlg::~CBgImageListDlg() {
    if (g_bgImageListDlg == this) {
        g_bgImageListDlg = nullptr;
        g_closeImageListWindow = nullptr;
        g_refreshImageListWindow = nullptr;
    }
}

CBgImageListDlg* CBgImageListDlg::Instance() { return g_bgImageListDlg; }

void CBgImageListDlg::Open(QWidget* frame) {
    if (g_bgImageListDlg) {
        g_bgImageListDlg->raise();
        return;
    }
    (new CBgImageListDlg(frame))->show();
}

void CBgImageListDlg::FillImageList() {
    const ImageListTexts texts = MakeImageListTexts();
    for (int k = 0; k < IMAGE_SLOT_COUNT; ++k) {
        const std::string cells[4] = {texts.number[k], texts.name[k], texts.state[k], texts.size[k]};
        for (int c = 0; c < 4; ++c) {
            // File names are Shift-JIS bytes.
            const QString text = QString::fromStdString(c == 1 ? Cp932ToUtf8(cells[c]) : cells[c]);
            m_list->setItem(k, c, new QTableWidgetItem(text));
        }
    }
    m_brightness->setText(QString::fromUtf8(texts.brightness.c_str()));
}

int CBgImageListDlg::SelectedRow() const {
    const QList<QTableWidgetItem*> items = m_list->selectedItems();
    return items.isEmpty() ? -1 : items.first()->row();
}

void CBgImageListDlg::OnCellClicked(int row, int column) {
    m_list->selectRow(row);
    if (column == 2 && row >= 0 && row < IMAGE_SLOT_COUNT && !g_imageSlotHandles[row].Empty()) {
        CycleSlotBlendMode(row);
        g_redrawMask = -1;
    }
    LoadMainImageSlot();
    FillImageList();
    m_list->selectRow(row);
    RedrawView();
}

void CBgImageListDlg::OnMakeMain() {
    const int row = SelectedRow();
    if (row < 1 || g_imageSlotHandles[row].Empty()) return;
    MakeSlotMainImage(row);
    FillImageList();
    m_list->setFocus();
    RedrawView();
}

void CBgImageListDlg::OnDelete() {
    const int row = SelectedRow();
    if (row < 0) return;
    DeleteImageSlot(row);
    FillImageList();
    m_list->setFocus();
    RedrawView();
}

void CBgImageListDlg::OnBrightnessDone() {
    g_imageBrightness = ParseImageBrightness(m_brightness->text().toStdString(), g_imageBrightness);
    FillImageList();
    RedrawView();
}

bool CBgImageListDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_brightness && event->type() == QEvent::Wheel) {
        const int delta = static_cast<QWheelEvent*>(event)->angleDelta().y();
        if (delta != 0) {
            const int32_t stepped = StepImageBrightness(g_imageBrightness, delta > 0);
            if (stepped != g_imageBrightness) {
                g_imageBrightness = stepped;
                FillImageList();
                RedrawView();
            }
        }
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void CBgImageListDlg::keyPressEvent(QKeyEvent* event) {
    // Enter and Esc do not close the list.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter || event->key() == Qt::Key_Escape) {
        if (m_brightness->hasFocus()) OnBrightnessDone();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CBgImageListDlg::OnSwatch(bool shift) {
    const int row = SelectedRow();
    const uint32_t start = BackgroundChooserStartColor(shift, row);
    const QColor chosen = QColorDialog::getColor(QColor(start & 0xFF, (start >> 8) & 0xFF, (start >> 16) & 0xFF), this);
    if (!chosen.isValid()) return;
    ApplyBackgroundChooserColor(shift, row, uint32_t(chosen.red()) | uint32_t(chosen.green()) << 8 |
                                                uint32_t(chosen.blue()) << 16);
    update();
    RedrawView();
}

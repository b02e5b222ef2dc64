#include "analysis/ui/visibility_dialog.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QColorDialog>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <vector>

#include "analysis/visibility_tool.h"
#include "model/terrain_data.h"
#include "view/back_buffer.h"
#include "view/projection.h"
#include "view/raster_primitives.h"
#include "view/view_navigation.h"

namespace {
QString Utf8(const char* text) { return QString::fromUtf8(text); }

QPushButton* Button(QWidget* parent, int id, const char* text, bool checkable = false) {
    auto* b = new QPushButton(Utf8(text), parent);
    b->setObjectName(QString::number(id));
    b->setAutoDefault(false);
    b->setCheckable(checkable);
    return b;
}

QCheckBox* Check(QWidget* parent, int id, const char* text) {
    auto* c = new QCheckBox(Utf8(text), parent);
    c->setObjectName(QString::number(id));
    return c;
}

QColor FromColorRef(uint32_t c) { return QColor(c & 0xFF, c >> 8 & 0xFF, c >> 16 & 0xFF); }
uint32_t ToColorRef(const QColor& c) {
    return static_cast<uint32_t>(c.red()) | static_cast<uint32_t>(c.green()) << 8 |
           static_cast<uint32_t>(c.blue()) << 16;
}

void PaintSwatch(QPushButton* swatch, uint32_t colorRef) {
    swatch->setStyleSheet(QString("background-color: %1; border: 1px solid black;")
                              .arg(FromColorRef(colorRef).name()));
}

// The live display works on the view's back buffer: dimmed once, then tinted cell by cell;
// the tints reach the window at every pacing step.
struct LiveDisplay {
    struct Tint {
        double north, east, z;
        uint32_t color;
    };
    std::vector<Tint> pending;

    void Dim() {
        pending.clear();
        if (!LockBackBuffer()) return;
        for (int32_t row = 0; row <= g_bufferMaxY && row < static_cast<int32_t>(g_rowTable.size()); ++row)
            for (int32_t x = 0; x <= g_bufferMaxX && x < g_backBufferStride / 4; ++x)
                g_rowTable[row][x] = DimmedPixel(g_rowTable[row][x]);
        UnlockBackBuffer();
    }
    void Flush() {
        if (!pending.empty() && LockBackBuffer()) {
            for (const Tint& t : pending) {
                RandomPoint r{};
                r.x = t.north;
                r.y = t.east;
                r.z = t.z;
                ProjectRecord(r);
                if (r.hidden != 0) continue;
                const int32_t x = g_viewportCenterX + r.screenX, row = g_viewportCenterY + r.screenY;
                if (x < 0 || x > g_bufferMaxX || row < 0 || row > g_bufferMaxY ||
                    row >= static_cast<int32_t>(g_rowTable.size()))
                    continue;
                g_rowTable[row][x] = TintedPixel(g_rowTable[row][x], t.color);
            }
            UnlockBackBuffer();
        }
        pending.clear();
        QuickRepaintView();
    }
};
}  // namespace

CVisibilityWindow::CVisibilityWindow(QWidget* frame) : QDialog(frame), m_core(new CVisibilityDlg) {
    setObjectName("visibilityDialog");
    setWindowTitle(Utf8("可視領域計算"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);

    auto* grid = new QGridLayout(this);
    struct EditRow {
        int id;
        const char* label;
    };
    const EditRow rows[] = {{visctl::kNorth, "X"},         {visctl::kEast, "Y"},
                            {visctl::kEyeElevation, "標高"}, {visctl::kEyeHeight, "地上高"},
                            {visctl::kTargetHeight, "判定地上高"}, {visctl::kMaxDistance, "最大距離"},
                            {visctl::kAzimuth, "方位"},     {visctl::kWidth, "幅（度）"}};
    int row = 0;
    for (const EditRow& r : rows) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QString::number(r.id));
        edit->installEventFilter(this);
        m_edits[r.id] = edit;
        grid->addWidget(new QLabel(Utf8(r.label), this), row, 0);
        grid->addWidget(edit, row, 1);
        ++row;
    }
    m_useMaxDistance = Check(this, 1136, "有り");
    m_useSector = Check(this, 1135, "有り");
    grid->addWidget(m_useMaxDistance, 5, 2);
    grid->addWidget(m_useSector, 6, 2);

    m_pick = Button(this, 1131, "開始", true);
    grid->addWidget(m_pick, 0, 2);
    const int slotIds[3] = {1079, 1080, 1085};
    const char* slotNames[3] = {"A", "B", "C"};
    auto* slotRow = new QHBoxLayout;
    for (int k = 0; k < 3; ++k) {
        m_slots[k] = new QRadioButton(Utf8(slotNames[k]), this);
        m_slots[k]->setObjectName(QString::number(slotIds[k]));
        slotRow->addWidget(m_slots[k]);
        connect(m_slots[k], &QRadioButton::clicked, this, [this, k] { m_core->SelectSlot(k); });
    }
    grid->addLayout(slotRow, 1, 2, 2, 1);

    m_mapSize = new QComboBox(this);
    m_mapSize->setObjectName("1118");
    for (const char* size : {"1024", "2048", "4096", "6144", "8192"}) m_mapSize->addItem(size);
    m_mapSize->setCurrentText("2048");
    grid->addWidget(new QLabel(Utf8("作成マップサイズ"), this), row, 0);
    grid->addWidget(m_mapSize, row++, 1);
    m_showProgress = Check(this, 1137, "計算過程表示");
    grid->addWidget(m_showProgress, row++, 0, 1, 2);

    m_create = Button(this, 1014, "可視域 背景画像作成");
    m_discard = Button(this, 1015, "背景画像破棄");
    grid->addWidget(m_create, row, 0);
    grid->addWidget(m_discard, row++, 1);
    auto* add = new QGroupBox(Utf8("現画像へ追加"), this);
    auto* addRow = new QHBoxLayout(add);
    m_visible = Button(add, 1115, "可視");
    m_invisible = Button(add, 1153, "不可視");
    addRow->addWidget(m_visible);
    addRow->addWidget(m_invisible);
    auto* clear = new QGroupBox(Utf8("不可視クリア"), this);
    auto* clearRow = new QHBoxLayout(clear);
    m_clearAll = Button(clear, 1117, "全体");
    m_outOfRange = Button(clear, 1116, "指向領域外");
    clearRow->addWidget(m_clearAll);
    clearRow->addWidget(m_outOfRange);
    grid->addWidget(add, row, 0);
    grid->addWidget(clear, row++, 1);

    m_visibleSwatch = Button(this, 1145, "");
    m_invisibleSwatch = Button(this, 1146, "");
    m_visibleSwatch->setFixedSize(40, 20);
    m_invisibleSwatch->setFixedSize(40, 20);
    grid->addWidget(new QLabel(Utf8("可視"), this), row, 0);
    grid->addWidget(m_visibleSwatch, row++, 1);
    grid->addWidget(new QLabel(Utf8("不可視"), this), row, 0);
    grid->addWidget(m_invisibleSwatch, row++, 1);
    m_status = new QLabel(this);
    m_status->setObjectName("1144");
    grid->addWidget(m_status, row++, 0, 1, 3);

    auto live = std::make_shared<LiveDisplay>();
    m_core->liveHooks.dimView = [live] { live->Dim(); };
    m_core->liveHooks.markPixel = [live](double dE, double dN, double z, uint32_t color) {
        live->pending.push_back({g_visibilityObserver.north - dN, g_visibilityObserver.east - dE, z, color});
    };
    m_core->liveHooks.showProgress = [live] { live->Flush(); };
    m_core->refreshControls = [this] { RefreshControls(); };
    m_core->closeWindow = [this] { close(); };
    m_core->status = [this](const std::string& text) {
        m_status->setText(QString::fromStdString(text));
        m_status->repaint();
    };

    connect(m_pick, &QPushButton::clicked, this, [this](bool on) { m_core->m_pickArmed = on; });
    connect(m_useSector, &QCheckBox::clicked, this, [this](bool on) {
        g_visibilityUseSector = on;
        RefreshControls();
        QuickRepaintView();
    });
    connect(m_useMaxDistance, &QCheckBox::clicked, this, [this](bool on) {
        g_visibilityUseMaxDistance = on;
        RefreshControls();
    });
    connect(m_showProgress, &QCheckBox::clicked, this, [](bool on) { g_visibilityShowProgress = on; });
    connect(m_mapSize, &QComboBox::currentTextChanged, this,
            [this](const QString& text) { m_core->SetMapSize(text.toInt()); });
    auto busy = [this](auto work) {
        return [this, work] {
            setCursor(Qt::WaitCursor);
            work();
            unsetCursor();
        };
    };
    connect(m_create, &QPushButton::clicked, this, busy([this] { m_core->CreateVisibilityImage(); }));
    connect(m_visible, &QPushButton::clicked, this, busy([this] { m_core->RunScan(kScanVisible); }));
    connect(m_invisible, &QPushButton::clicked, this, busy([this] { m_core->RunScan(kScanInvisible); }));
    connect(m_clearAll, &QPushButton::clicked, this, [this] { m_core->ClearAll(); });
    connect(m_outOfRange, &QPushButton::clicked, this, busy([this] { m_core->ScanOutOfRange(); }));
    connect(m_discard, &QPushButton::clicked, this, [this] { m_core->OnDiscardImage(); });
    connect(m_visibleSwatch, &QPushButton::clicked, this, [this] { ChooseColor(true); });
    connect(m_invisibleSwatch, &QPushButton::clicked, this, [this] { ChooseColor(false); });

    RefreshControls();
    m_status->clear();
}

CVisibilityWindow::~CVisibilityWindow() = default;

void CVisibilityWindow::RefreshControls() {
    if (!m_core) return;
    for (auto& [id, edit] : m_edits)
        if (!edit->hasFocus()) edit->setText(QString::fromStdString(m_core->FieldText(id)));
    const int slot = g_visibilityObserverSlot;
    m_slots[slot >= 0 && slot <= 2 ? slot : 0]->setChecked(true);
    m_pick->setChecked(m_core->m_pickArmed);
    m_useSector->setChecked(g_visibilityUseSector != 0);
    m_useMaxDistance->setChecked(g_visibilityUseMaxDistance != 0);
    m_showProgress->setChecked(g_visibilityShowProgress != 0);
    const CVisibilityDlg::Enables e = m_core->ControlStates();
    m_create->setEnabled(e.create);
    m_discard->setEnabled(e.discard);
    m_visible->setEnabled(e.scan);
    m_invisible->setEnabled(e.scan);
    m_clearAll->setEnabled(e.scan);
    m_outOfRange->setEnabled(e.outOfRange);
    PaintSwatch(m_visibleSwatch, g_visibilityVisibleColor);
    PaintSwatch(m_invisibleSwatch, g_visibilityInvisibleColor);
}

void CVisibilityWindow::ChooseColor(bool visible) {
    uint32_t& color = visible ? g_visibilityVisibleColor : g_visibilityInvisibleColor;
    const QColor chosen = QColorDialog::getColor(FromColorRef(color), this);
    if (!chosen.isValid()) return;
    color = ToColorRef(chosen);
    RefreshControls();
}

void CVisibilityWindow::EditLeft(QLineEdit* edit, bool byEnter, bool byEscape) {
    if (!m_core) return;
    m_core->EditLeft(edit->objectName().toInt(), edit->text().toStdString(), byEnter, byEscape);
    edit->setText(QString::fromStdString(m_core->FieldText(edit->objectName().toInt())));
}

bool CVisibilityWindow::eventFilter(QObject* watched, QEvent* event) {
    auto* edit = qobject_cast<QLineEdit*>(watched);
    if (edit && m_core) {
        if (event->type() == QEvent::FocusIn) {
            m_core->EditEntered(edit->objectName().toInt());
        } else if (event->type() == QEvent::FocusOut) {
            const bool escaped = m_escaped;
            m_escaped = false;
            EditLeft(edit, false, escaped);
        } else if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                // Enter moves on like Tab, and tells the edit it was left with Enter.
                EditLeft(edit, true, false);
                focusNextChild();
                return true;
            }
            if (key == Qt::Key_Escape) {
                m_escaped = true;
                edit->clearFocus();
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CVisibilityWindow::closeEvent(QCloseEvent* event) {
    m_core.reset();
    FullRepaintView();
    QWidget::closeEvent(event);
}

void CVisibilityWindow::keyPressEvent(QKeyEvent* event) {
    // ESC belongs to the edits and the runs; the window closes by its close box or command.
    if (event->key() == Qt::Key_Escape) return;
    QDialog::keyPressEvent(event);
}

void InstallVisibilityWindow(QWidget* frame) {
    SetVisibilityWindowFactory([frame] { (new CVisibilityWindow(frame))->show(); });
}

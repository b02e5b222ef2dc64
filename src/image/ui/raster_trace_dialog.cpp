#include "image/ui/raster_trace_dialog.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QColorDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSlider>
#include <QVBoxLayout>
#include <QWheelEvent>

#include "image/raster_trace.h"
#include "platform/encoding.h"
#include "shell/ui/color_combo.h"

namespace {

QPointer<CRasterTraceWindow> g_window;

QString FromUtf8(const std::string& s) { return QString::fromUtf8(s.c_str()); }

QWidget* ViewOf(QWidget* frame) {
    return frame ? frame->findChild<QWidget*>(QStringLiteral("CPelmo_3DView")) : nullptr;
}

// The edits whose keys get plain editing (the window's shortcuts stay out of them).
bool IsOwnEdit(QWidget* w) { return qobject_cast<QLineEdit*>(w) != nullptr || qobject_cast<QSlider*>(w) != nullptr; }

QPushButton* ModeButton(const char* text, const char* id, QWidget* parent) {
    auto* b = new QPushButton(QString::fromUtf8(text), parent);
    b->setObjectName(id);
    b->setCheckable(true);
    b->setAutoDefault(false);
    return b;
}

QPushButton* Button(const char* text, const char* id, QWidget* parent) {
    auto* b = new QPushButton(QString::fromUtf8(text), parent);
    b->setObjectName(id);
    b->setAutoDefault(false);
    return b;
}

}  // namespace

QLineEdit* CRasterTraceWindow::AddEdit(int id) {
    auto* e = new QLineEdit(this);
    e->setObjectName(QString::number(id));
    m_edits[id] = e;
    return e;
}

CRasterTraceWindow::CRasterTraceWindow(QWidget* frame)
    : QDialog(frame, Qt::Tool | Qt::WindowTitleHint | Qt::CustomizeWindowHint), m_frame(frame) {
    setObjectName("CRasterTraceDlg");
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QString::fromUtf8("ラスター追跡"));
    m_core = std::make_unique<CRasterTraceDlg>();
    m_core->refreshControls = [this] { RefreshControls(); };
    m_core->repaintNow = [this] {
        m_status->setPlainText(FromUtf8(m_core->controls.status));
        m_status->repaint();
    };

    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    auto* modes = new QHBoxLayout;
    m_start = ModeButton("開始", "1267", this);
    m_add = ModeButton("追加", "1270", this);
    m_cut = ModeButton("切断指定", "1268", this);
    modes->addWidget(m_start);
    modes->addWidget(m_add);
    modes->addWidget(m_cut);
    layout->addLayout(modes);

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QString::fromUtf8("標高"), this), 0, 0);
    grid->addWidget(AddEdit(1259), 0, 1);
    grid->addWidget(new QLabel(QString::fromUtf8("点間隔"), this), 1, 0);
    grid->addWidget(AddEdit(1263), 1, 1);
    m_levelStepLabel = new QLabel(this);
    m_levelStepLabel->setObjectName("1287");
    grid->addWidget(m_levelStepLabel, 2, 0, 1, 2);
    grid->addWidget(AddEdit(1261), 2, 1);
    layout->addLayout(grid);
    m_edits[1261]->hide();

    auto* run = new QHBoxLayout;
    m_generate = Button("点発生", "1264", this);
    m_undo = Button("取り消し", "1265", this);
    run->addWidget(m_generate);
    run->addWidget(m_undo);
    layout->addLayout(run);

    auto* move = new QHBoxLayout;
    move->addWidget(new QLabel(QString::fromUtf8("移動"), this));
    m_scroll = new QScrollBar(Qt::Horizontal, this);
    m_scroll->setObjectName("1271");
    m_scroll->setRange(0, 2);
    m_scroll->setValue(1);
    move->addWidget(m_scroll);
    layout->addLayout(move);

    m_status = new QPlainTextEdit(this);
    m_status->setObjectName("1266");
    m_status->setReadOnly(true);
    m_status->setFixedHeight(40);
    layout->addWidget(m_status);

    auto* layoutRow = new QHBoxLayout;
    m_details = ModeButton("詳細設定", "1273", this);
    m_slope = ModeButton("傾斜設定", "1281", this);
    auto* close = Button("閉じる", "1", this);
    layoutRow->addWidget(m_details);
    layoutRow->addWidget(m_slope);
    layoutRow->addWidget(close);
    layout->addLayout(layoutRow);

    // 終点の標高値.
    m_slopeSection = new QGroupBox(QString::fromUtf8("終点の標高値"), this);
    m_slopeSection->setObjectName("1285");
    {
        auto* l = new QHBoxLayout(m_slopeSection);
        m_heightDiff = new QCheckBox(QString::fromUtf8("標高差"), m_slopeSection);
        m_heightDiff->setObjectName("1276");
        m_endLevel = new QCheckBox(QString::fromUtf8("終点標高"), m_slopeSection);
        m_endLevel->setObjectName("1277");
        l->addWidget(m_heightDiff);
        l->addWidget(m_endLevel);
        QLineEdit* end = AddEdit(1260);
        end->setParent(m_slopeSection);
        l->addWidget(end);
    }
    layout->addWidget(m_slopeSection);

    m_detailSection = new QWidget(this);
    {
        auto* l = new QVBoxLayout(m_detailSection);
        l->setContentsMargins(0, 0, 0, 0);
        auto* change = new QHBoxLayout;
        m_changePoints = new QCheckBox(QString::fromUtf8("変化点点発生"), m_detailSection);
        m_changePoints->setObjectName("1132");
        change->addWidget(m_changePoints);
        change->addWidget(new QLabel(QString::fromUtf8("判定角度"), m_detailSection));
        QLineEdit* angle = AddEdit(1280);
        angle->setParent(m_detailSection);
        change->addWidget(angle);
        l->addLayout(change);
        m_fine = new QCheckBox(QString::fromUtf8("細かく探索"), m_detailSection);
        m_fine->setObjectName("1131");
        m_continuous = new QCheckBox(QString::fromUtf8("連続追加/切断"), m_detailSection);
        m_continuous->setObjectName("1133");
        l->addWidget(m_fine);
        l->addWidget(m_continuous);
        auto* sens = new QHBoxLayout;
        sens->addWidget(new QLabel(QString::fromUtf8("感度"), m_detailSection));
        m_sensitivity = new QSlider(Qt::Horizontal, m_detailSection);
        m_sensitivity->setObjectName("1275");
        m_sensitivity->setRange(0, 100);
        sens->addWidget(m_sensitivity);
        m_sensitivityLabel = new QLabel(m_detailSection);
        m_sensitivityLabel->setObjectName("1279");
        sens->addWidget(m_sensitivityLabel);
        l->addLayout(sens);
        auto* paper = new QHBoxLayout;
        paper->addWidget(new QLabel(QString::fromUtf8("背景色"), m_detailSection));
        m_swatch = new QLabel(m_detailSection);
        m_swatch->setObjectName("1022");
        m_swatch->setFixedSize(40, 18);
        m_swatch->setFrameShape(QFrame::Box);
        m_swatch->setAutoFillBackground(true);
        paper->addWidget(m_swatch);
        l->addLayout(paper);

        auto* plot = new QGroupBox(QString::fromUtf8("プロット"), m_detailSection);
        plot->setObjectName("1278");
        auto* pl = new QGridLayout(plot);
        m_plotKind = new QButtonGroup(this);
        const char* plotTexts[4] = {"なし", "点名のみ", "標高のみ", "両方"};
        for (int k = 0; k < 4; ++k) {
            auto* b = new QRadioButton(QString::fromUtf8(plotTexts[k]), plot);
            b->setObjectName(QString::number(1048 + k));
            m_plotKind->addButton(b, k);
            pl->addWidget(b, k / 2, k % 2);
        }
        l->addWidget(plot);
        auto* valid = new QGroupBox(QString::fromUtf8("有効・無効"), m_detailSection);
        auto* vl = new QHBoxLayout(valid);
        m_invalid = new QButtonGroup(this);
        auto* v0 = new QRadioButton(QString::fromUtf8("有効"), valid);
        v0->setObjectName("1047");
        auto* v1 = new QRadioButton(QString::fromUtf8("無効"), valid);
        v1->setObjectName("1053");
        m_invalid->addButton(v0, 0);
        m_invalid->addButton(v1, 1);
        vl->addWidget(v0);
        vl->addWidget(v1);
        l->addWidget(valid);
        auto* name = new QHBoxLayout;
        name->addWidget(new QLabel(QString::fromUtf8("点名"), m_detailSection));
        QLineEdit* nameEdit = AddEdit(1221);
        nameEdit->setParent(m_detailSection);
        name->addWidget(nameEdit);
        l->addLayout(name);

        auto* dxf = new QGroupBox(QString::fromUtf8("追跡線ＤＸＦ作成"), m_detailSection);
        dxf->setObjectName("1073");
        auto* dl = new QGridLayout(dxf);
        m_createDxf = new QCheckBox(QString::fromUtf8("作成する"), dxf);
        m_createDxf->setObjectName("1071");
        dl->addWidget(m_createDxf, 0, 0, 1, 2);
        dl->addWidget(new QLabel(QString::fromUtf8("レイヤ番号"), dxf), 1, 0);
        QLineEdit* layer = AddEdit(1076);
        layer->setParent(dxf);
        dl->addWidget(layer, 1, 1);
        dl->addWidget(new QLabel(QString::fromUtf8("色"), dxf), 2, 0);
        m_colour = new CColorComboBox(dxf);
        m_colour->setObjectName("1074");
        FillPaletteColorCombo(*m_colour, 0);
        dl->addWidget(m_colour, 2, 1);
        m_save3d = new QButtonGroup(this);
        auto* d2 = new QRadioButton(QString::fromUtf8("2D保存"), dxf);
        d2->setObjectName("1078");
        auto* d3 = new QRadioButton(QString::fromUtf8("3D保存"), dxf);
        d3->setObjectName("1079");
        m_save3d->addButton(d2, 0);
        m_save3d->addButton(d3, 1);
        dl->addWidget(d2, 3, 0);
        dl->addWidget(d3, 3, 1);
        dl->addWidget(Button("保存", "1075", dxf), 4, 0, 1, 2);
        l->addWidget(dxf);
    }
    layout->addWidget(m_detailSection);

    CRasterTraceDlg* core = m_core.get();
    connect(m_start, &QPushButton::clicked, this, [core](bool down) { core->OnStart(down); });
    connect(m_add, &QPushButton::clicked, this, [core](bool down) { core->OnAdd(down); });
    connect(m_cut, &QPushButton::clicked, this, [core](bool down) { core->OnCut(down); });
    connect(m_generate, &QPushButton::clicked, this, [this, core] {
        core->OnGeneratePoints();
        if (QWidget* view = ViewOf(m_frame)) view->setFocus();
    });
    connect(m_undo, &QPushButton::clicked, this, [core] { core->OnUndoPoints(); });
    connect(m_scroll, &QScrollBar::actionTriggered, this, [this, core](int action) {
        const int step = action == QAbstractSlider::SliderSingleStepSub   ? -1
                         : action == QAbstractSlider::SliderSingleStepAdd ? 1
                                                                          : 0;
        core->OnHScroll(step);
        QMetaObject::invokeMethod(this, [this] { m_scroll->setValue(1); }, Qt::QueuedConnection);
    });
    connect(m_details, &QPushButton::clicked, this, [this] { UpdateHeight(); });
    connect(m_slope, &QPushButton::clicked, this, [this, core](bool down) {
        m_heightDiff->setChecked(false);
        m_endLevel->setChecked(false);
        core->OnSlopeSettings(down);
        UpdateHeight();
    });
    connect(close, &QPushButton::clicked, this, [this] { OnOk(); });
    connect(m_heightDiff, &QCheckBox::clicked, this, [this, core](bool on) {
        if (on) m_endLevel->setChecked(false);
        core->OnElevationMode(1, on);
    });
    connect(m_endLevel, &QCheckBox::clicked, this, [this, core](bool on) {
        if (on) m_heightDiff->setChecked(false);
        core->OnElevationMode(2, on);
    });
    connect(m_changePoints, &QCheckBox::clicked, this, [core](bool on) { core->OnFlag(1132, on); });
    connect(m_fine, &QCheckBox::clicked, this, [core](bool on) { core->OnFlag(1131, on); });
    connect(m_continuous, &QCheckBox::clicked, this, [core](bool on) { core->OnFlag(1133, on); });
    connect(m_createDxf, &QCheckBox::clicked, this, [core](bool on) { core->OnFlag(1071, on); });
    connect(m_sensitivity, &QSlider::valueChanged, this, [this, core](int v) {
        if (m_refreshing) return;
        core->OnSensitivity(v);
        m_sensitivityLabel->setText(QString::number(v));
    });
    connect(m_plotKind, &QButtonGroup::idClicked, this, [core](int id) { core->OnPlotKind(id); });
    connect(m_invalid, &QButtonGroup::idClicked, this, [core](int id) { core->OnInvalid(id); });
    connect(m_save3d, &QButtonGroup::idClicked, this, [core](int id) { core->OnSave3d(id); });
    connect(m_colour, qOverload<int>(&QComboBox::activated), this, [core](int i) { core->OnColourSelected(i); });
    connect(findChild<QPushButton*>("1075"), &QPushButton::clicked, this, [core] { core->OnSaveDxf(); });

    for (QWidget* w : findChildren<QWidget*>()) w->installEventFilter(this);
    installEventFilter(this);

    g_window = this;
    g_showRasterTraceWindow = [] {
        if (g_window) {
            g_window->show();
            g_window->raise();
        }
    };
    RefreshControls();
    UpdateHeight();
}

CRasterTraceWindow::~CRasterTraceWindow() {
    if (g_window == this) {
        g_window = nullptr;
        g_showRasterTraceWindow = nullptr;
    }
}

void CRasterTraceWindow::RefreshControls() {
    if (!m_core) return;
    m_refreshing = true;
    const RasterTraceControls& c = m_core->controls;
    m_start->setChecked(c.startDown);
    m_add->setChecked(c.addDown);
    m_cut->setChecked(c.cutDown);
    m_start->setText(QString::fromUtf8(c.lineHeld ? "やり直し" : "開始"));
    m_add->setEnabled(c.lineHeld);
    m_cut->setEnabled(c.lineHeld);
    m_generate->setEnabled(c.lineHeld);
    m_undo->setEnabled(c.undoEnabled);
    const std::pair<int, const std::string*> texts[] = {
        {1259, &c.level},     {1263, &c.interval},     {1261, &c.levelStep}, {1260, &c.endValue},
        {1280, &c.judgingAngle}, {1076, &c.layer}};
    for (const auto& [id, text] : texts)
        if (!m_edits[id]->hasFocus()) m_edits[id]->setText(FromUtf8(*text));
    if (!m_edits[1221]->hasFocus()) m_edits[1221]->setText(FromUtf8(Cp932ToUtf8(c.pointName)));
    m_edits[1260]->setReadOnly(c.endValueReadOnly);
    m_levelStepLabel->setText(FromUtf8(c.levelStepLabel));
    if (m_status->toPlainText() != FromUtf8(c.status)) m_status->setPlainText(FromUtf8(c.status));
    m_fine->setChecked(c.fine);
    m_continuous->setChecked(c.continuous);
    m_changePoints->setChecked(c.changePoints);
    m_createDxf->setChecked(c.createDxf);
    m_sensitivity->setValue(c.sensitivity);
    m_sensitivityLabel->setText(QString::number(c.sensitivity));
    if (auto* b = m_plotKind->button(c.plotKind)) b->setChecked(true);
    if (auto* b = m_invalid->button(c.invalid)) b->setChecked(true);
    if (auto* b = m_save3d->button(c.save3d ? 1 : 0)) b->setChecked(true);
    if (c.elevationMode == 0) {
        m_heightDiff->setChecked(false);
        m_endLevel->setChecked(false);
    }
    m_heightDiff->setEnabled(m_slope->isChecked());
    m_endLevel->setEnabled(m_slope->isChecked());
    PaintSwatch();
    if (!QApplication::focusWidget() && isVisible()) setFocus();
    m_refreshing = false;
}

void CRasterTraceWindow::PaintSwatch() {
    const uint32_t c = m_core->controls.paperColour;
    QPalette p = m_swatch->palette();
    p.setColor(QPalette::Window, QColor((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF));
    m_swatch->setPalette(p);
}

void CRasterTraceWindow::UpdateHeight() {
    m_detailSection->setVisible(m_details->isChecked());
    m_slopeSection->setVisible(m_details->isChecked() || m_slope->isChecked());
    adjustSize();
}

void CRasterTraceWindow::ShowLevelStepEdit(bool show) {
    QLineEdit* edit = m_edits[1261];
    if (show == edit->isVisible()) return;
    if (show) {
        m_levelStepLabel->hide();
        edit->show();
        edit->setFocus();
    } else {
        if (edit->hasFocus()) EditLeft(edit);
        edit->hide();
        m_levelStepLabel->show();
    }
}

void CRasterTraceWindow::EditLeft(QLineEdit* edit) {
    if (!m_core) return;
    if (m_core->escapePressed) {
        // Esc was the last key: the stored value comes back.
        m_core->escapePressed = 0;
        m_core->UpdateControls();
        return;
    }
    const std::string text = edit->text().toStdString();
    switch (edit->objectName().toInt()) {
    case 1259:
        m_core->OnLevelField(text);
        break;
    case 1263:
        m_core->OnIntervalField(text);
        break;
    case 1260:
        m_core->OnEndValueField(text);
        break;
    case 1280:
        m_core->OnJudgingAngleField(text);
        break;
    case 1261:
        m_core->OnLevelStepField(text);
        break;
    case 1076:
        m_core->OnLayerField(text);
        break;
    case 1221:
        m_core->OnPointNameField(Utf8ToCp932(text));
        break;
    default:
        break;
    }
    // The core rewrote the stored value; show it also in the edit just left.
    RefreshControls();
}

bool CRasterTraceWindow::FilterKey(QWidget* target, QKeyEvent* event) {
    m_core->escapePressed = 0;
    const int k = event->key();
    if (k == Qt::Key_Return || k == Qt::Key_Enter) {
        focusNextChild();
        return true;
    }
    if (k == Qt::Key_Escape) {
        m_core->escapePressed = 1;
        return true;
    }
    if (target && IsOwnEdit(target)) return false;
    int32_t key = 0;
    if (event->modifiers() & Qt::ControlModifier) {
        switch (k) {
        case Qt::Key_Z: key = kTraceKeyHome; break;
        case Qt::Key_X: key = kTraceKeyEnd; break;
        case Qt::Key_C: key = kTraceKeyDelete; break;
        case Qt::Key_V: key = kTraceKeyInsert; break;
        default: break;
        }
    }
    switch (k) {
    case Qt::Key_Home: key = kTraceKeyHome; break;
    case Qt::Key_End: key = kTraceKeyEnd; break;
    case Qt::Key_Delete: key = kTraceKeyDelete; break;
    case Qt::Key_Insert: key = kTraceKeyInsert; break;
    default: break;
    }
    if (key != 0) {
        m_core->OnEditKey(key);
        return true;
    }
    if (k == Qt::Key_Left || k == Qt::Key_Right || k == Qt::Key_Up || k == Qt::Key_Down) {
        if (QWidget* view = ViewOf(m_frame))
            QCoreApplication::postEvent(view, new QKeyEvent(QEvent::KeyPress, k, event->modifiers()));
        return true;
    }
    return false;
}

bool CRasterTraceWindow::FilterWheel(QWheelEvent* event) {
    QWidget* focus = QApplication::focusWidget();
    const int id = focus && focus->window() == this ? focus->objectName().toInt() : 0;
    if (id == kTraceFieldLevel || id == kTraceFieldInterval || id == kTraceFieldLevelStep) {
        auto* edit = static_cast<QLineEdit*>(focus);
        m_core->OnWheel(id, edit->text().toStdString(), event->angleDelta().y());
        const RasterTraceControls& c = m_core->controls;
        edit->setText(FromUtf8(id == kTraceFieldLevel ? c.level : id == kTraceFieldInterval ? c.interval : c.levelStep));
        return true;
    }
    if (QWidget* view = ViewOf(m_frame)) {
        const QPointF centre(view->width() / 2.0, view->height() / 2.0);
        QCoreApplication::postEvent(
            view, new QWheelEvent(centre, view->mapToGlobal(centre), event->pixelDelta(), event->angleDelta(),
                                  event->buttons(), event->modifiers(), event->phase(), event->inverted()));
    }
    return true;
}

bool CRasterTraceWindow::eventFilter(QObject* watched, QEvent* event) {
    if (!m_core) return QDialog::eventFilter(watched, event);
    auto* widget = qobject_cast<QWidget*>(watched);
    switch (event->type()) {
    case QEvent::KeyPress:
        if (FilterKey(widget, static_cast<QKeyEvent*>(event))) return true;
        break;
    case QEvent::Wheel:
        if (FilterWheel(static_cast<QWheelEvent*>(event))) return true;
        break;
    case QEvent::FocusOut:
        if (auto* edit = qobject_cast<QLineEdit*>(watched); edit && edit->isVisible()) EditLeft(edit);
        break;
    case QEvent::FocusIn:
        if (auto* edit = qobject_cast<QLineEdit*>(watched);
            edit && (edit == m_edits[1259] || edit == m_edits[1263]))
            QMetaObject::invokeMethod(edit, &QLineEdit::selectAll, Qt::QueuedConnection);
        break;
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
        if (watched == m_levelStepLabel) {
            ShowLevelStepEdit(true);
            return true;
        }
        if (watched == m_swatch && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            if (m_core->PaperIsOneBit()) {
                m_core->OnPaperColour(nullptr);
            } else {
                const uint32_t c = m_core->controls.paperColour;
                const QColor chosen =
                    QColorDialog::getColor(QColor((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF), this);
                if (chosen.isValid()) {
                    const uint32_t value = static_cast<uint32_t>(chosen.rgb()) & 0xFFFFFF;
                    m_core->OnPaperColour(&value);
                }
            }
            return true;
        }
        if (watched != m_edits[1261]) ShowLevelStepEdit(false);
        break;
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

void CRasterTraceWindow::OnOk() {
    if (!m_core) return;
    m_core->OnOK();
    m_closed = true;
    // The view stops sending its clicks and keys before the save question comes.
    std::unique_ptr<CRasterTraceDlg> core = std::move(m_core);
    hide();
    core->PostNcDestroy();
    core.reset();
    close();
}

void CRasterTraceWindow::closeEvent(QCloseEvent* event) {
    // Only 閉じる ends the window.
    if (!m_closed) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void InstallRasterTraceWindow(QWidget* frame) {
    g_openRasterTraceWindow = [frame] { (new CRasterTraceWindow(frame))->show(); };
}

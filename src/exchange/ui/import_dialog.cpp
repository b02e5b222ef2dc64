#include "exchange/ui/import_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>
#include <QWheelEvent>

#include "exchange/delimited_text.h"
#include "exchange/dxf_points.h"
#include "exchange/import_request.h"
#include "exchange/ui/riegl_setup_dialog.h"
#include "dxf/ui/dxf_import_param_dialog.h"
#include "model/ui/zone_select_dialog.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "shell/command_routing.h"
#include "shell/work_folder.h"
#include "view/view_state.h"

namespace {
QPointer<QWidget> g_importFrame;

QString U(const char* text) { return QString::fromUtf8(text); }

template <typename T>
T* Named(T* widget, int id) {
    widget->setObjectName(QString::number(id));
    return widget;
}
}  // namespace

CImportDlg::CImportDlg(QWidget* frame, std::function<void()> postImport)
    : QDialog(frame), m_postImport(std::move(postImport)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName("IDD_TORIKOMI");
    setWindowTitle(U("データ取り込み"));
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    layout->addLayout(top);

    auto* kindBox = new QGroupBox(U("取り込みデータ種別"), this);
    auto* kindLayout = new QVBoxLayout(kindBox);
    auto* kinds = new QButtonGroup(this);
    const struct {
        int id, kind;
        const char* text;
        bool shown;
    } kindButtons[] = {
        {1130, 0, "ランダムデ－タ", true},  {1102, 1, "SIMA", true},        {1103, 2, "WING", false},
        {1098, 3, "BlueTrend", false},      {1097, 4, "Trend", false},       {1100, 5, "JEC", false},
        {1099, 6, "SEIKO", false},          {1162, 8, "SUN MAP", false},     {1131, 9, "テキストデ－タ", true},
        {1132, 10, "ＤＸＦ", true},         {1133, 11, "RIEGL", true},
        {1134, 12, "緯度経度データ\nＴrimble  ＳｋｙMaster", true},
    };
    for (const auto& k : kindButtons) {
        auto* radio = Named(new QRadioButton(U(k.text), kindBox), k.id);
        radio->setChecked(k.kind == g_importKind);
        if (!k.shown) {
            radio->setVisible(false);
            radio->setEnabled(false);
        }
        kinds->addButton(radio, k.kind);
        kindLayout->addWidget(radio);
    }
    connect(kinds, &QButtonGroup::idClicked, this, [this](int kind) { SelectKind(kind); });
    top->addWidget(kindBox);

    auto* right = new QVBoxLayout;
    top->addLayout(right);

    auto* zeroBox = new QGroupBox(U("標高０ｍのデータ"), this);
    auto* zeroLayout = new QHBoxLayout(zeroBox);
    auto* zeros = new QButtonGroup(this);
    auto* take = Named(new QRadioButton(U("取り込む"), zeroBox), 1104);
    auto* skip = Named(new QRadioButton(U("取り込まない"), zeroBox), 1105);
    zeros->addButton(take, 1);
    zeros->addButton(skip, 0);
    (g_importTakeZero ? take : skip)->setChecked(true);
    zeroLayout->addWidget(take);
    zeroLayout->addWidget(skip);
    connect(zeros, &QButtonGroup::idClicked, this, [](int v) { g_importTakeZero = v; });
    right->addWidget(zeroBox);

    auto* plotBox = new QGroupBox(U("プロット指定"), this);
    auto* plotLayout = new QHBoxLayout(plotBox);
    auto* plots = new QButtonGroup(this);
    const struct {
        int id, mode;
        const char* text;
    } plotButtons[] = {{1109, 0, "しない"}, {1049, 1, "点名のみ"}, {1107, 2, "標高のみ"}, {1051, 3, "両方"}};
    for (const auto& p : plotButtons) {
        auto* radio = Named(new QRadioButton(U(p.text), plotBox), p.id);
        radio->setChecked(p.mode == g_importPlotMode);
        plots->addButton(radio, p.mode);
        plotLayout->addWidget(radio);
    }
    connect(plots, &QButtonGroup::idClicked, this, [](int v) { g_importPlotMode = v; });
    right->addWidget(plotBox);

    auto* errorBox = new QGroupBox(U("ﾒｯｼｭ状ﾃﾞｰﾀの対処"), this);
    auto* errorLayout = new QHBoxLayout(errorBox);
    auto* addError = Named(new QCheckBox(U("誤差を付加"), errorBox), 1008);
    addError->setChecked(g_importAddError != 0);
    connect(addError, &QCheckBox::toggled, this, [](bool on) { g_importAddError = on ? 1 : 0; });
    errorLayout->addWidget(addError);
    errorLayout->addWidget(new QLabel(U("小数桁"), errorBox));
    auto* digits = new QButtonGroup(this);
    const int digitIds[] = {1009, 1010, 1011, 1013, 1014};
    for (int d = 1; d <= 5; ++d) {
        auto* radio = Named(new QRadioButton(QString::number(d), errorBox), digitIds[d - 1]);
        radio->setChecked(d == g_importErrorDigits);
        digits->addButton(radio, d);
        errorLayout->addWidget(radio);
    }
    connect(digits, &QButtonGroup::idClicked, this, [](int v) { g_importErrorDigits = v; });
    right->addWidget(errorBox);

    m_swapXY = Named(new QCheckBox(U("XY入換"), this), 1135);
    m_swapXY->setChecked(g_importRequest.swapXY != 0);
    right->addWidget(m_swapXY);

    auto* limitBox = Named(new QGroupBox(U("受光強度 下限"), this), 1225);
    auto* limitLayout = new QGridLayout(limitBox);
    auto* limitLabel = Named(new QLabel(U("下限光度"), limitBox), 1224);
    m_limit = Named(new QLineEdit(limitBox), 1082);
    m_limit->installEventFilter(this);
    m_dropBelow = Named(new QCheckBox(U("下限以下を破棄"), limitBox), 1143);
    m_unusedBelow = Named(new QCheckBox(U("下限以下を無効"), limitBox), 1144);
    m_dropBelow->setChecked(g_importRequest.belowLimitMode == 1);
    m_unusedBelow->setChecked(g_importRequest.belowLimitMode == 2);
    for (auto [box, mode] : {std::pair{m_dropBelow, 1}, {m_unusedBelow, 2}}) {
        const int m = mode;
        connect(box, &QCheckBox::clicked, this, [this, m](bool checked) {
            SetBelowLimitCheck(m, checked);
            const QSignalBlocker a(m_dropBelow), b(m_unusedBelow);
            m_dropBelow->setChecked(g_importRequest.belowLimitMode == 1);
            m_unusedBelow->setChecked(g_importRequest.belowLimitMode == 2);
        });
    }
    limitLayout->addWidget(limitLabel, 0, 0);
    limitLayout->addWidget(m_limit, 0, 1);
    limitLayout->addWidget(m_dropBelow, 1, 0, 1, 2);
    limitLayout->addWidget(m_unusedBelow, 2, 0, 1, 2);
    right->addWidget(limitBox);
    m_intensityControls[0] = limitLabel;
    m_intensityControls[1] = limitBox;
    m_intensityControls[2] = m_dropBelow;
    m_intensityControls[3] = m_unusedBelow;
    m_intensityControls[4] = m_limit;

    auto* buttons = new QHBoxLayout;
    auto* choose = Named(new QPushButton(U("ファイル選択"), this), 1106);
    choose->setDefault(true);
    auto* cancel = Named(new QPushButton(U("ｷｬﾝｾﾙ"), this), 2);
    cancel->setAutoDefault(false);
    buttons->addWidget(choose);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    connect(choose, &QPushButton::clicked, this, [this] { ChooseFile(); });
    connect(cancel, &QPushButton::clicked, this, [this] { CloseToolWindow(); });

    RefreshKindControls();
    ShowLimit();
    SetToolWindow(ToolWindow::kImport, this);
}

CImportDlg::~CImportDlg() { ClearToolWindow(ToolWindow::kImport, this); }

void CImportDlg::SelectKind(int kind) {
    g_importKind = kind;
    RefreshKindControls();
}

void CImportDlg::RefreshKindControls() {
    const bool on = IntensityControlsEnabled(g_importKind);
    for (QWidget* w : m_intensityControls) w->setEnabled(on);
    // The limit edit sits inside its group: enabling the group alone does not disable it.
    m_swapXY->setEnabled(on);
}

void CImportDlg::ShowLimit() {
    g_importRequest.intensityLowerLimit = ClampIntensityLimit(g_importRequest.intensityLowerLimit);
    m_limit->setText(QString::fromStdString(IntensityLimitText(g_importRequest.intensityLowerLimit)));
}

bool CImportDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_limit) {
        if (event->type() == QEvent::FocusOut) {
            IntensityEditLostFocus(m_limit->text().toStdString());
            ShowLimit();
        } else if (event->type() == QEvent::Wheel) {
            const int delta = static_cast<QWheelEvent*>(event)->angleDelta().y();
            if (m_limit->hasFocus() && delta != 0) {
                IntensityWheel(m_limit->text().toStdString(), delta);
                ShowLimit();
            }
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CImportDlg::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        CloseToolWindow();
        return;
    }
    QDialog::mousePressEvent(event);
}

void CImportDlg::ChooseFile() {
    if (g_importKind == kImportKindText)
        ShowMessage(kTextFormatHint, "", msg::kOk | msg::kIconInformation);
    // A limit typed and not yet left counts.
    if (m_limit->hasFocus()) {
        IntensityEditLostFocus(m_limit->text().toStdString());
        ShowLimit();
    }
    FileDialogRequest request;
    request.filter = ImportFileFilter(g_importKind);
    request.folder = g_workFolder;
    const std::string path = RunFileDialog(request);
    if (!path.empty()) {
        SubmitImportRequest(path, m_swapXY->isChecked());
        // The import runs when the posted command arrives, after this window is gone.
        if (m_postImport) QTimer::singleShot(0, parentWidget(), m_postImport);
    }
    CloseToolWindow();
    g_redrawMask = -1;
    InvalidateAndUpdateView();
}

void InstallImportDialog(QWidget* frame, FrameCommandTarget& commands,
                         std::function<void()> postImport) {
    g_importFrame = frame;
    SetDxfPointParamDialog([](DxfImportParams& params) {
        return CDxfImportParamDlg::Run(params, g_importFrame) == CDxfImportParamDlg::kStarted ? 1 : 0;
    });
    SetRieglSetupDialog([](RieglSetup& setup) { CRieglSetupDlg::Run(setup, g_importFrame); });
    SetImportZoneDialog([](ZoneSelectValues& values) {
        return g_importFrame && CZoneSelectDlg::Run(values, g_importFrame);
    });
    commands.SetHandler(32803, [postImport] {
        ExternalImportHooks hooks;
        hooks.dialogOpen = [] { return IsToolWindowOpen(ToolWindow::kImport); };
        hooks.closeDialog = [] { CloseToolWindow(ToolWindow::kImport); };
        hooks.showDialog = [postImport] {
            if (!g_importFrame) return;
            auto* dialog = new CImportDlg(g_importFrame, postImport);
            dialog->show();
            dialog->raise();
            dialog->activateWindow();
        };
        OnExternalImport(hooks);
    });
}

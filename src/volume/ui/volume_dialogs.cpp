#include "volume/ui/volume_dialogs.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "model/progress.h"
#include "model/terrain_data.h"
#include "platform/clipboard.h"
#include "platform/encoding.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "platform/text_io.h"
#include "shell/tool_mode.h"
#include "shell/work_folder.h"
#include "view/view_navigation.h"
#include "view/view_painter.h"
#include "view/view_state.h"

namespace {

QPointer<QWidget> g_frame;

QString U(const char* utf8) { return QString::fromUtf8(utf8); }

// The radio buttons 1079 "１桁" ... 1086 "６桁", the last three disabled.
QButtonGroup* DecimalRadios(QWidget* owner, QLayout* layout, int selected) {
    auto* group = new QButtonGroup(owner);
    const std::pair<int, const char*> radios[] = {{1079, "１桁"}, {1080, "２桁"}, {1082, "３桁"},
                                                  {1083, "４桁"}, {1084, "５桁"}, {1086, "６桁"}};
    for (int d = 0; d < 6; ++d) {
        auto* radio = new QRadioButton(U(radios[d].second), owner);
        radio->setObjectName(QString::number(radios[d].first));
        radio->setChecked(d + 1 == selected);
        radio->setEnabled(d < 3);
        group->addButton(radio, d + 1);
        layout->addWidget(radio);
    }
    return group;
}

}  // namespace

// ---- 体積計算 (270) ----

CVolCalc2::CVolCalc2(QWidget* parent) : QDialog(parent) {
    setObjectName("volCalc2");
    setWindowTitle(U("体積計算"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    m_dl = g_pointZMin;

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(U("ＤＬ標高"), this), 0, 0);
    m_dlEdit = new QLineEdit(QString::fromStdString(FormatString("%8.3f", g_pointZMin)), this);
    m_dlEdit->setObjectName("1011");
    m_dlEdit->setAlignment(Qt::AlignRight);
    grid->addWidget(m_dlEdit, 0, 1);
    grid->addWidget(new QLabel(U("最低標高"), this), 1, 0);
    auto* zMin = new QLabel(QString::fromStdString(FormatString("%8.3fm", g_pointZMin)), this);
    zMin->setObjectName("1183");
    grid->addWidget(zMin, 1, 1);
    grid->addWidget(new QLabel(U("最高標高"), this), 2, 0);
    auto* zMax = new QLabel(QString::fromStdString(FormatString("%8.3fm", g_pointZMax)), this);
    zMax->setObjectName("1184");
    grid->addWidget(zMax, 2, 1);

    auto* digits = new QGroupBox(this);
    auto* digitsLayout = new QHBoxLayout(digits);
    DecimalRadios(this, digitsLayout, 1);
    auto* holes = new QCheckBox(U("中抜のみ計算"), this);
    holes->setObjectName("1168");
    connect(holes, &QCheckBox::toggled, this, [this](bool on) { m_holesOnly = on ? 1 : 0; });

    m_result = new QPlainTextEdit(this);
    m_result->setObjectName("1113");
    m_result->setReadOnly(true);
    m_result->hide();
    m_copy = new QPushButton(U("クリップボード\nにコピー"), this);
    m_copy->setObjectName("1114");
    m_copy->hide();
    m_copy->setEnabled(false);
    connect(m_copy, &QPushButton::clicked, this, [this] {
        if (!SetClipboardText(Utf8ToCp932(m_result->toPlainText().replace("\n", "\r\n").toStdString())))
            ShowMessage("クリップボードは他のアプリケーションで使用中です", "コピーできません", msg::kOk);
    });
    auto* calc = new QPushButton(U("計算"), this);
    calc->setObjectName("1");
    calc->setDefault(true);
    connect(calc, &QPushButton::clicked, this, [this] { Calculate(); });
    auto* cancel = new QPushButton(U("ｷｬﾝｾﾙ"), this);
    cancel->setObjectName("2");
    connect(cancel, &QPushButton::clicked, this, &QDialog::close);
    auto* report = new QPushButton(U("計算リストを出力"), this);
    report->setObjectName("1115");
    connect(report, &QPushButton::clicked, this, [this] { WriteReport(); });

    auto* resultRow = new QHBoxLayout;
    resultRow->addWidget(m_result, 1);
    resultRow->addWidget(m_copy);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(calc);
    buttons->addWidget(cancel);
    buttons->addWidget(report);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(digits);
    layout->addWidget(holes);
    layout->addLayout(resultRow);
    layout->addLayout(buttons);
    SetToolWindow(ToolWindow::kVolume, this);
    // Closed means gone for the commands, also before the deferred delete.
    connect(this, &QDialog::finished, this, [this] { ClearToolWindow(ToolWindow::kVolume, this); });
}

CVolCalc2::~CVolCalc2() { ClearToolWindow(ToolWindow::kVolume, this); }

void CVolCalc2::CloseToolWindow() {
    ClearToolWindow(ToolWindow::kVolume, this);
    close();
}

int32_t CVolCalc2::Decimals() const {
    for (QRadioButton* r : findChildren<QRadioButton*>())
        if (r->isChecked()) {
            const int id = r->objectName().toInt();
            return id == 1079 ? 1 : id == 1080 ? 2 : id == 1082 ? 3 : id == 1083 ? 4 : id == 1084 ? 5 : 6;
        }
    return 1;
}

void CVolCalc2::Calculate() {
    if (m_busy || IsProgressWindowOpen()) return;
    bool ok = false;
    const double dl = m_dlEdit->text().trimmed().toDouble(&ok);
    if (!ok) {
        ShowMessage("ＤＬ標高が数値ではありません。", "", msg::kOk | msg::kIconWarning);
        return;
    }
    m_decimals = Decimals();
    m_dl = dl;
    m_busy = -1;
    const std::string text = RunDatumVolume({m_dl, m_decimals, m_holesOnly});
    m_busy = 0;
    if (text.empty()) return;
    m_result->setPlainText(QString::fromStdString(text).replace("\r\n", "\n"));
    m_result->show();
    m_copy->show();
    m_copy->setEnabled(true);
    adjustSize();
}

void CVolCalc2::WriteReport() {
    if (m_busy || IsProgressWindowOpen()) return;
    FileDialogRequest request;
    request.save = true;
    request.filter = "テキストファイル (*.TXT)|*.TXT| すべてのファイル|*.*|";
    request.defaultExtension = "TXT";
    request.folder = g_workFolder;
    const std::string path = RunFileDialog(request);
    if (path.empty()) return;
    g_lastFolder = FolderOfPath(path);
    QuickRepaintView();
    m_busy = -1;
    double ca = 0, ba = 0;
    CalcDatumVolume(m_holesOnly, m_decimals, 1, path, m_dl, &ca, &ba);
    m_busy = 0;
}

// ---- 小数桁設定 (204) ----

CAreaDigitsDlg::CAreaDigitsDlg(QWidget* parent, AreaDigitsValues& values) : QDialog(parent) {
    setObjectName("areaDigitsDialog");
    setWindowTitle(U("小数桁設定"));
    auto* digits = new QGroupBox(this);
    auto* digitsLayout = new QHBoxLayout(digits);
    QButtonGroup* group = DecimalRadios(this, digitsLayout, values.decimals);
    connect(group, &QButtonGroup::idClicked, this, [&values](int d) { values.decimals = d; });
    auto* holes = new QCheckBox(U("中抜のみ計算"), this);
    holes->setObjectName("1168");
    holes->setChecked(values.holesOnly != 0);
    connect(holes, &QCheckBox::toggled, this, [&values](bool on) { values.holesOnly = on ? 1 : 0; });
    auto* start = new QPushButton(U("開始"), this);
    start->setObjectName("1");
    start->setDefault(true);
    auto* stop = new QPushButton(U("中止"), this);
    stop->setObjectName("2");
    connect(start, &QPushButton::clicked, this, &QDialog::accept);
    connect(stop, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(start);
    buttons->addWidget(stop);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(digits);
    layout->addWidget(holes);
    layout->addLayout(buttons);
}

bool CAreaDigitsDlg::Ask(QWidget* parent, AreaDigitsValues& values) {
    CAreaDigitsDlg dlg(parent, values);
    if (dlg.exec() != QDialog::Accepted) {
        values.decimals = 0;
        return false;
    }
    return true;
}

// ---- 三角網体積計算 (295) ----

CTinVolumeDlg::CTinVolumeDlg(QWidget* parent) : QDialog(parent) {
    setObjectName("tinVolumeDialog");
    setWindowTitle(U("三角網体積計算"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    InitTinVolumeDialog(&m_state);

    auto* baseRow = new QHBoxLayout;
    baseRow->addWidget(new QLabel(U("現況："), this));
    m_basePath = new QLabel(U("ファイル未選択"), this);
    m_basePath->setObjectName("1048");
    baseRow->addWidget(m_basePath, 1);
    auto* choose = new QPushButton(U("選択"), this);
    choose->setObjectName("1049");
    connect(choose, &QPushButton::clicked, this, [this] { OnSelectBaseFile(); });
    baseRow->addWidget(choose);

    m_result = new QLabel(U("未計算"), this);
    m_result->setObjectName("1050");
    m_result->setMinimumHeight(90);
    m_result->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_result->setTextInteractionFlags(Qt::TextSelectableByMouse);

    // A group of three radios: (id, text, value).
    struct Radio {
        int id;
        const char* text;
        int32_t value;
    };
    auto radioGroup = [this](const char* title, std::initializer_list<Radio> radios, int32_t* target,
                             bool regionMode) {
        auto* box = new QGroupBox(U(title), this);
        auto* l = new QVBoxLayout(box);
        for (const Radio& r : radios) {
            auto* radio = new QRadioButton(U(r.text), box);
            radio->setObjectName(QString::number(r.id));
            radio->setChecked(*target == r.value);
            const int32_t value = r.value;
            connect(radio, &QRadioButton::clicked, this, [this, target, value, regionMode] {
                *target = value;
                if (regionMode) {
                    CloseTinVolumeRegionFile(&m_state);
                    m_save->setEnabled(false);
                }
            });
            l->addWidget(radio);
        }
        return box;
    };
    TinVolumeRequest& q = m_state.request;
    auto* options = new QHBoxLayout;
    options->addWidget(radioGroup("現況データ(ファイル側)", {{1079, "全て", 0}, {1080, "中抜を除く", 1}, {1082, "中抜のみ", -1}},
                                  &q.baseHoleOption, false));
    options->addWidget(radioGroup("計画データ(作業中)", {{1083, "全て", 0}, {1084, "中抜を除く", 1}, {1081, "中抜のみ", -1}},
                                  &q.currentHoleOption, false));
    m_save = new QPushButton(U("名前を付けて保存"), this);
    m_save->setObjectName("1114");
    m_save->setEnabled(false);
    connect(m_save, &QPushButton::clicked, this, [this] { OnSaveRegionList(); });
    options->addWidget(radioGroup("多角形データ出力", {{1086, "+体積部分", 1}, {1087, "-体積部分", 2}, {1085, "作成しない", 0}},
                                  &q.regionMode, true));

    auto* decimals = new QGroupBox(U("小数桁"), this);
    auto* decimalsLayout = new QGridLayout(decimals);
    auto combo = [this](int id, int32_t* target) {
        auto* box = new QComboBox(this);
        box->setObjectName(QString::number(id));
        box->addItems({"0", "1", "2", "3"});
        box->setCurrentIndex(*target);
        connect(box, &QComboBox::currentIndexChanged, this, [target](int i) { *target = i; });
        return box;
    };
    decimalsLayout->addWidget(new QLabel(U("体積"), this), 0, 0);
    decimalsLayout->addWidget(combo(1063, &m_state.volumeDecimals), 0, 1);
    decimalsLayout->addWidget(new QLabel(U("面積"), this), 1, 0);
    decimalsLayout->addWidget(combo(1062, &m_state.areaDecimals), 1, 1);

    m_start = new QPushButton(U("計算開始"), this);
    m_start->setObjectName("1");
    m_start->setEnabled(false);
    connect(m_start, &QPushButton::clicked, this, [this] { OnCalculate(); });
    auto* closeButton = new QPushButton(U("閉じる"), this);
    closeButton->setObjectName("2");
    connect(closeButton, &QPushButton::clicked, this, &QDialog::close);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_save);
    bottom->addWidget(decimals);
    bottom->addStretch(1);
    bottom->addWidget(m_start);
    bottom->addWidget(closeButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(baseRow);
    layout->addWidget(m_result);
    layout->addLayout(options);
    layout->addLayout(bottom);
    g_tinVolumeState = &m_state;
    SetToolWindow(ToolWindow::kTinVolume, this);
    connect(this, &QDialog::finished, this, [this] {
        CloseTinVolumeRegionFile(&m_state);
        if (g_tinVolumeState == &m_state) g_tinVolumeState = nullptr;
        ClearToolWindow(ToolWindow::kTinVolume, this);
        FullRepaintView();
    });
}

CTinVolumeDlg::~CTinVolumeDlg() {
    CloseTinVolumeRegionFile(&m_state);
    if (g_tinVolumeState == &m_state) g_tinVolumeState = nullptr;
    ClearToolWindow(ToolWindow::kTinVolume, this);
    FullRepaintView();
}

void CTinVolumeDlg::CloseToolWindow() {
    ClearToolWindow(ToolWindow::kTinVolume, this);
    close();
}

void CTinVolumeDlg::OnSelectBaseFile() {
    FileDialogRequest request;
    request.title = "三角網体積計算 現況データ指定";
    request.filter = "三角網ファイル (*.TRI)|*.TRI|すべてのファイル|*.*|";
    request.defaultExtension = "TRI";
    request.folder = g_workFolder;
    const std::string path = RunFileDialog(request);
    if (path.empty()) return;
    SelectTinVolumeBase(&m_state, path);
    m_basePath->setText(QString::fromStdString(path));
    m_start->setEnabled(true);
    m_save->setEnabled(false);
    m_result->setText(QString::fromStdString(m_state.resultText));
    FullRepaintView();
}

void CTinVolumeDlg::OnCalculate() {
    if (m_state.basePath.empty() || IsProgressWindowOpen()) return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    FullRepaintView();
    RunTinVolumeCalculation(&m_state, [this](const std::string& text) {
        m_result->setText(QString::fromStdString(text));
        m_result->repaint();
    });
    QApplication::restoreOverrideCursor();
    m_result->setText(QString::fromStdString(m_state.resultText).replace("\r\n", "\n"));
    m_save->setEnabled(m_state.regionRecordCount > 0);
    FullRepaintView();
}

void CTinVolumeDlg::OnSaveRegionList() {
    if (m_state.regionRecordCount == 0) return;
    FileDialogRequest request;
    request.save = true;
    request.title = "体積計算リストファイル名設定";
    request.filter = "テキストファイル (*.TXT)|*.TXT|すべてのファイル|*.*|";
    request.defaultExtension = "TXT";
    request.folder = g_workFolder;
    const std::string path = RunFileDialog(request);
    if (path.empty()) return;
    SaveTinVolumeRegionList(&m_state, path);
}

// ---- commands ----

void OnDatumVolumeCommand() {
    if (IsProgressWindowOpen()) return;
    g_dragState = 0;
    g_toolMode = 0;
    g_pointEditState = 0;
    g_outlineEditState = 0;
    CloseToolWindows();
    if (IsToolWindowOpen(ToolWindow::kVolume)) return;
    auto* dlg = new CVolCalc2(g_frame);
    dlg->show();
}

void OnTinAreaCommand(int32_t surface) {
    RunTinAreaCommand(surface, [](AreaDigitsValues& values) { return CAreaDigitsDlg::Ask(g_frame, values); });
}

void OnTinVolumeCalc() {
    if (IsToolWindowOpen(ToolWindow::kTinVolume)) {
        CloseToolWindow(ToolWindow::kTinVolume);
        return;
    }
    auto* dlg = new CTinVolumeDlg(g_frame);
    dlg->show();
}

void InstallVolumeDialogs(QWidget* frame) {
    g_frame = frame;
    g_painterLayers.volumeRegions = [] { DrawTinVolumeRegions(); };
    SetTinVolumeRepaintHook([] { InvalidateAndUpdateView(); });
}

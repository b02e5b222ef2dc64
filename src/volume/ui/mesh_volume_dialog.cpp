#include "volume/ui/mesh_volume_dialog.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "platform/message_box.h"
#include "platform/text_io.h"
#include "view/view_state.h"
#include "volume/mesh_data.h"
#include "volume/mesh_files.h"

namespace {
QString U(const char* text) { return QString::fromUtf8(text); }
QString U(const std::string& text) { return QString::fromStdString(text); }
}  // namespace

CMeshVolumeDlg::CMeshVolumeDlg(QWidget* parent, MeshVolumeDialogValues& values)
    : QDialog(parent), m_values(values) {
    setObjectName("meshVolumeDialog");
    setWindowTitle(U("メッシュ土量計算"));

    auto* files = new QGridLayout;
    files->addWidget(new QLabel(U("現況"), this), 0, 0);
    m_currentPath = new QLabel(this);
    m_currentPath->setObjectName("1048");
    files->addWidget(m_currentPath, 0, 1);
    auto* current = new QPushButton(U("選択"), this);
    current->setObjectName("1049");
    files->addWidget(current, 0, 2);
    files->addWidget(new QLabel(U("計画"), this), 1, 0, Qt::AlignTop);
    m_planPaths = new QLabel(this);
    m_planPaths->setObjectName("1050");
    m_planPaths->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_planPaths->setMinimumHeight(60);
    files->addWidget(m_planPaths, 1, 1);
    auto* planButtons = new QVBoxLayout;
    m_planSelect = new QPushButton(U("選択"), this);
    m_planSelect->setObjectName("1051");
    m_clear = new QPushButton(U("クリア"), this);
    m_clear->setObjectName("1055");
    planButtons->addWidget(m_planSelect);
    planButtons->addWidget(m_clear);
    planButtons->addStretch(1);
    files->addLayout(planButtons, 1, 2);
    files->setColumnStretch(1, 1);

    auto* partial = new QGroupBox(U("端数メッシュ計算"), this);
    auto* partialLayout = new QHBoxLayout(partial);
    auto* group = new QButtonGroup(this);
    const struct {
        const char* id;
        const char* text;
        int32_t value;
    } radios[] = {{"1052", "する", kPartialCellsAll}, {"1053", "しない", kPartialCellsNone},
                  {"1234", "現況外周のみ", kPartialCellsCurrentOnly}};
    for (const auto& r : radios) {
        auto* b = new QRadioButton(U(r.text), partial);
        b->setObjectName(r.id);
        b->setChecked(m_values.partialCells == r.value);
        group->addButton(b, r.value);
        partialLayout->addWidget(b);
    }
    connect(group, &QButtonGroup::idClicked, this, [this](int v) { m_values.partialCells = v; });

    auto* settings = new QGridLayout;
    settings->addWidget(new QLabel(U("０とする土量"), this), 0, 0);
    m_zeroLimit = new QLineEdit(U(FormatString("%.3f", g_meshVolumeZeroLimit)), this);
    m_zeroLimit->setObjectName("1058");
    connect(m_zeroLimit, &QLineEdit::editingFinished, this, [this] { CommitZeroLimit(); });
    settings->addWidget(m_zeroLimit, 0, 1);
    auto digits = [this, settings](int row, const char* label, const char* id, int32_t* target) {
        settings->addWidget(new QLabel(U(label), this), row, 0);
        auto* box = new QComboBox(this);
        box->setObjectName(id);
        for (const char* d : {"0", "1", "2", "3"}) box->addItem(d);
        box->setCurrentIndex(std::clamp(*target, 0, 3));
        connect(box, &QComboBox::currentIndexChanged, this, [target](int i) {
            if (i >= 0) *target = i;
        });
        settings->addWidget(box, row, 1);
    };
    digits(1, "平均標高", "1062", &g_meshAverageDigits);
    digits(2, "土量", "1063", &g_meshVolumeDigits);

    m_start = new QPushButton(U("計算開始"), this);
    m_start->setObjectName("1132");
    m_areaCheck = new QPushButton(U("デバック用面積計算"), this);
    m_areaCheck->setObjectName("1133");
    auto* stop = new QPushButton(U("中止"), this);
    stop->setObjectName("1224");
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_areaCheck);
    buttons->addStretch(1);
    buttons->addWidget(m_start);
    buttons->addWidget(stop);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(files);
    layout->addWidget(partial);
    layout->addLayout(settings);
    layout->addLayout(buttons);

    connect(current, &QPushButton::clicked, this, [this] {
        OpenMeshFile();
        RefitViewAfterMeshRead();
        Refresh();
    });
    connect(m_planSelect, &QPushButton::clicked, this, [this] {
        OpenPlanMeshFile();
        Refresh();
    });
    connect(m_clear, &QPushButton::clicked, this, [this] {
        ResetMeshResults();
        g_redrawMask = -1;
        InvalidateAndUpdateView();
        Refresh();
    });
    connect(m_start, &QPushButton::clicked, this, [this] {
        CommitZeroLimit();
        done(-1);
    });
    connect(m_areaCheck, &QPushButton::clicked, this, [this] {
        CommitZeroLimit();
        done(1);
    });
    connect(stop, &QPushButton::clicked, this, [this] { done(0); });
    Refresh();
}

void CMeshVolumeDlg::CommitZeroLimit() {
    if (!SetMeshVolumeZeroLimit(m_zeroLimit->text().toStdString()))
        ShowMessage("０とする土量には数値を入力してください。", "", msg::kOk | msg::kIconWarning);
    const QString shown = U(FormatString("%.3f", g_meshVolumeZeroLimit));
    if (m_zeroLimit->text() != shown) m_zeroLimit->setText(shown);
}

void CMeshVolumeDlg::Refresh() {
    const QString current = U(g_meshFilePath);
    if (m_currentPath->text() != current) m_currentPath->setText(current);
    const QString plans = U(MeshVolumePlanPaths());
    if (m_planPaths->text() != plans) m_planPaths->setText(plans);
    m_planSelect->setEnabled(MeshVolumePlanSelectEnabled());
    m_clear->setEnabled(MeshVolumeClearEnabled());
    m_start->setEnabled(MeshVolumeStartEnabled());
    m_areaCheck->setEnabled(MeshVolumeStartEnabled());
}

void CMeshVolumeDlg::paintEvent(QPaintEvent* event) {
    Refresh();
    QDialog::paintEvent(event);
}

int CMeshVolumeDlg::Run(QWidget* parent, MeshVolumeDialogValues& values) {
    CMeshVolumeDlg dlg(parent, values);
    const int result = dlg.exec();
    return result == -1 || result == 1 ? result : 0;
}

void OnMeshVolumeCommand(QWidget* frame) {
    MeshVolumeDialogValues values;
    const int result = CMeshVolumeDlg::Run(frame, values);
    if (result != -1 && result != 1) return;
    InvalidateAndUpdateView();
    CalcMeshAverageVolume(result, values.partialCells);
    g_redrawMask = -1;
    InvalidateAndUpdateView();
}

#include "image/ui/image_save_dialog.h"

#include <QComboBox>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>

#include "platform/qt/qt_file_dialog.h"
#include "platform/text_io.h"

namespace {
QComboBox* SizeBox(QWidget* parent, const char* id, int32_t maximum, int32_t value) {
    auto* box = new QComboBox(parent);
    box->setObjectName(id);
    box->setEditable(true);
    for (int32_t s : ImageSaveSizeList(maximum)) box->addItem(QString::fromStdString(FormatString("%4d", s)));
    box->setEditText(QString::number(value));
    return box;
}
}  // namespace

CImageSaveFileDlg::CImageSaveFileDlg(ImageSaveValues& values, QWidget* parent)
    : QFileDialog(parent, QString::fromStdString(values.title), QString::fromStdString(values.folder)),
      m_values(values) {
    setObjectName("imageSaveDialog");
    setOption(QFileDialog::DontUseNativeDialog, true);
    setAcceptMode(QFileDialog::AcceptSave);
    setFileMode(QFileDialog::AnyFile);
    const QStringList filters = QtNameFilters(values.filter).split(";;", Qt::SkipEmptyParts);
    setNameFilters(filters);
    if (values.filterIndex >= 1 && values.filterIndex <= filters.size())
        selectNameFilter(filters[values.filterIndex - 1]);
    if (!values.defaultExtension.empty()) setDefaultSuffix(QString::fromStdString(values.defaultExtension));

    auto* panel = new QGroupBox(QString::fromUtf8("保存サイズ"), this);
    auto* row = new QHBoxLayout(panel);
    auto* largest = new QPushButton(QString::fromUtf8("最大"), panel);
    largest->setObjectName("1122");
    auto* usual = new QPushButton(QString::fromUtf8("通常"), panel);
    usual->setObjectName("1123");
    for (QPushButton* b : {largest, usual}) b->setAutoDefault(false);
    m_width = SizeBox(panel, "1120", values.maxWidth, values.saveWidth);
    m_height = SizeBox(panel, "1121", values.maxHeight, values.saveHeight);
    m_qualityLabel = new QLabel(QString::fromStdString(ImageSaveQualityLabel(values.quality)), panel);
    m_qualityLabel->setObjectName("1230");
    m_quality = new QSlider(Qt::Horizontal, panel);
    m_quality->setObjectName("1231");
    m_quality->setRange(1, 100);
    m_quality->setValue(values.quality);
    row->addWidget(largest);
    row->addWidget(usual);
    row->addWidget(new QLabel(QString::fromUtf8("横"), panel));
    row->addWidget(m_width);
    row->addWidget(new QLabel(QString::fromUtf8("縦"), panel));
    row->addWidget(m_height);
    row->addWidget(m_qualityLabel);
    row->addWidget(m_quality);
    if (auto* grid = qobject_cast<QGridLayout*>(layout())) grid->addWidget(panel, grid->rowCount(), 0, 1, -1);

    connect(largest, &QPushButton::clicked, this, [this] {
        m_width->setEditText(QString::number(m_values.maxWidth));
        m_height->setEditText(QString::number(m_values.maxHeight));
    });
    connect(usual, &QPushButton::clicked, this, [this] {
        m_width->setEditText(QString::number(m_values.saveWidth));
        m_height->setEditText(QString::number(m_values.saveHeight));
    });
    connect(m_quality, &QSlider::valueChanged, this, [this](int q) {
        m_values.quality = q;
        m_qualityLabel->setText(QString::fromStdString(ImageSaveQualityLabel(q)));
    });
    connect(this, &QFileDialog::filterSelected, this, &CImageSaveFileDlg::ShowQualityFor);
    ShowQualityFor(selectedNameFilter());
}

void CImageSaveFileDlg::ShowQualityFor(const QString& filter) {
    const bool jpeg = nameFilters().indexOf(filter) == 1;
    m_quality->setVisible(jpeg);
    m_qualityLabel->setVisible(jpeg);
}

void CImageSaveFileDlg::accept() {
    m_values.saveWidth = ImageSaveSizeFromText(m_width->currentText().trimmed().toStdString(), m_values.maxWidth);
    m_values.saveHeight = ImageSaveSizeFromText(m_height->currentText().trimmed().toStdString(), m_values.maxHeight);
    m_values.filterIndex = int32_t(nameFilters().indexOf(selectedNameFilter())) + 1;
    if (m_values.filterIndex < 1) m_values.filterIndex = 1;
    QFileDialog::accept();
}

bool CImageSaveFileDlg::Run(ImageSaveValues& values, QWidget* parent) {
    CImageSaveFileDlg dialog(values, parent);
    if (dialog.exec() != QDialog::Accepted) return false;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty()) return false;
    values.path = QDir::cleanPath(files.first()).toStdString();
    return true;
}

void CImageSaveFileDlg::Install(QWidget* owner) {
    SetImageSaveDialogRunner([owner](ImageSaveValues& values) { return Run(values, owner ? owner->window() : nullptr); });
}

#pragma once
// The save dialog of the view export: a file dialog with the size boxes "横" and "縦" (the
// sizes offered and any typed), the buttons "最大" and "通常", and a JPEG quality slider
// shown while the JPEG file type is chosen. Controls carry their template ids as names.
#include <QFileDialog>

#include "image/view_image_export.h"

class QComboBox;
class QLabel;
class QSlider;

class CImageSaveFileDlg : public QFileDialog {
    Q_OBJECT
public:
    CImageSaveFileDlg(ImageSaveValues& values, QWidget* parent);
    void accept() override;
    // Installs the dialog as the view export's dialog.
    static void Install(QWidget* owner);
    static bool Run(ImageSaveValues& values, QWidget* parent);

private:
    void ShowQualityFor(const QString& filter);

    ImageSaveValues& m_values;
    QComboBox* m_width = nullptr;
    QComboBox* m_height = nullptr;
    QLabel* m_qualityLabel = nullptr;
    QSlider* m_quality = nullptr;
};

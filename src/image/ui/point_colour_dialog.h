#pragma once
// 頂点色情報から背景画像を作成: the modal dialog and its frame command.
#include <QDialog>

#include "image/point_colour_image.h"

class FrameCommandTarget;
class QButtonGroup;
class QCheckBox;
class QLabel;
class QPushButton;
class QSpinBox;

class CRndc2bmp : public QDialog {
    Q_OBJECT
public:
    CRndc2bmp(QWidget* parent, const PointColourDialogState& state);
    static void Install(QWidget* frame, FrameCommandTarget& commands);
    const PointColourDialogState& State() const { return m_state; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void PaintSwatch();
    void ReadControls();
    void OnCreate();
    void OnSaveImage();

    PointColourDialogState m_state;
    QButtonGroup* m_size = nullptr;
    QButtonGroup* m_fill = nullptr;
    QSpinBox* m_passes = nullptr;
    QCheckBox* m_validOnly = nullptr;
    QLabel* m_swatch = nullptr;
    QPushButton* m_create = nullptr;
    QPushButton* m_save = nullptr;
    QPushButton* m_close = nullptr;
};

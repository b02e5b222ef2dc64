#pragma once
// DXFを背景画像に変換: the modal dialog and its frame command.
#include <QDialog>

#include "image/dxf_to_image.h"

class FrameCommandTarget;
class QButtonGroup;
class QLabel;

class CDxfToImageDlg : public QDialog {
    Q_OBJECT
public:
    explicit CDxfToImageDlg(QWidget* parent);
    static void Install(QWidget* frame, FrameCommandTarget& commands);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void PaintSwatch();
    void Run();

    DxfToImageDialogState m_state;
    QButtonGroup* m_size = nullptr;
    QButtonGroup* m_width = nullptr;
    QLabel* m_swatch = nullptr;
};

#pragma once
// 背景画像設定 (223): the eight image slots with their file names, blend modes and sizes;
// delete, make main, invert the gradient and the brightness. Modeless, one instance.
#include <QDialog>

class QLineEdit;
class QTableWidget;

class CBgImageListDlg : public QDialog {
    Q_OBJECT
public:
    explicit CBgImageListDlg(QWidget* parent);
    ~CBgImageListDlg() override;
    // The frame's 背景画像選択 with a main image: opens the one instance.
    static void Open(QWidget* frame);
    static CBgImageListDlg* Instance();
    void FillImageList();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    int SelectedRow() const;
    void OnCellClicked(int row, int column);
    void OnMakeMain();
    void OnDelete();
    void OnBrightnessDone();
    void OnSwatch(bool shift);

    QTableWidget* m_list = nullptr;
    QLineEdit* m_brightness = nullptr;
};

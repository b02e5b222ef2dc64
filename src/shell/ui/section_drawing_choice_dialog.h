#pragma once
// Dialog 170: which cross-section drawing program 横断図作図 starts.
#include <QDialog>

class CSectionDrawingChoiceDlg : public QDialog {
    Q_OBJECT
public:
    explicit CSectionDrawingChoiceDlg(QWidget* parent = nullptr);
    // 0 通常の横断図, 1 土量計算横断図, 2 closed without a choice.
    static int Run(QWidget* parent);

public slots:
    // Closing by the keyboard or the title bar is the cancel code, not the first button's.
    void reject() override { done(2); }
};

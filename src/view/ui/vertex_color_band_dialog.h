#pragma once
// 頂点段彩設定 (dialog 268): colours the points by elevation when there is no TIN.
#include <QDialog>

#include "shell/tool_windows.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class CColorSwatch;

class CVertexColorBandDlg : public QDialog, public ToolWindowHandle {
    Q_OBJECT
public:
    explicit CVertexColorBandDlg(QWidget* parent);
    ~CVertexColorBandDlg() override;
    static CVertexColorBandDlg* Instance();

    void CloseToolWindow() override;

public slots:
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Sync();
    void Finish();

    QLineEdit* m_limits[4];  // centre, highest, lowest, step
    QLabel* m_max;
    QLabel* m_min;
    CColorSwatch* m_swatches[4];
    QCheckBox* m_updateNames;
    QCheckBox* m_keepExisting;
    bool m_closing = false;
};

#pragma once
// The slice quantity windows: 数量計算 (205, modal), 数量計算有効無効設定 (207, modal) and
// the modeless 数量計算一覧 (209). Controls carry their template ids as object names.
#include <QDialog>

#include "contour/slice_quantities.h"
#include "shell/tool_windows.h"

class CMSFlexGrid;
class QComboBox;

class CQuantityCalcDlg : public QDialog {
    Q_OBJECT
public:
    explicit CQuantityCalcDlg(QWidget* parent);
    // 開始: true with the rows and decimals stored.
    static bool Run(QWidget* parent);
};

class CQuantityValidDlg : public QDialog {
    Q_OBJECT
public:
    CQuantityValidDlg(QWidget* parent, QuantityValidValues& values);
    // 設定: true with values.valid set (1 有効, 0 無効).
    static bool Run(QWidget* parent, QuantityValidValues& values);
};

class CQuantityListDlg : public QDialog, public ToolWindowHandle {
    Q_OBJECT
public:
    explicit CQuantityListDlg(QWidget* parent);
    ~CQuantityListDlg() override;
    void CloseToolWindow() override;
    // The frame's 数量一覧: opens the list, or closes the open one.
    static void Toggle(QWidget* frame);
    // Opens the list when it is not open, else fills it again.
    static void Show(QWidget* frame);
    void Fill();
    CMSFlexGrid* Grid() const { return m_grid; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    CMSFlexGrid* m_grid = nullptr;
    QuantityLayout m_layout;
};

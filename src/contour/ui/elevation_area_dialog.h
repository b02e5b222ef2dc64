#pragma once
// The modeless 標高面積計算 (197) with its elevation table, and its modal dialogs
// 標高値一括入力 (199) and 面積計算用等高線計算 (208). Controls carry their template ids
// as object names.
#include <QDialog>

#include "contour/elevation_table.h"
#include "route/ui/route_list_window.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;

class CElevationAreaDlg : public CRouteListWindow {
    Q_OBJECT
public:
    explicit CElevationAreaDlg(QWidget* parent);
    ~CElevationAreaDlg() override;

    // The frame's 等高線面積計算: opens the dialog, or closes the open one.
    static void Toggle(QWidget* frame);
    // Shows row a again (the count text too); every row with RefreshAll.
    void RefreshLevelRow(int32_t a);
    void RefreshAll();

protected:
    int32_t TableCount() const override { return g_sliceLevelCount; }
    QString CellText(int32_t row, int32_t col) const override;
    void StoreCell(int32_t row, int32_t col, const QString& text) override;
    void NextCell(int32_t& row, int32_t& col) const override;
    void GridClicked() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnBatchInput();
    void OnInsert();
    void OnDelete();
    void OnLoadList();
    void OnCalcArea();
    void ShowSettings();

    QLabel* m_countText = nullptr;
    QLineEdit* m_minimumAreaEdit = nullptr;
    QComboBox* m_decimals = nullptr;
    QRadioButton* m_range[3] = {};
    double m_minimumArea = 0.001;
    int32_t m_drop = 1;
};

class CLevelBatchInputDlg : public QDialog {
    Q_OBJECT
public:
    explicit CLevelBatchInputDlg(QWidget* parent);
    // True after 登録 with all four values; they are then in `values`.
    static bool Run(QWidget* parent, LevelBatchInputValues& values);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ReadEdit(QLineEdit* edit);
    LevelBatchInputValues m_values;
    QLineEdit* m_edits[4] = {};
};

class CAreaContourMethodDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAreaContourMethodDlg(QWidget* parent);
    // 計算開始: true with g_sliceMethod, g_sliceSmoothness and the tolerance stored.
    static bool Run(QWidget* parent);

private:
    // False (said) when the tolerance typed is 0; the one before stays.
    bool StoreEdits();
    QLineEdit* m_smoothness = nullptr;
    QLineEdit* m_tolerance = nullptr;
};

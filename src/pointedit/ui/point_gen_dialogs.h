#pragma once
// The modal dialogs of the point-generating tools: オフセット指定, 点追加（平行） and
// 発生点保存方法選択.
#include <QDialog>
#include <cstdint>
#include <vector>

#include "pointedit/generated_points.h"
#include "shell/tool_windows.h"

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

// Installs the dialogs above and ２点間情報 as the tools' dialogs, over the frame.
void InstallPointGenDialogs(QWidget* frame);

class COffsetPointDlg : public QDialog, public ToolWindowHandle {
    Q_OBJECT
public:
    explicit COffsetPointDlg(QWidget* parent = nullptr);
    ~COffsetPointDlg() override;
    // Runs modally on g_offsetPointDlg; returns the last computation's OffsetPointResult.
    static int32_t Run(QWidget* parent);
    void CloseToolWindow() override { Stop(); }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void reject() override { Stop(); }

private:
    void Compute();
    void Stop();
    void ReadFields();
    void ShowFields();
    void ShowRegistration();

    QButtonGroup* m_registration;
    QButtonGroup* m_method;
    QButtonGroup* m_kind;
    QButtonGroup* m_bottomTop;
    QButtonGroup* m_bottomMethod;
    QLineEdit* m_direction;
    QLineEdit* m_distance;
    QLineEdit* m_name;
    QLineEdit* m_value;
    QLineEdit* m_circle;
    QLineEdit* m_square;
    QLineEdit* m_size;
    QLineEdit* m_move;
    QLineEdit* m_bottomValue;
    QCheckBox* m_retire;
    QGroupBox* m_polygon;
};

class CParallelAddDlg : public QDialog {
    Q_OBJECT
public:
    explicit CParallelAddDlg(QWidget* parent = nullptr);
    // Runs modally on g_parallelAddDlg: 1 追加, 0 終了 (closing the window ends as 終了).
    static int32_t Run(QWidget* parent);

protected:
    void reject() override { done(0); }

private:
    void ReadFields();
    void ShowFields();
    void Add();

    QLineEdit* m_distance;
    QCheckBox* m_both;
    QButtonGroup* m_spacing;
    QButtonGroup* m_rule;
    QLineEdit* m_divisions;
    QLineEdit* m_spacingDistance;
    QLineEdit* m_heightDiff;
    QLineEdit* m_givenZ;
    QLineEdit* m_gradient;
    QPushButton* m_moveBase;
};

class CGenPointSaveDlg : public QDialog {
    Q_OBJECT
public:
    explicit CGenPointSaveDlg(QWidget* parent = nullptr);
    // 1 with the values filled on OK, else the cancel code.
    static int32_t Run(GenPointSaveValues& values, QWidget* parent);

private:
    QLineEdit* m_name;
    QButtonGroup* m_choice;
    GenPointSaveValues m_values;
};

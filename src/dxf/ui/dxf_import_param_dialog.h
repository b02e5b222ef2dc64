#pragma once
// "ＤＸＦ取り込みパラメータ設定": what to take from a DXF drawing read as points. Controls
// carry their dialog-template ids as object names.
#include <QDialog>

#include "dxf/dxf_import_params.h"
#include "shell/ui/dialog_keys.h"

class QCheckBox;
class QRadioButton;
class QSlider;

class CDxfImportParamDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kStarted = kDialogStarted;
    static constexpr int kCancelled = kDialogAborted;
    static constexpr int kEscaped = 2;

    explicit CDxfImportParamDlg(QWidget* parent = nullptr);
    const DxfImportParams& Params() const { return m_params; }
    // Runs the dialog: kStarted, kCancelled or kEscaped; `params` takes the dialog's values
    // in every case (Esc leaves the kinds at their start values).
    static int Run(DxfImportParams& params, QWidget* parent = nullptr);

    void reject() override { done(kEscaped); }

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    void ReadKindBoxes();
    void ShowKindBoxes();
    void OnStart();

    DxfImportParams m_params;
    QCheckBox* m_kindBoxes[9] = {};
    QSlider* m_slider = nullptr;
};

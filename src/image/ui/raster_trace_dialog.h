#pragma once
// The modeless window ラスター追跡 (201) over CRasterTraceDlg; controls carry their
// template ids as object names.
#include <QDialog>
#include <map>
#include <memory>

class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QSlider;
class CColorComboBox;
class CRasterTraceDlg;

class CRasterTraceWindow : public QDialog {
    Q_OBJECT
public:
    explicit CRasterTraceWindow(QWidget* frame);
    ~CRasterTraceWindow() override;
    void RefreshControls();
    CRasterTraceDlg* Core() const { return m_core.get(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QLineEdit* AddEdit(int id);
    void EditLeft(QLineEdit* edit);
    bool FilterKey(QWidget* target, QKeyEvent* event);
    bool FilterWheel(QWheelEvent* event);
    void ShowLevelStepEdit(bool show);
    void UpdateHeight();
    void PaintSwatch();
    void OnOk();

    std::unique_ptr<CRasterTraceDlg> m_core;
    QWidget* m_frame;
    std::map<int, QLineEdit*> m_edits;
    QPushButton* m_start;
    QPushButton* m_add;
    QPushButton* m_cut;
    QPushButton* m_generate;
    QPushButton* m_undo;
    QPushButton* m_details;
    QPushButton* m_slope;
    QScrollBar* m_scroll;
    QLabel* m_levelStepLabel;
    QPlainTextEdit* m_status;
    QWidget* m_slopeSection;
    QWidget* m_detailSection;
    QCheckBox* m_heightDiff;
    QCheckBox* m_endLevel;
    QCheckBox* m_changePoints;
    QCheckBox* m_fine;
    QCheckBox* m_continuous;
    QCheckBox* m_createDxf;
    QSlider* m_sensitivity;
    QLabel* m_sensitivityLabel;
    QLabel* m_swatch;
    QButtonGroup* m_plotKind;
    QButtonGroup* m_invalid;
    QButtonGroup* m_save3d;
    CColorComboBox* m_colour;
    bool m_closed = false;
    bool m_refreshing = false;
};

// Installs the opener of ラスター追跡 for the view command.
void InstallRasterTraceWindow(QWidget* frame);

#pragma once
// The batch edit's two modal dialogs: the shape of the area (矩形多角形指定, 184) and the
// settings (ランダム点一括編集, 166). Controls carry their template ids as object names.
#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

class CSelectShapeDlg : public QDialog {
    Q_OBJECT
public:
    explicit CSelectShapeDlg(QWidget* parent);
    // 1 rectangle, 2 polygon, 3 lasso, 0 中止 (or Esc).
    static int Run(QWidget* parent);
};

class CBatchEditDlg : public QDialog {
    Q_OBJECT
public:
    explicit CBatchEditDlg(QWidget* parent);
    // 1 編集, 0 中止 or Esc. Insert or Delete held as it opens ends it with 編集 at once.
    static int Run(QWidget* parent);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void RefreshControls();
    void TakeEdits();
    void EditLeft(QLineEdit* edit);
    void ChooseColour();
    void UpdateSwatch();
    void Apply();
    void ValidityKey(bool insert);

    QCheckBox* m_elevation;
    QCheckBox* m_valid;
    QCheckBox* m_name;
    QCheckBox* m_plot;
    QRadioButton* m_givenZ;
    QRadioButton* m_heightDiff;
    QRadioButton* m_validRadio;
    QRadioButton* m_invalidRadio;
    QRadioButton* m_plotRadio[4];
    QLineEdit* m_zEdit;
    QLineEdit* m_diffEdit;
    QLineEdit* m_nameEdit;
    QPushButton* m_swatch;
    QPushButton* m_apply;
    QPushButton* m_cancel;
};

// Installs the shape dialog for 32914, the settings dialog for the three shapes and the
// lasso's runner.
void InstallBatchEditDialogs(QWidget* frame);
void UninstallBatchEditDialogs();

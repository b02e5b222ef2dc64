#pragma once
// The modeless window 可視領域計算 (271) over CVisibilityDlg; controls carry their
// template ids as object names.
#include <QDialog>
#include <map>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class CVisibilityDlg;

class CVisibilityWindow : public QDialog {
    Q_OBJECT
public:
    explicit CVisibilityWindow(QWidget* frame);
    ~CVisibilityWindow() override;
    void RefreshControls();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void EditLeft(QLineEdit* edit, bool byEnter, bool byEscape);
    void ChooseColor(bool visible);

    std::unique_ptr<CVisibilityDlg> m_core;
    std::map<int, QLineEdit*> m_edits;
    QPushButton* m_pick;
    QRadioButton* m_slots[3];
    QCheckBox* m_useSector;
    QCheckBox* m_useMaxDistance;
    QCheckBox* m_showProgress;
    QComboBox* m_mapSize;
    QPushButton* m_create;
    QPushButton* m_discard;
    QPushButton* m_visible;
    QPushButton* m_invisible;
    QPushButton* m_clearAll;
    QPushButton* m_outOfRange;
    QLabel* m_status;
    QPushButton* m_visibleSwatch;
    QPushButton* m_invisibleSwatch;
    bool m_escaped = false;
};

// Installs the window's factory for 可視領域計算.
void InstallVisibilityWindow(QWidget* frame);

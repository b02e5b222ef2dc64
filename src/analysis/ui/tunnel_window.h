#pragma once
// トンネル展開 (259): the window of CTunnelDevelopDlg. Modeless, one at a time.
#include <QDialog>
#include <memory>

class CTunnelDevelopDlg;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

class CTunnelDevelopWindow : public QDialog {
    Q_OBJECT
public:
    explicit CTunnelDevelopWindow(QWidget* frame);
    ~CTunnelDevelopWindow() override;
    void RefreshControls();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void EditLeft(QLineEdit* edit);

    std::unique_ptr<CTunnelDevelopDlg> m_core;
    bool m_closing = false;
    QRadioButton* m_twoPoints;
    QRadioButton* m_chain;
    QPushButton* m_pick1;
    QPushButton* m_pick2;
    QLabel* m_base1;
    QLabel* m_base2;
    QLabel* m_heightLabel;
    QLineEdit* m_height;
    QLineEdit* m_width;
    QLineEdit* m_distance;
    QPushButton* m_import;
    QPushButton* m_cylinder;
    QPushButton* m_sphere;
    QPushButton* m_restore;
    QCheckBox* m_flip;
    QRadioButton* m_highest;
    QRadioButton* m_lowest;
    QLabel* m_message;
};

// Installs the window's factory for トンネル展開.
void InstallTunnelWindow(QWidget* frame);
void UninstallTunnelWindow();

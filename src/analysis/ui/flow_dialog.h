#pragma once
// The modeless window 流水設定 (229) over CFlowDlg: pages エリア and 動作; controls carry
// their template ids as object names.
#include <QDialog>
#include <map>
#include <memory>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QTabBar;
class CFlowDlg;

class CFlowWindow : public QDialog {
    Q_OBJECT
public:
    explicit CFlowWindow(QWidget* frame);
    ~CFlowWindow() override;
    void RefreshControls();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void ShowPage(int page);
    void ChooseColor(bool line);

    std::unique_ptr<CFlowDlg> m_core;
    QTabBar* m_tabs;
    QWidget* m_pages[2];
    std::map<int, QLineEdit*> m_edits;
    QPushButton* m_lineSwatch;
    QPushButton* m_arrowSwatch;
    QCheckBox* m_keepOld;
};

void InstallFlowWindow(QWidget* frame);

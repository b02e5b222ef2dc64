#pragma once
// The modeless window 白線ID設定 (224) over CLineNumberDlg; controls carry their template
// ids as object names.
#include <QDialog>
#include <memory>

class QCheckBox;
class QLineEdit;
class QPushButton;
class CLineNumberDlg;

class CLineNumberWindow : public QDialog {
    Q_OBJECT
public:
    explicit CLineNumberWindow(QWidget* frame);
    ~CLineNumberWindow() override;
    void RefreshControls();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void EditLeft(QLineEdit* edit);

    std::unique_ptr<CLineNumberDlg> m_core;
    QLineEdit* m_width;
    QLineEdit* m_nextId;
    QPushButton* m_start;
    QPushButton* m_append;
    QCheckBox* m_triangles;
};

// Installs the window's factory for 線番号設定.
void InstallLineNumberWindow(QWidget* frame);
void UninstallLineNumberWindow();

#pragma once
// The backup reminder: offers to save the random data, save them under a new name, or
// write the backup snapshot; it closes itself after 20 seconds.
#include <QDialog>
#include <QTimer>
#include <functional>
#include <string>

class CMainFrame;
class QLabel;
class QPushButton;

class CBackup_MSG : public QDialog {
    Q_OBJECT
public:
    explicit CBackup_MSG(CMainFrame* frame);
    ~CBackup_MSG() override;

    QPushButton* Button(int controlId) const;  // 1043, 1044, 1045, 1242, 1188
    QLabel* PathLabel() const { return m_pathLabel; }
    bool CountdownActive() const { return m_countdown.isActive(); }

    // How another backup file name is chosen (default: a save dialog); empty cancels.
    void SetFileChooser(std::function<std::string(const std::string& start)> chooser) {
        m_fileChooser = std::move(chooser);
    }

    void OnSave();              // 1043
    void OnSaveAs();            // 1044
    void OnWriteBackup();       // 1045
    void OnChangeBackupName();  // 1242

protected:
    void showEvent(QShowEvent* event) override;

private:
    void ShowPath();
    CMainFrame* m_frame;
    QLabel* m_pathLabel = nullptr;
    QTimer m_countdown;
    std::function<std::string(const std::string&)> m_fileChooser;
};

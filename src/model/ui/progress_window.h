#pragma once
// The Qt windows behind the core's progress windows: the main one ("IDD_MAKETRI", caption
// "三角網計算中", two text lines and a note) and the record-progress dialog 134.
#include <QDialog>

#include "model/progress.h"

class QLabel;

// Makes the core open its progress windows as Qt dialogs owned by `owner` (the main
// frame); a window destroyed with its owner ends the busy state. nullptr keeps the owner
// unset (top-level windows).
void InstallQtProgressWindows(QWidget* owner);

class CProgressDialog : public QDialog, public ProgressWindow {
    Q_OBJECT
public:
    explicit CProgressDialog(QWidget* owner);
    ~CProgressDialog() override;
    void Refresh() override;
    void SetCaption(const std::string& utf8) override;
    void ShowNote(const std::string& utf8) override;
    void Destroy() override;

    QString FirstLine() const;
    QString SecondLine() const;
    QString Note() const;

protected:
    // Escape and the close button ask the running loop to stop; the window stays until it
    // has ended.
    void reject() override;

private:
    QLabel* m_first;
    QLabel* m_second;
    QLabel* m_note;
};

class CRecordProgressDlg : public QDialog, public ProgressWindow {
    Q_OBJECT
public:
    explicit CRecordProgressDlg(QWidget* owner);
    ~CRecordProgressDlg() override;
    void Refresh() override;
    void SetCaption(const std::string& utf8) override;
    void ShowNote(const std::string&) override {}
    void Destroy() override;

    QString CaptionLine() const;
    QString CounterLine() const;

protected:
    void reject() override;

private:
    QLabel* m_caption;  // 1007
    QLabel* m_counter;  // 1008
};

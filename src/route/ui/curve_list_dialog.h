#pragma once
// The modal dialog "曲線要素リスト": the report of one IP (1021), 次 (1024), 前 (1025),
// テキスト出力 (1136) and 閉じる (1133). Controls carry their template ids as object names.
#include <QDialog>

class QLabel;

class CCurveElementListDlg : public QDialog {
    Q_OBJECT
public:
    explicit CCurveElementListDlg(QWidget* parent = nullptr);
    ~CCurveElementListDlg() override;

    // Runs the dialog modally.
    static void Run(QWidget* parent);

    void OnNext();
    void OnPrevious();
    void OnClose();

private:
    void Show(const std::string& text);

    QLabel* m_report = nullptr;
};

#pragma once
// The modal dialog "座標データの登録" (132): one IP through the working copy `g_ipEdit`.
// 登録 (1004) ends with 0, ｷｬﾝｾﾙ (2), Escape and the right button with a nonzero result.
#include <QDialog>
#include <map>

class QLabel;
class QLineEdit;

class CCoordRegisterDlg : public QDialog {
    Q_OBJECT
public:
    explicit CCoordRegisterDlg(QWidget* parent = nullptr);
    ~CCoordRegisterDlg() override;

    // Runs the dialog modally and returns its result.
    static int Run(QWidget* parent);
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void FieldLeft(QLineEdit* edit);
    void ShowFields();
    void OnStore();

    std::map<QLineEdit*, int> m_fields;
    QLabel* m_number = nullptr;
};

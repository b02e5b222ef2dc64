#pragma once
// The point selection dialog "ランダム点選択" (template 102): the points of one duplicate
// group in list 1134, 決定 (1135) and 中止 (1088).
#include <QDialog>
#include <vector>

class QTreeWidget;

class CDupPointSelectDlg : public QDialog {
    Q_OBJECT
public:
    CDupPointSelectDlg(const std::vector<int32_t>& group, QWidget* parent = nullptr);

    // Runs the dialog modally: the row chosen (0-based), -1 when no row has the focus, -2
    // for 中止.
    static int32_t Run(const std::vector<int32_t>& group, QWidget* parent);

    void reject() override;

private:
    void Choose();

    QTreeWidget* m_list = nullptr;
};

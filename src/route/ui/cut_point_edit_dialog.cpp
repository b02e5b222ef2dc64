#include "route/ui/cut_point_edit_dialog.h"

#include <QPushButton>
#include <QVBoxLayout>

#include "route/cut_positions.h"

CCutPointEditDlg::CCutPointEditDlg(QWidget* parent) : QDialog(parent) {
    setObjectName("cutPointEditDialog");
    setWindowTitle(QString::fromUtf8("切出し座標編集"));
    auto* layout = new QVBoxLayout(this);
    const std::pair<int, const char*> buttons[] = {
        {kCutCentreButton, "センター点登録"},   {kCutLeftButton, "左幅杭点登録"},
        {kCutRightButton, "右幅杭点登録"},      {kCutDeleteAllButton, "全ての測点削除"},
        {kCutDeleteLeftButton, "左幅杭点全削除"}, {kCutDeleteRightButton, "右幅杭点全削除"},
        {kCutCancelButton, "中止"}};
    for (const auto& [id, text] : buttons) {
        auto* button = new QPushButton(QString::fromUtf8(text), this);
        button->setObjectName(QString::number(id));
        button->setAutoDefault(false);
        button->setEnabled(CutPointEditButtonEnabled(id));
        layout->addWidget(button);
        connect(button, &QPushButton::clicked, this, [this, id = id] {
            if (id == kCutCancelButton) {
                done(kCutCancelResult);
            } else if (id == kCutCentreButton || id == kCutLeftButton || id == kCutRightButton) {
                done(StartStakeRegistration(id));
            } else if (const int result = DeleteStakesAfterQuestion(id)) {
                done(result);
            }
        });
    }
}

int CCutPointEditDlg::Run(QWidget* parent) {
    CCutPointEditDlg dialog(parent);
    const int result = dialog.exec();
    // Escape closes it like 中止.
    return result == QDialog::Rejected ? kCutCancelResult : result;
}

#pragma once
// The dialog "ランダムデータの合成" (196): the width to widen the outline by (edit 1082, typed
// or turned with the mouse wheel) and the two ways to merge, 現在のデータに追加 (1232) and
// 新規ファイルに保存 (1233). It has no cancel: no close box, Enter and Escape do nothing.
// Controls carry their template ids as object names.
#include <QDialog>
#include <functional>

#include "model/random_merge.h"

class FrameCommandTarget;
class QLineEdit;

class CRandomMergeDlg : public QDialog {
    Q_OBJECT
public:
    CRandomMergeDlg(RandomMergeValues& values, QWidget* parent = nullptr);

    // Runs the dialog modally over `values`.
    static void Run(RandomMergeValues& values, QWidget* parent);
    // ランダムデータ合成 (32864); `runAutoOutline` runs the automatic outline command.
    static void Install(QWidget* frame, FrameCommandTarget& commands, std::function<void()> runAutoOutline);

    void reject() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void Choose(int32_t choice);

    RandomMergeValues& m_values;
    QLineEdit* m_width = nullptr;
};

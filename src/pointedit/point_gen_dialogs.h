#pragma once
// The modal dialogs that the point-generating tools (offset, parallel, two-point, TIN
// crossings) run. The program installs them at start; without one (tests, host requests)
// the tool takes the answer in brackets.
#include <cstdint>
#include <functional>

struct GenPointSaveValues;

struct PointGenDialogs {
    // オフセット指定: the dialog's last computation (OffsetPointResult); [close, nothing made].
    std::function<int32_t()> runOffsetDialog;
    // 点追加（平行）: 1 追加 (the values are in g_parallelAddDlg), 0 終了. [0]
    std::function<int32_t()> runParallelDialog;
    // ２点間情報 on g_pickedPoint and g_pickedPoint2: 0 OK, 2 Esc. [2]
    std::function<int32_t()> runTwoPointInfo;
    // 発生点保存方法選択: 1 OK with the values filled, else cancel. [cancel]
    std::function<int32_t(GenPointSaveValues&)> runGenPointSave;
};
PointGenDialogs& PointGenDialogHooks();

#pragma once
// The frame commands of holes and of the outline and hole files: 外周保存 (32928),
// 外周読込 (32929), 中抜読込 (32931), 中抜保存 (33055), 中抜解除 (32956), 中抜反転 (32957).
#include <cstdint>
#include <functional>

class FrameCommandTarget;

// The modal hole-kind dialog: returns the kind selected when it closes (HoleKind). The
// program installs its window; without one the kind is the dialog's start value (0).
void SetHoleKindChooser(std::function<int32_t()> chooser);
int32_t RunHoleKindDialog();

// The switches of the hole-type window 中抜登録 (276), one per surface kind, as it opens.
struct HoleTypeValues {
    int32_t current = 0;
    int32_t plan = 1;
    int32_t slope = 1;
    int32_t water = 1;
    int32_t building = 1;
};
// Its buttons 中抜登録 (register true) and 解除: the selected kinds, then a full redraw.
void ApplyHoleTypes(const HoleTypeValues& values, bool registerHoles);

// With questions and messages; they change nothing without a TIN.
void ReleaseAllHoles();
void InvertHoles();

void OnOutlineSave();   // 32928
void OnOutlineLoad();   // 32929
void OnHoleLoad();      // 32931
void OnHoleSave();      // 33055
void OnHoleRelease();   // 32956
void OnHoleInvert();    // 32957

void RegisterHoleCommands(FrameCommandTarget& commands);

#pragma once
// XY反転 (256): which data sets to swap. Controls carry their template ids as object names.
#include <QDialog>

#include "pointedit/xy_swap.h"

class QCheckBox;

class CXY_chg : public QDialog {
    Q_OBJECT
public:
    CXY_chg(XySwapChoice& choice, QWidget* parent);
    // Modal; true for 実行 (the choice then holds the ticks), false for 中止.
    static bool Run(XySwapChoice& choice, QWidget* parent);

private:
    QCheckBox* Box(int id, const char* text, int32_t& word);
    XySwapChoice& m_choice;
};

#pragma once
// The dialog "指定データを消去" (181): one check box per kind of loaded data, enabled when the
// kind is present; 実行 (1033) ends it with 1, 中止 (1159) with 0. Controls carry their
// template ids as object names.
#include <QDialog>

#include "model/data_clear.h"

class CommandHandlerMap;
class QCheckBox;

class CDataClearDlg : public QDialog {
    Q_OBJECT
public:
    CDataClearDlg(DataClearValues& values, QWidget* parent = nullptr);

    // Runs the dialog modally over `values`; its result.
    static int Run(DataClearValues& values, QWidget* parent);
    // データクリアー (32964) on the view's commands.
    static void Install(QWidget* view, CommandHandlerMap& viewCommands);

private:
    void ShowTicks();

    DataClearValues& m_values;
    struct Box {
        int32_t DataClearValues::*member;
        QCheckBox* box;
    };
    std::vector<Box> m_boxes;
};

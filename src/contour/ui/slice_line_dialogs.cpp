#include "contour/ui/slice_line_dialogs.h"

#include <QButtonGroup>
#include <QDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "contour/slice_line_tool.h"
#include "contour/slice_quantities.h"
#include "model/numeric_text.h"
#include "platform/text_io.h"
#include "shell/ui/enter_as_tab.h"

namespace {
QString Text(const std::string& utf8) { return QString::fromStdString(utf8); }

// A group of radio buttons whose checked index is written to `value` at each click.
QGroupBox* RadioGroup(QWidget* parent, const char* title, std::initializer_list<const char*> names,
                      int current, const std::function<void(int)>& clicked) {
    auto* box = new QGroupBox(QString::fromUtf8(title), parent);
    auto* layout = new QHBoxLayout(box);
    auto* group = new QButtonGroup(box);
    int id = 0;
    for (const char* name : names) {
        auto* b = new QRadioButton(QString::fromUtf8(name), box);
        b->setObjectName(QString::fromUtf8(name));
        group->addButton(b, id);
        layout->addWidget(b);
        if (id == current) b->setChecked(true);
        ++id;
    }
    QObject::connect(group, &QButtonGroup::idClicked, box, clicked);
    return box;
}

// 等高線面積情報: every change goes into the values at once, so closing in any way keeps it.
void RunAreaInfo(QWidget* frame, ContourAreaInfoValues& v) {
    QDialog dialog(frame);
    dialog.setObjectName("CContourAreaInfoDlg");
    dialog.setWindowTitle(QString::fromUtf8("等高線面積情報"));
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(RadioGroup(&dialog, "属性", {"地表面", "貯水面", "判定不能"}, v.kind,
                                 [&v](int id) { v.kind = id; }));
    layout->addWidget(RadioGroup(&dialog, "数量計算", {"有効", "無効"}, v.valid == 1 ? 0 : 1,
                                 [&v](int id) { v.valid = id == 0 ? 1 : 0; }));
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QString::fromUtf8("標高："), &dialog), 0, 0);
    grid->addWidget(new QLabel(Text(FormatString("[%8.3f]m", v.elevation)), &dialog), 0, 1);
    grid->addWidget(new QLabel(QString::fromUtf8("点数："), &dialog), 1, 0);
    grid->addWidget(new QLabel(Text(FormatString("[%d]", v.count)), &dialog), 1, 1);
    grid->addWidget(new QLabel(QString::fromUtf8("面積："), &dialog), 2, 0);
    auto* area = new QLineEdit(Text(FormatString("%.3f", v.area)), &dialog);
    area->setObjectName("area");
    grid->addWidget(area, 2, 1);
    layout->addLayout(grid);
    // A value that is not a number keeps the area it had.
    QObject::connect(area, &QLineEdit::editingFinished, &dialog, [&v, area] {
        double value = 0;
        if (ParseDialogNumber(area->text().toStdString(), &value)) v.area = value;
        area->setText(Text(FormatString("%.3f", v.area)));
    });
    auto* close = new QPushButton(QString::fromUtf8("閉じる"), &dialog);
    close->setProperty("enterActs", true);
    close->setAutoDefault(false);
    QObject::connect(close, &QPushButton::clicked, &dialog, [&dialog, area] {
        emit area->editingFinished();
        dialog.accept();
    });
    layout->addWidget(close);
    InstallEnterAsTab(&dialog);
    dialog.exec();
}

}  // namespace

void InstallSliceLineDialogs(QWidget* frame) {
    SliceLineDialogs& d = SliceLineDialogHooks();
    d.runAreaInfo = [frame](ContourAreaInfoValues& v) { RunAreaInfo(frame, v); };
    d.runQuantityValid = [](int32_t& valid) {
        QuantityValidValues values{valid};
        if (!RunQuantityValidDialog(values)) return 0;
        valid = values.valid;
        return 1;
    };
}

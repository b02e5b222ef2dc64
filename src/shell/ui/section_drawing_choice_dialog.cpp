#include "shell/ui/section_drawing_choice_dialog.h"

#include <QPushButton>
#include <QVBoxLayout>

#include "shell/sibling_programs.h"

CSectionDrawingChoiceDlg::CSectionDrawingChoiceDlg(QWidget* parent) : QDialog(parent) {
    setObjectName("sectionDrawingChoiceDialog");
    setWindowTitle(QString::fromUtf8("横断図の選択"));
    auto* layout = new QVBoxLayout(this);
    auto add = [&](int id, const char* text, int code) {
        auto* button = new QPushButton(QString::fromUtf8(text), this);
        button->setObjectName(QString::number(id));
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, [this, code] { done(code); });
        layout->addWidget(button);
    };
    add(1047, "通常の横断図", kChoiceNormal);
    add(1062, "土量計算横断図", kChoiceEarthwork);
}

int CSectionDrawingChoiceDlg::Run(QWidget* parent) {
    CSectionDrawingChoiceDlg dialog(parent);
    return dialog.exec();
}

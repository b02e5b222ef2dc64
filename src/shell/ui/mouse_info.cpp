#include "shell/ui/mouse_info.h"

#include <QLabel>
#include <QVBoxLayout>

CMouseInfo::CMouseInfo(QWidget* owner) : QDialog(owner) {
    setObjectName("mouseInfo");
    setWindowTitle(QString());
    setModal(false);
    auto* layout = new QVBoxLayout(this);
    for (const char* line :
         {"ALTキー＋マウス左ボタン：地形回転", "Ctrlキー＋マウス左ボタン：地形回転",
          "ALTlキー＋マウスホイール：縦倍率変更", "Shiftキー＋マウス左ボタン：地形回転"})
        layout->addWidget(new QLabel(QString::fromUtf8(line), this));
}

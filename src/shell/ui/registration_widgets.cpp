#include "shell/ui/registration_widgets.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

QCheckBox* MakePushLike(QCheckBox* box) {
    box->setStyleSheet("QCheckBox::indicator { width: 0; height: 0; } QCheckBox { border: 1px solid gray; padding: 3px; }"
                       "QCheckBox:checked { background: palette(dark); }");
    return box;
}

QPlainTextEdit* AddRegistrationPrompt(QWidget* dialog, QVBoxLayout* layout) {
    auto* prompt = new QPlainTextEdit(dialog);
    prompt->setObjectName("1082");
    prompt->setReadOnly(true);
    prompt->setMaximumHeight(48);
    layout->addWidget(prompt);
    return prompt;
}

void AddVertexButtons(QWidget* group, QGridLayout* grid, QCheckBox* vertex[4],
                      const std::function<void(int vertex, bool on)>& clicked) {
    const char* texts[4] = {"頂点１", "頂点２", "頂点３", "頂点４"};
    for (int k = 1; k <= 4; ++k) {
        vertex[k - 1] = MakePushLike(new QCheckBox(QString::fromUtf8(texts[k - 1]), group));
        vertex[k - 1]->setObjectName(QString::number(1204 + k));
        grid->addWidget(vertex[k - 1], 0, k - 1);
        QObject::connect(vertex[k - 1], &QCheckBox::clicked, group, [clicked, k](bool on) { clicked(k, on); });
    }
}

RegistrationButtons AddRegistrationButtons(QWidget* dialog, QVBoxLayout* layout) {
    RegistrationButtons b;
    auto* row = new QHBoxLayout;
    b.reset = new QPushButton(QString::fromUtf8("リセット"), dialog);
    b.reset->setObjectName("3");
    b.cancel = new QPushButton(QString::fromUtf8("キャンセル"), dialog);
    b.cancel->setObjectName("2");
    b.registration = new QPushButton(QString::fromUtf8("登録"), dialog);
    b.registration->setObjectName("1");
    for (QPushButton* button : {b.reset, b.cancel, b.registration}) {
        button->setAutoDefault(false);
        row->addWidget(button);
    }
    layout->addLayout(row);
    return b;
}

void PaintSetVertices(QWidget* dialog, QCheckBox* const vertex[4], const std::function<bool(int index)>& isSet) {
    QPainter painter(dialog);
    for (int k = 0; k < 4 && isSet(k); ++k) {
        const QRect r(vertex[k]->mapTo(dialog, QPoint(0, 0)), vertex[k]->size());
        painter.fillRect(r.adjusted(-3, -3, 3, 3), QColor(255, 0, 0));
    }
}

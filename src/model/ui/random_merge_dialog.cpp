#include "model/ui/random_merge_dialog.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWheelEvent>

#include "shell/command_routing.h"

CRandomMergeDlg::CRandomMergeDlg(RandomMergeValues& values, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), m_values(values) {
    setObjectName("randomMergeDialog");
    setWindowTitle(QString::fromUtf8("ランダムデータの合成"));
    m_width = new QLineEdit(this);
    m_width->setObjectName("1082");
    m_width->setAlignment(Qt::AlignRight);
    auto button = [this](const char* text, const char* id) {
        auto* b = new QPushButton(QString::fromUtf8(text), this);
        b->setObjectName(id);
        b->setAutoDefault(false);
        return b;
    };
    QPushButton* append = button("現在のデータに追加", "1232");
    QPushButton* newFile = button("新規ファイルに保存", "1233");
    connect(append, &QPushButton::clicked, this, [this] { Choose(kMergeAppend); });
    connect(newFile, &QPushButton::clicked, this, [this] { Choose(kMergeNewFile); });
    connect(m_width, &QLineEdit::textChanged, this, [this](const QString& text) {
        m_values.widthText = text.toStdString();
        RandomMergeWidthEdited(m_values);
    });

    auto* widthRow = new QHBoxLayout;
    widthRow->addWidget(new QLabel(QString::fromUtf8("拡張する外周幅"), this));
    widthRow->addWidget(m_width, 1);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(append);
    buttons->addWidget(newFile);
    auto* body = new QHBoxLayout;
    body->addWidget(new QLabel(QString::fromUtf8("合成データの登録方法\nを選択してください。"), this));
    body->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body);
    layout->addLayout(widthRow);

    m_values.width = 0.0;
    m_width->setText(QStringLiteral("0"));  // sets the text of the values too
}

void CRandomMergeDlg::Choose(int32_t choice) {
    m_values.widthText = m_width->text().toStdString();
    if (!RandomMergeTextAccepted(m_values)) return;
    RandomMergeWidthEdited(m_values);
    m_values.choice = choice;
    done(choice);
}

// Only the two buttons end the dialog.
void CRandomMergeDlg::reject() {}

void CRandomMergeDlg::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape:
            event->accept();
            return;
        default:
            QDialog::keyPressEvent(event);
    }
}

void CRandomMergeDlg::wheelEvent(QWheelEvent* event) {
    RandomMergeWheel(event->angleDelta().y(), m_values);
    m_width->setText(QString::fromStdString(m_values.widthText));
    event->accept();
}

void CRandomMergeDlg::Run(RandomMergeValues& values, QWidget* parent) {
    CRandomMergeDlg dialog(values, parent);
    dialog.exec();
}

void CRandomMergeDlg::Install(QWidget* frame, FrameCommandTarget& commands,
                              std::function<void()> runAutoOutline) {
    QPointer<QWidget> owner(frame);
    commands.SetHandler(32864, [owner, runAutoOutline] {
        OnRandomDataMerge([owner](RandomMergeValues& values) { Run(values, owner); },
                          runAutoOutline);
    });
}

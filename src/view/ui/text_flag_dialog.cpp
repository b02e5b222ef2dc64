#include "view/ui/text_flag_dialog.h"

#include <algorithm>

#include <QButtonGroup>
#include <QCloseEvent>
#include <QColorDialog>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "platform/encoding.h"
#include "shell/ui/dialog_keys.h"
#include "shell/tool_commands.h"
#include "view/text_flag_tool.h"
#include "view/view_navigation.h"

namespace {
QString Utf8(const char* text) { return QString::fromUtf8(text); }
QString FromCp932(const std::string& text) { return QString::fromStdString(Cp932ToUtf8(text)); }
std::string ToCp932(const QString& text) { return Utf8ToCp932(text.toStdString()); }

QPushButton* Button(QWidget* parent, const char* name, const char* text) {
    auto* b = new QPushButton(Utf8(text), parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

QColor FromColorRef(int32_t c) { return QColor(c & 255, (c >> 8) & 255, (c >> 16) & 255); }
}  // namespace

CTextFlagWindow::CTextFlagWindow(QWidget* frame) : QDialog(frame), m_core(new CTextFlagDlg) {
    setObjectName("textFlagDialog");
    setWindowTitle(Utf8("テキストフラグ"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);

    auto* top = new QVBoxLayout(this);
    auto* buttons = new QHBoxLayout;
    const char* modeNames[3][2] = {{"add", "追加"}, {"edit", "編集"}, {"delete", "削除"}};
    for (int i = 0; i < 3; ++i) {
        m_modeButtons[i] = Button(this, modeNames[i][0], modeNames[i][1]);
        m_modeButtons[i]->setCheckable(true);
        buttons->addWidget(m_modeButtons[i]);
        connect(m_modeButtons[i], &QPushButton::clicked, this,
                [this, i] { m_core->OnMode(static_cast<CTextFlagDlg::Mode>(i + 1)); });
    }
    QPushButton* load = Button(this, "load", "読込");
    QPushButton* save = Button(this, "save", "保存");
    QPushButton* closeButton = Button(this, "close", "閉じる");
    buttons->addWidget(load);
    buttons->addWidget(save);
    buttons->addWidget(closeButton);
    top->addLayout(buttons);
    auto* allRow = new QHBoxLayout;
    allRow->addWidget(new QLabel(Utf8("線長一括変更"), this));
    m_allLineLengths = AddEdit("allLineLengths");
    allRow->addWidget(m_allLineLengths);
    allRow->addStretch();
    top->addLayout(allRow);

    m_editPart = new QWidget(this);
    m_editPart->setObjectName("editPart");
    auto* grid = new QGridLayout(m_editPart);
    grid->setContentsMargins(0, 0, 0, 0);
    m_text = AddEdit("text");
    m_link = AddEdit("link");
    m_x = AddEdit("x");
    m_y = AddEdit("y");
    m_z = AddEdit("z");
    m_lineLength = AddEdit("lineLength");
    m_size = AddEdit("size");
    for (QLineEdit* e : {m_text, m_link, m_x, m_y, m_z, m_lineLength, m_size}) e->setParent(m_editPart);
    QPushButton* browse = Button(m_editPart, "browse", "参照");
    grid->addWidget(new QLabel(Utf8("テキスト"), m_editPart), 0, 0);
    grid->addWidget(m_text, 0, 1, 1, 4);
    grid->addWidget(new QLabel(Utf8("リンク"), m_editPart), 1, 0);
    grid->addWidget(m_link, 1, 1, 1, 3);
    grid->addWidget(browse, 1, 4);
    grid->addWidget(new QLabel("X", m_editPart), 2, 0);
    grid->addWidget(m_x, 2, 1);
    grid->addWidget(new QLabel("Y", m_editPart), 2, 2);
    grid->addWidget(m_y, 2, 3);
    grid->addWidget(new QLabel("Z", m_editPart), 3, 0);
    grid->addWidget(m_z, 3, 1);
    grid->addWidget(new QLabel(Utf8("線長"), m_editPart), 3, 2);
    grid->addWidget(m_lineLength, 3, 3);

    auto* colourRow = new QHBoxLayout;
    auto* colourGroup = new QButtonGroup(this);
    for (int i = 0; i < 4; ++i) {
        m_colours[i] = new QRadioButton(QString::number(i + 1), m_editPart);
        m_colours[i]->setObjectName(QString("colour%1").arg(i + 1));
        colourGroup->addButton(m_colours[i], i + 1);
        m_swatches[i] = Button(m_editPart, "", "");
        m_swatches[i]->setObjectName(QString("swatch%1").arg(i + 1));
        m_swatches[i]->setFixedSize(24, 18);
        colourRow->addWidget(m_colours[i]);
        colourRow->addWidget(m_swatches[i]);
        connect(m_colours[i], &QRadioButton::clicked, this, [this, i] { m_core->Fields().colour = i + 1; });
        connect(m_swatches[i], &QPushButton::clicked, this, [this, i] { ChooseColour(i + 1); });
    }
    grid->addWidget(new QLabel(Utf8("色"), m_editPart), 4, 0);
    grid->addLayout(colourRow, 4, 1, 1, 4);

    m_sizeClass = new QComboBox(m_editPart);
    m_sizeClass->setObjectName("sizeClass");
    m_sizeClass->addItems({Utf8("小"), Utf8("中"), Utf8("大")});
    grid->addWidget(new QLabel(Utf8("サイズ"), m_editPart), 5, 0);
    grid->addWidget(m_sizeClass, 5, 1);
    grid->addWidget(m_size, 5, 2);
    connect(m_sizeClass, QOverload<int>::of(&QComboBox::activated), this, [this](int index) {
        m_size->setText(QString::fromStdString(m_core->OnSizeClass(index)));
    });

    QPushButton* registerButton = Button(m_editPart, "register", "登録");
    QPushButton* cancel = Button(m_editPart, "cancel", "中止");
    grid->addWidget(registerButton, 6, 3);
    grid->addWidget(cancel, 6, 4);
    top->addWidget(m_editPart);

    m_core->refreshControls = [this] { RefreshControls(); };
    m_core->focusText = [this] { m_text->setFocus(); };
    connect(load, &QPushButton::clicked, this, [this] { m_core->OnLoad(); });
    connect(save, &QPushButton::clicked, this, [this] { m_core->OnSave(); });
    connect(closeButton, &QPushButton::clicked, this, [this] { close(); });
    connect(browse, &QPushButton::clicked, this, [this] {
        PullFields();
        m_core->OnBrowseLink();
    });
    connect(registerButton, &QPushButton::clicked, this, [this] {
        PullFields();
        m_core->OnRegister();
    });
    connect(cancel, &QPushButton::clicked, this, [this] { m_core->OnCancel(); });

    SetToolWindow(ToolWindow::kTextFlag, this);
    RefreshControls();
}

CTextFlagWindow::~CTextFlagWindow() { ClearToolWindow(ToolWindow::kTextFlag, this); }

QLineEdit* CTextFlagWindow::AddEdit(const char* name) {
    auto* e = new QLineEdit(this);
    e->setObjectName(name);
    e->installEventFilter(this);
    return e;
}

void CTextFlagWindow::PullFields() {
    TextFlagFields& f = m_core->Fields();
    f.text = ToCp932(m_text->text());
    f.link = ToCp932(m_link->text());
    f.x = m_x->text().toStdString();
    f.y = m_y->text().toStdString();
    f.z = m_z->text().toStdString();
    f.lineLength = m_lineLength->text().toStdString();
    f.sizeClass = m_sizeClass->currentIndex() + 1;
}

void CTextFlagWindow::RefreshControls() {
    if (!m_core) return;
    const TextFlagFields& f = m_core->Fields();
    for (int i = 0; i < 3; ++i) m_modeButtons[i]->setChecked(m_core->CurrentMode() == i + 1);
    m_text->setText(FromCp932(f.text));
    m_link->setText(FromCp932(f.link));
    m_x->setText(QString::fromStdString(f.x));
    m_y->setText(QString::fromStdString(f.y));
    m_z->setText(QString::fromStdString(f.z));
    m_lineLength->setText(QString::fromStdString(f.lineLength));
    m_colours[std::clamp(f.colour, 1, 4) - 1]->setChecked(true);
    m_sizeClass->setCurrentIndex(std::clamp(f.sizeClass, 1, 3) - 1);
    m_size->setText(QString::fromStdString(m_core->SizeText()));
    for (int i = 0; i < 4; ++i)
        m_swatches[i]->setStyleSheet(
            QString("background-color: %1; border: 1px solid gray;")
                .arg(FromColorRef(CTextFlagDlg::FlagColour(i + 1)).name()));
    if (m_editPart->isHidden() == m_core->EditPartShown()) {
        m_editPart->setVisible(m_core->EditPartShown());
        adjustSize();
    }
}

void CTextFlagWindow::ChooseColour(int colourClass) {
    const QColor chosen = QColorDialog::getColor(FromColorRef(CTextFlagDlg::FlagColour(colourClass)), this);
    if (!chosen.isValid()) return;
    m_core->SetFlagColour(colourClass, chosen.red() | chosen.green() << 8 | chosen.blue() << 16);
}

void CTextFlagWindow::EditLeft(QLineEdit* edit) {
    if (!m_core) return;
    const std::string text = edit->text().toStdString();
    if (edit == m_text) {
        edit->setText(FromCp932(m_core->TextLeft(ToCp932(edit->text()))));
    } else if (edit == m_link) {
        edit->setText(FromCp932(m_core->LinkLeft(ToCp932(edit->text()))));
    } else if (edit == m_x || edit == m_y || edit == m_z) {
        edit->setText(QString::fromStdString(m_core->NumberLeft(text)));
    } else if (edit == m_lineLength) {
        edit->setText(QString::fromStdString(m_core->LineLengthLeft(text)));
    } else if (edit == m_size) {
        m_core->Fields().sizeClass = m_sizeClass->currentIndex() + 1;
        edit->setText(QString::fromStdString(m_core->SizeLeft(text)));
    } else if (edit == m_allLineLengths) {
        edit->setText(QString::fromStdString(m_core->AllLineLengths(text)));
    }
}

bool CTextFlagWindow::eventFilter(QObject* watched, QEvent* event) {
    if (LineEditLeft(watched, event, [this](QLineEdit* edit) { EditLeft(edit); })) return true;
    return QDialog::eventFilter(watched, event);
}

void CTextFlagWindow::closeEvent(QCloseEvent* event) {
    if (m_core) {
        // The close box ends the tool as 閉じる does; the core asks about unsaved flags.
        std::unique_ptr<CTextFlagDlg> core = std::move(m_core);
        core->refreshControls = nullptr;
        core->focusText = nullptr;
        core->OnClose();
        core.reset();
    }
    ClearToolWindow(ToolWindow::kTextFlag, this);
    FullRepaintView();
    QWidget::closeEvent(event);
}

void CTextFlagWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QDialog::keyPressEvent(event);
}

void InstallTextFlagWindow(QWidget* frame) {
    ToolServices().openTextFlagDialog = [frame] { (new CTextFlagWindow(frame))->show(); };
}

void UninstallTextFlagWindow() {
    if (ToolWindowHandle* window = GetToolWindow(ToolWindow::kTextFlag)) window->CloseToolWindow();
    ToolServices().openTextFlagDialog = nullptr;
}

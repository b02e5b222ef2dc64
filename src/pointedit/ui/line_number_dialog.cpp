#include "pointedit/ui/line_number_dialog.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "platform/text_io.h"
#include "pointedit/line_numbers.h"
#include "shell/ui/dialog_keys.h"
#include "view/view_navigation.h"

namespace {
QString Utf8(const char* text) { return QString::fromUtf8(text); }

QPushButton* Button(QWidget* parent, int id, const char* text, bool checkable = false) {
    auto* b = new QPushButton(Utf8(text), parent);
    b->setObjectName(QString::number(id));
    b->setAutoDefault(false);
    b->setCheckable(checkable);
    return b;
}
}  // namespace

CLineNumberWindow::CLineNumberWindow(QWidget* frame) : QDialog(frame), m_core(new CLineNumberDlg) {
    setObjectName("lineNumberDialog");
    setWindowTitle(Utf8("白線ID設定"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);

    auto* grid = new QGridLayout(this);
    m_width = new QLineEdit(this);
    m_width->setObjectName("1036");
    m_nextId = new QLineEdit(this);
    m_nextId->setObjectName("1039");
    m_start = Button(this, 1033, "ナンバリング開始", true);
    m_append = Button(this, 1034, "開始(追加)", true);
    QPushButton* end = Button(this, 1035, "ナンバリング終了");
    QPushButton* renumber = Button(this, 1037, "番号付け直し");
    m_triangles = new QCheckBox(Utf8("三角形作成"), this);
    m_triangles->setObjectName("1038");
    QPushButton* save = Button(this, 1040, "ファイル保存");
    QPushButton* erase = Button(this, 1041, "消去");
    QPushButton* closeButton = Button(this, 1, "閉じる");

    grid->addWidget(new QLabel(Utf8("幅cm"), this), 0, 0);
    grid->addWidget(m_width, 0, 1);
    grid->addWidget(new QLabel(Utf8("次点番号"), this), 1, 0);
    grid->addWidget(m_nextId, 1, 1);
    grid->addWidget(m_start, 2, 0);
    grid->addWidget(m_append, 2, 1);
    grid->addWidget(end, 3, 0);
    grid->addWidget(m_triangles, 3, 1);
    grid->addWidget(renumber, 4, 0);
    grid->addWidget(erase, 4, 1);
    grid->addWidget(save, 5, 0);
    grid->addWidget(closeButton, 5, 1);

    m_core->refreshControls = [this] { RefreshControls(); };
    m_core->closeWindow = [this] { close(); };
    connect(m_start, &QPushButton::clicked, this,
            [this](bool on) { m_core->OnStartNumbering(on); });
    connect(m_append, &QPushButton::clicked, this, [this](bool on) { m_core->OnStartAppend(on); });
    connect(end, &QPushButton::clicked, this, [this] { m_core->OnEndNumbering(); });
    connect(m_triangles, &QCheckBox::clicked, this, [this](bool on) { m_core->OnTriangle(on); });
    connect(renumber, &QPushButton::clicked, this, [this] { m_core->OnRenumber(); });
    connect(erase, &QPushButton::clicked, this, [this] { m_core->OnErase(); });
    connect(save, &QPushButton::clicked, this, [this] { m_core->OnSave(); });
    connect(closeButton, &QPushButton::clicked, this, [this] { close(); });
    m_width->installEventFilter(this);
    m_nextId->installEventFilter(this);
    RefreshControls();
}

CLineNumberWindow::~CLineNumberWindow() = default;

void CLineNumberWindow::RefreshControls() {
    if (!m_core) return;
    if (!m_width->hasFocus())
        m_width->setText(QString::fromStdString(FormatString("%4d", g_lineWidthCm)));
    if (!m_nextId->hasFocus()) m_nextId->setText(QString::fromStdString(g_nextLineId));
    const int32_t mode = m_core->CurrentMode();
    m_start->setChecked(mode == CLineNumberDlg::kNumbering ||
                        mode == CLineNumberDlg::kTrianglePairs);
    m_append->setChecked(mode == CLineNumberDlg::kAppend);
    m_triangles->setChecked(m_core->TriangleSwitch());
}

void CLineNumberWindow::EditLeft(QLineEdit* edit) {
    if (!m_core) return;
    const std::string text = edit->text().toStdString();
    const std::string shown = edit == m_width ? m_core->WidthLeft(text) : m_core->NextIdLeft(text);
    edit->setText(QString::fromStdString(shown));
}

bool CLineNumberWindow::eventFilter(QObject* watched, QEvent* event) {
    if (LineEditLeft(watched, event, [this](QLineEdit* edit) { EditLeft(edit); })) return true;
    return QDialog::eventFilter(watched, event);
}

void CLineNumberWindow::closeEvent(QCloseEvent* event) {
    // The view stops offering its clicks as soon as the window goes.
    m_core.reset();
    FullRepaintView();
    // Not QDialog's: that only hides a dialog.
    QWidget::closeEvent(event);
}

void CLineNumberWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QDialog::keyPressEvent(event);
}

// ---- installation ----

void InstallLineNumberWindow(QWidget* frame) {
    SetLineNumberWindowFactory([frame] { (new CLineNumberWindow(frame))->show(); });
}

void UninstallLineNumberWindow() {
    if (g_lineNumberDlg && g_lineNumberDlg->closeWindow) g_lineNumberDlg->closeWindow();
    SetLineNumberWindowFactory(nullptr);
}

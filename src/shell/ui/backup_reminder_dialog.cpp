#include "shell/ui/backup_reminder_dialog.h"

#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "model/backup_file.h"
#include "platform/message_box.h"
#include "shell/backup_reminder.h"
#include "shell/settings_file.h"
#include "shell/ui/main_frame.h"
#include "shell/work_folder.h"

CBackup_MSG::CBackup_MSG(CMainFrame* frame) : QDialog(frame), m_frame(frame) {
    setObjectName("backupReminder");
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setWindowTitle(QString::fromUtf8("ランダムファイル保存確認"));

    m_pathLabel = new QLabel(this);
    m_pathLabel->setObjectName("1241");
    auto* grid = new QGridLayout;
    auto addButton = [&](int id, const char* text, int row, int col, void (CBackup_MSG::*slot)()) {
        auto* b = new QPushButton(QString::fromUtf8(text), this);
        b->setObjectName(QString::number(id));
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, slot);
        grid->addWidget(b, row, col);
        return b;
    };
    addButton(1043, "上書保存", 0, 0, &CBackup_MSG::OnSave);
    addButton(1044, "名前を付けて保存", 0, 1, &CBackup_MSG::OnSaveAs);
    addButton(1045, "一時ファイルに保存", 1, 0, &CBackup_MSG::OnWriteBackup);
    addButton(1242, "一時ﾌｧｲﾙ名変更", 1, 1, &CBackup_MSG::OnChangeBackupName);
    auto* closeButton = new QPushButton(QString::fromUtf8("閉じる"), this);
    closeButton->setObjectName("1188");
    connect(closeButton, &QPushButton::clicked, this, &QDialog::close);
    grid->addWidget(closeButton, 2, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pathLabel);
    layout->addLayout(grid);
    ShowPath();

    m_countdown.setSingleShot(true);
    connect(&m_countdown, &QTimer::timeout, this, &QDialog::close);
    m_countdown.start(kReminderCloseMs);
    show();
}

CBackup_MSG::~CBackup_MSG() {
    if (g_backupReminderDlg == this) g_backupReminderDlg = nullptr;
}

QPushButton* CBackup_MSG::Button(int controlId) const {
    return findChild<QPushButton*>(QString::number(controlId));
}

void CBackup_MSG::ShowPath() {
    m_pathLabel->setText("[" + QString::fromStdString(g_backupFilePath) + "]");
}

void CBackup_MSG::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // At the bottom-left corner of the view.
    if (QWidget* view = m_frame ? m_frame->ViewWidget() : nullptr) {
        const QPoint bottomLeft = view->mapToGlobal(QPoint(0, view->height()));
        move(bottomLeft.x(), bottomLeft.y() - frameGeometry().height());
    }
}

void CBackup_MSG::OnSave() {
    m_countdown.stop();
    if (m_frame) m_frame->OnTimer(98);
    close();
}

void CBackup_MSG::OnSaveAs() {
    m_countdown.stop();
    if (m_frame) m_frame->OnTimer(97);
    close();
}

void CBackup_MSG::OnWriteBackup() {
    m_countdown.stop();
    if (WriteBackupFile(g_backupFilePath) != 0) ShowMessage("一時ファイルが作成できません");
    close();
}

void CBackup_MSG::OnChangeBackupName() {
    m_countdown.stop();
    std::string chosen;
    if (m_fileChooser) {
        chosen = m_fileChooser(g_backupFilePath);
    } else {
        QFileDialog dialog(this, "BackUp Files", QString::fromStdString(g_workFolder),
                           "Backup File (*.$BK *.$bk);;All Files (*)");
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix("$BK");
        dialog.selectFile(
            QString::fromStdString(std::filesystem::path(g_backupFilePath).filename().string()));
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            chosen = dialog.selectedFiles().first().toStdString();
    }
    if (!chosen.empty()) {
        g_backupFilePath = chosen;
        ShowPath();
        if (WriteSettingsFile() == 0)
            ShowMessage("設定ファイルを保存できません。\n" + g_settingsFilePath, "",
                        msg::kOk | msg::kIconWarning);
    }
    m_countdown.start(kReminderCloseMs);
}

#pragma once
// The mesh dialogs: "メッシュ登録" (176), "メッシュエリア設定" (158), "メッシュ計算範囲"
// (173), "メッシュ標高編集" (175), "メッシュ縦横断計算" (168), "メッシュテキストファイル
// 取り込み設定" (179), "メッシュクリップボード出力" (274) and "メッシュテキスト形式の指定" (235). Controls carry their
// template ids (or, where a template gives none, a plain name) as object names.
#include <QDialog>
#include <functional>

#include "shell/command_routing.h"
#include "view/view_toggles.h"
#include "volume/mesh_section_command.h"
#include "volume/mesh_sections.h"
#include "volume/mesh_text.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

class CMeshRegisterDlg : public QDialog {
    Q_OBJECT
public:
    explicit CMeshRegisterDlg(QWidget* parent);
    static MeshRegisterChoice Run(QWidget* parent);

private:
    MeshRegisterChoice m_choice = MeshRegisterChoice::kClosed;
};

class CMeshAreaDlg : public QDialog {
    Q_OBJECT
public:
    explicit CMeshAreaDlg(QWidget* parent);
    static void Run(QWidget* parent);

private:
    void Refresh();
    QLineEdit* m_fields[8] = {};
};

class CMeshRangeDlg : public QDialog {
    Q_OBJECT
public:
    explicit CMeshRangeDlg(QWidget* parent);
    // 0 編集, 1 初期化, 2 削除 (and Escape).
    static int Run(QWidget* parent);
    void reject() override;
};

class CMeshElevationEditDlg : public QDialog {
    Q_OBJECT
public:
    explicit CMeshElevationEditDlg(QWidget* parent);
    static void Run(QWidget* parent);

private:
    void Refresh();
    QLineEdit* m_elevation = nullptr;
    QCheckBox* m_missing = nullptr;
    QLabel* m_position = nullptr;
    QPushButton* m_steps[4] = {};
};

class CMeshSectionDlg : public QDialog {
    Q_OBJECT
public:
    CMeshSectionDlg(QWidget* parent, MeshSectionValues& values);
    static bool Run(QWidget* parent, MeshSectionValues& values);
};

class CMeshTextImportDlg : public QDialog {
    Q_OBJECT
public:
    CMeshTextImportDlg(QWidget* parent, MeshTextImportValues& values);
    static bool Run(QWidget* parent, MeshTextImportValues& values);
};

class CMeshHClip : public QDialog {
    Q_OBJECT
public:
    CMeshHClip(QWidget* parent, MeshClipboardValues& values);
    static bool Run(QWidget* parent, MeshClipboardValues& values);
};

class CMeshTextFormatDlg : public QDialog {
    Q_OBJECT
public:
    explicit CMeshTextFormatDlg(QWidget* parent);
    // 0 comma-separated; 1 numbered, also when closed otherwise.
    static int32_t Run(QWidget* parent);
};

// Installs the dialogs where the view and the tools open them, and registers the mesh
// commands 33057, 32848, 33016, 32841 and 32888 with the frame; 32888 saves the route
// document through `saveRouteDocument` when the user wants the result kept.
void InstallMeshDialogs(QWidget* frame, FrameCommandTarget& commands,
                        std::function<void()> saveRouteDocument);
// Removes what InstallMeshDialogs installed.
void UninstallMeshDialogs();

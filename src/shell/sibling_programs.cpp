#include "shell/sibling_programs.h"

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <thread>
#include <vector>

#include "platform/files.h"
#include "platform/folders.h"
#include "platform/message_box.h"
#include "model/terrain_data.h"
#include "platform/file_dialog.h"
#include "platform/window_registry.h"
#include "shell/command_table.h"
#include "shell/work_folder.h"

namespace {
void CloseSibling(const std::string& className) {
    if (!FindWindowClass(className)) return;
    SendWindowMessage(className, wm::kCommand, cmd::kAppExit, 0, kSiblingCloseTimeoutMs);
}
}  // namespace

void ClosePlottingProgram() { CloseSibling("HOL_VAN"); }

void CloseSectionPrograms() {
    for (const char* className : {"OVK_KELBRA", "OVK_LOMVIT", "OVK_FENTAL", "OVK_BRISKA"})
        CloseSibling(className);
}

int FindRunningSectionProgram(int kind) {
    struct Program {
        const char* className;
        const char* message;
    };
    static constexpr Program kPrograms[] = {{"OVK_KELBRA", "横断テキスト起動中です\n"},
                                            {"OVK_LOMVIT", "縦断計画起動中です\n"},
                                            {"OVK_FENTAL", "縦断図起動中です\n"},
                                            {"OVK_BRISKA", "横断図起動中です\n"}};
    for (int n = 1; n <= 4; ++n) {
        if (n == kind || !FindWindowClass(kPrograms[n - 1].className)) continue;
        ShowMessage(kPrograms[n - 1].message, "", msg::kOk | msg::kIconInformation);
        RaiseWindowClass(kPrograms[n - 1].className);
        return n;
    }
    return 0;
}

extern char** environ;

int StartProgramInFolder(const std::string& program, const std::vector<std::string>& arguments) {
    namespace fs = std::filesystem;
    const fs::path folder = ProgramFolder();
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) return kSiblingPathNotFound;
    fs::path exe;
    std::string stem = program;
    if (stem.size() > 4 && EqualsNoCase(stem.substr(stem.size() - 4), ".exe")) stem.resize(stem.size() - 4);
    for (const std::string& name : {stem, program}) {
        exe = FindFileNoCase(folder / name);
        if (!exe.empty()) break;
    }
    if (exe.empty()) return kSiblingNotFound;
    if (!fs::is_regular_file(exe, ec) || access(exe.c_str(), X_OK) != 0) return kSiblingBadFormat;
    // The program starts in the program folder; each argument is one word of its own.
    std::vector<std::string> args{exe.string()};
    args.insert(args.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, exe.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc == 0) {
        std::thread([pid] { waitpid(pid, nullptr, 0); }).detach();  // no zombie left behind
        return kSiblingStarted;
    }
    if (rc == ENOMEM || rc == EAGAIN) return kSiblingNoResources;
    if (rc == ENOENT) return kSiblingNotFound;
    return kSiblingBadFormat;
}

int StartSiblingProgram(const std::string& className, const std::string& program, const std::string& argument) {
    // A running sibling is brought forward; a second copy is not started.
    if (FindWindowClass(className)) {
        RaiseWindowClass(className);
        return kSiblingStarted;
    }
    // The argument is one word, as the quoted path of the Windows command line was.
    std::vector<std::string> arguments;
    if (!argument.empty()) arguments.push_back(argument);
    return StartProgramInFolder(program, arguments);
}

namespace {
using A = SiblingArgument;
#define PLOTTING "作画プログラムはインストールされていません。", "作画プログラムのパスが見つかりません。", \
                 "作画プログラムファイルが異常です。"

const SiblingProgramRow kRows[] = {
    {32839, "横断図作図", "OnCrossSectionDrawing", "OVK_BRISKA", "BRISKA.exe", A::kNone, PLOTTING},
    {32840, "縦断図作図", "OnLongSectionDrawing", "OVK_FENTAL", "FENTAL.exe", A::kNone, PLOTTING},
    {32821, "", "OnSliceContourPlot", "HOL_VAN", "HOLVAN.exe", A::kDataPath, PLOTTING},
    {32953, "横断テキスト編集", "OnCrossSectionTextEdit", "OVK_KELBRA", "KELBRA.exe", A::kNone,
     "横断プログラムはインストールされていません。", "横断プログラムのパスが見つかりません。",
     "横断プログラムファイルが異常です。"},
    {32904, "縦断計画", "OnVerticalPlan", "OVK_LOMVIT", "LOMVIT.exe", A::kNone,
     "縦断計画はインストールされていません。", "縦断計画プログラムのパスが見つかりません。",
     "縦断計画プログラムファイルが異常です。"},
    {32902, "拡幅片勾配登録", "OnWideningSuperelevation", "OVK_MIRDAX", "MIRDAX.exe", A::kNone,
     "拡幅・片勾配登録はインストールされていません。", "拡幅・片勾配登録プログラムのパスが見つかりません。",
     "拡幅・片勾配登録プログラムファイルが異常です。"},
    {32906, "定規図", "OnTypicalSection", "OVK_NAVRUS", "NAVRUS.exe", A::kNone,
     "定規図登録はインストールされていません。", "定規図登録プログラムのパスが見つかりません。",
     "定規図登録プログラムファイルが異常です。"},
    {32907, "横断計画", "OnCrossSectionPlan", "OVK_PELTAR", "PELTAR.exe", A::kNone,
     "横断計画はインストールされていません。", "横断計画プログラムのパスが見つかりません。",
     "横断計画プログラムファイルが異常です。"},
    {32908, "ﾃｸｽﾁｬ鳥瞰図", "OnTexturedBirdsEye", "RASKOV8_95", "RASKOV-GL.exe", A::kNone,
     "テクスチャー鳥瞰図はインストールされていません。", "テクスチャー鳥瞰図プログラムのパスが見つかりません。",
     "テクスチャー鳥瞰図プログラムファイルが異常です。"},
    // The plan drawing program shares the bird's-eye class: while either runs, that one
    // is brought forward.
    {32910, "平面図作図", "OnPlanDrawing", "RASKOV8_95", "SOLWIK.exe", A::kNone, PLOTTING},
    {32987, "ビデオ鳥瞰図", "OnVideoBirdsEye", "RASKOV_DX", "RASKOV-DX.exe", A::kNone,
     "ビデオ鳥瞰図はインストールされていません。", "ビデオ鳥瞰図プログラムのパスが見つかりません。",
     "ビデオ鳥瞰図プログラムファイルが異常です。"},
    {33000, "データクリーナ", "OnDataCleaner", "TIRMEL", "TIRMEL.exe", A::kNone,
     "データクリーナはインストールされていません。", "データクリーナプログラムのパスが見つかりません。",
     "データクリーナプログラムファイルが異常です。"},
    {32995, "ＴＩＮデータ変換", "OnTinDataConversion", "VOSKEL", "VOSKEL.exe", A::kNone,
     "TINデータ変換はインストールされていません。", "ＴＩＮデータ変換プログラムのパスが見つかりません。",
     "ＴＩＮデータ変換プログラムファイルが異常です。"},
    {33058, "XYZ メッシュ", "OnXyzToMesh", "wendrop", "wendrop.exe", A::kNone,
     "XYZメッシュはインストールされていません。", "XYZメッシュプログラムのパスが見つかりません",
     "XYZメッシュプログラムファイルが異常です。"},
    {32999, "座標変換ユーティリティ", "OnCoordinateConversion", "YARFEL", "YARFEL.exe", A::kNone,
     "座標変換ユーティリティはインストールされていません。",
     "座標変換ユーティリティプログラムのパスが見つかりません。",
     "座標変換ユーティリティプログラムファイルが異常です。"},
    {33014, "標高差RNDファイル作成", "OnElevationDifferenceRnd", "ZOLMIR", "ZOLMIR.exe", A::kNone,
     "標高差出力ツールはインストールされていません", "標高差出力ツールのパスが見つかりません",
     "標高差出力プログラムファイルが異常です。"},
    {32890, "ﾒｯｼｭ作図", "OnMeshDrawing", "HOL_VAN", "HOLVAN.exe", A::kChosenFile, PLOTTING},
    {32905, "ｸﾞﾗﾌ作図", "OnGraphDrawing", "OVK_JUSTEM", "JUSTEM.exe", A::kChosenFile,
     "グラフプログラムはインストールされていません。", "グラフプログラムのパスが見つかりません。",
     "グラフプログラムファイルが異常です。"},
};
}  // namespace

const SiblingProgramRow kCrossSectionEarthworkRow = {
    32839, "横断図作図", "OnCrossSectionDrawing", "OVK_DORVEN", "DORVEN.exe", A::kNone, PLOTTING};
#undef PLOTTING

std::span<const SiblingProgramRow> SiblingProgramRows() { return kRows; }

const SiblingProgramRow* FindSiblingProgramRow(int command) {
    for (const SiblingProgramRow& row : kRows)
        if (row.command == command) return &row;
    return nullptr;
}

std::string SiblingStartMessage(const SiblingProgramRow& row, int result) {
    switch (result) {
    case kSiblingNoResources: return "メモリ不足で実行できません。";
    case kSiblingNotFound: return row.notFound;
    case kSiblingPathNotFound: return row.pathNotFound;
    case kSiblingBadFormat: return row.badFormat;
    default: return "";
    }
}

std::string PlottingProgramStartMessage(int result) {
    return SiblingStartMessage(*FindSiblingProgramRow(32821), result);
}

int LaunchSiblingProgram(const SiblingProgramRow& row, const std::string& argument) {
    const int result = StartSiblingProgram(row.className, row.program, argument);
    const std::string text = SiblingStartMessage(row, result);
    if (!text.empty()) ShowMessage(text, "", msg::kOk | msg::kIconError);
    return result;
}

void RunSiblingCommand(int command, const SiblingCommandHooks& hooks) {
    const SiblingProgramRow* row = FindSiblingProgramRow(command);
    if (!row) return;
    if (command == 32839) {
        // The choice comes first, also when a program already runs: it decides which one
        // is brought forward.
        const int choice = hooks.chooseCrossSection ? hooks.chooseCrossSection() : kChoiceCancel;
        LaunchSiblingProgram(choice == kChoiceEarthwork ? kCrossSectionEarthworkRow : *row);
        return;
    }
    if (row->argument == SiblingArgument::kNone) {
        LaunchSiblingProgram(*row);
        return;
    }
    if (FindWindowClass(row->className)) {
        RaiseWindowClass(row->className);
        return;
    }
    if (row->argument == SiblingArgument::kDataPath) {
        if (ShowMessage("上書き保存してよろしいですか", "", msg::kYesNo | msg::kIconQuestion) !=
            msg::kIdYes)
            return;
        if (hooks.sendFrameCommand) hooks.sendFrameCommand(cmd::kFileSave);
        // The plotting program reads the saved file: after a failed or refused save it
        // would show stale data, so nothing more happens.
        if (hooks.documentSaved && !hooks.documentSaved()) return;
        if (hooks.sendFrameCommand) hooks.sendFrameCommand(32900);
        LaunchSiblingProgram(*row, g_currentDataPath);
        return;
    }
    FileDialogRequest request;
    request.folder = g_workFolder;
    if (command == 32890) {
        request.title = "メッシュデータ読み込み";
        request.filter = "メッシュファイルすべて|*.MSH;*.MVO|メッシュ標高ファイル|*.MSH|"
                         "メッシュ土量ファイル|*.MVO|すべてのファイル|*.*|";
    } else {
        request.title = "メッシュ土量データ読み込み";
        request.filter = "メッシュ土量ファイル|*.MVO|すべてのファイル|*.*|";
    }
    const std::string chosen = RunFileDialog(request);
    if (chosen.empty()) return;
    g_lastFolder = FolderOfPath(chosen);
    LaunchSiblingProgram(*row, chosen);
}

void RegisterSiblingCommands(FrameCommandTarget& frame, std::function<SiblingCommandHooks()> hooks) {
    for (const SiblingProgramRow& row : kRows)
        frame.SetHandler(row.command, [hooks, id = row.command] { RunSiblingCommand(id, hooks()); });
}

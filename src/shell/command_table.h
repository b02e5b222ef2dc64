#pragma once
// The command set of the main menu and the toolbars: ids, menu texts (UTF-8), the menu
// each item sits in, which object handles it, and the enable and check rules of the
// commands the main frame handles.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "shell/shell_conditions.h"

enum class CommandOwner { kView, kDocument, kFrame, kApplication, kFramework };

struct MenuEntry {
    // Menu path: a top-level menu ("ﾌｧｲﾙ"), a submenu ("表示/背景表示"), "" for an item
    // on the menu bar itself, nullptr for a command without a menu item (the toolbar
    // name is then its text).
    const char* menu;
    int id;  // 0: separator
    const char* text;
    CommandOwner owner;
    // Touches neither the data nor the tools (bars, About, help, the working folder), so
    // it may run while a long operation is under way; every other command waits for its
    // end (CommandRouter).
    bool runsWhileBusy;
};

// Every entry in menu order. An id found in two menus has two entries; the first is
// its main one.
std::span<const MenuEntry> MenuEntries();
// The main entry of an id, or nullptr.
const MenuEntry* FindCommand(int id);
// Distinct command ids in the order of their main entries.
std::vector<int> CommandIds();
// Whether the command may run now: always while the program is idle; during a long
// operation only the commands that touch neither the data nor the tools. Ids outside the
// table (the recent files beyond the first) count as touching the data.
bool CommandAllowedNow(int id);

// The main window's keyboard accelerators; keys in the portable text form ("Ctrl+Z").
// An id may have several keys.
struct Accelerator {
    const char* keys;
    int id;
};
std::span<const Accelerator> Accelerators();

namespace cmd {
constexpr int kFileNew = 57600;
constexpr int kFileOpen = 57601;
constexpr int kFileSave = 57603;
constexpr int kFileSaveAs = 57604;
constexpr int kFileRecent = 57616;  // 57616 to 57619: the four recent files
constexpr int kRecentFileCount = 4;
constexpr int kAppAbout = 57664;
constexpr int kAppExit = 57665;
constexpr int kHelpContents = 57667;
constexpr int kMainToolBar = 59392;
constexpr int kDisplayToolBar = 32918;
constexpr int kDisplayMenuToolBar = 32917;
constexpr int kWorkFolder = 32868;
constexpr int kLatLongDisplay = 32984;
constexpr int kDuplicateCheck = 32858;
constexpr int kAutoOutline = 32832;
constexpr int kTinCalc = 32836;
constexpr int kRouteCalc = 32817;
constexpr int kContour = 32802;  // 等高線
}  // namespace cmd

enum class CheckState { kUnchecked, kChecked, kIndeterminate };

struct CommandRule {
    bool enabled = true;
    CheckState check = CheckState::kUnchecked;
};

// Whether the main frame (or the application) carries an update rule for the id.
bool HasFrameRule(int id);
// The rule of a frame or application command under the given conditions; commands
// without a rule are enabled and unchecked.
CommandRule EvaluateFrameRule(int id, const ShellConditions& c);

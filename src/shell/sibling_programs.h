#pragma once
// Closing the sibling programs of the suite at exit. Each close request waits for the
// sibling's answer at most kSiblingCloseTimeoutMs, so an absent or hung sibling never
// holds up our exit.
#include <functional>

#include "shell/command_routing.h"
#include <span>
#include <string>
#include <vector>

constexpr int kSiblingCloseTimeoutMs = 1000;

// The contour and mesh plotting program ("HOL_VAN"): sent WM_COMMAND 57665 when it runs.
void ClosePlottingProgram();
// The four section programs, in this order: "OVK_KELBRA", "OVK_LOMVIT", "OVK_FENTAL",
// "OVK_BRISKA"; each running one is sent WM_COMMAND 57665.
void CloseSectionPrograms();

// The first of the four section programs (1..4 in the order above) that runs and is not
// `kind` (0 tests all four): its running message is shown and its number returned; 0 when
// none runs. Section commands do nothing while one runs.
int FindRunningSectionProgram(int kind);

// Start results, numbered as the suite has always reported them: above 31 started (or
// brought forward), 0 out of resources, 2 program file not found, 3 folder not found,
// 11 not a program.
constexpr int kSiblingStarted = 33;
constexpr int kSiblingNoResources = 0;
constexpr int kSiblingNotFound = 2;
constexpr int kSiblingPathNotFound = 3;
constexpr int kSiblingBadFormat = 11;

// A sibling program: when a window of `className` runs, it is brought forward and
// nothing starts; else `program` (its Windows name, e.g. "HOLVAN.exe"; found in the program folder with or
// without the ".exe", whatever the case) starts there with `argument` in double quotes
// when one is given.
int StartSiblingProgram(const std::string& className, const std::string& program, const std::string& argument);

// Starts `program` (found in the program folder as above) there with these arguments,
// each passed as it stands; a start result.
int StartProgramInFolder(const std::string& program, const std::vector<std::string>& arguments);

// The plotting program's failure texts for results 0, 2, 3 and 11; empty for the others.
std::string PlottingProgramStartMessage(int result);

// One sibling command of the frame: its window class and program, and its texts for
// start results 2, 3 and 11.
enum class SiblingArgument { kNone, kDataPath, kChosenFile };
struct SiblingProgramRow {
    int command;
    const char* menuText;
    const char* handler;
    const char* className;
    const char* program;
    SiblingArgument argument;
    const char* notFound;      // result 2
    const char* pathNotFound;  // result 3
    const char* badFormat;     // result 11
};
// The eighteen rows in menu order. 32839 appears with its normal program; the earthwork
// variant is kCrossSectionEarthworkRow.
std::span<const SiblingProgramRow> SiblingProgramRows();
extern const SiblingProgramRow kCrossSectionEarthworkRow;
const SiblingProgramRow* FindSiblingProgramRow(int command);

// The message a start result gives for the row: 0 out of resources, 2, 3, 11 the row's
// own texts; empty for every other result.
std::string SiblingStartMessage(const SiblingProgramRow& row, int result);

// Starts (or brings forward) the row's program and shows its failure message, OK with
// the stop icon. Returns the start result.
int LaunchSiblingProgram(const SiblingProgramRow& row, const std::string& argument = "");

// What a sibling command needs of the frame and the user.
struct SiblingCommandHooks {
    // Dialog 170: 0 通常の横断図, 1 土量計算横断図, 2 closed.
    std::function<int()> chooseCrossSection;
    // Runs a frame command synchronously (57603 save, 32900 slice contours).
    std::function<void(int)> sendFrameCommand;
    // Whether the document is saved now (after 57603).
    std::function<bool()> documentSaved;
};

// The frame command `command` of the table: 32839 asks dialog 170 first, 32821 saves and
// converts the slice contours first, 32890 and 32905 ask for a file; the others start at
// once.
void RunSiblingCommand(int command, const SiblingCommandHooks& hooks);

// The result of dialog 170 from the button that ended it.
enum SectionDrawingChoice { kChoiceNormal = 0, kChoiceEarthwork = 1, kChoiceCancel = 2 };

// Handlers for the eighteen commands; `hooks` is asked each time one runs.
void RegisterSiblingCommands(FrameCommandTarget& frame, std::function<SiblingCommandHooks()> hooks);

#pragma once
// The bottom row the section windows share: 前断面 / 次断面, the grid box, the view buttons,
// the section number with its spin, 色設定 and the vertical scale box. Built and wired
// once here; each window adds its own boxes and handles what differs (typed values, the
// spin's meaning).
#include <QSize>
#include <QString>
#include <functional>

#include "section/section_defaults.h"

class CSectionFrameWidget;
class QCheckBox;
class QHBoxLayout;
class QKeyEvent;
class QLineEdit;
class QPushButton;
class QToolButton;
class QWidget;

QString SectionFormat(const char* format, double v);
QPushButton* SectionButton(QWidget* parent, const char* text, const char* id, bool checkable = false);

struct SectionControlsOptions {
    bool neighbours = false;           // 前断面 (1018) and 次断面 (1019)
    bool sectionNumber = false;        // 断面No with its spin (1030) and box (1031)
    const char* scaleBoxId = nullptr;  // 縦倍率 box, none when null
    int boxWidth = 60;
};

struct SectionFrameControls {
    QCheckBox* showPrevious = nullptr;
    QCheckBox* showNext = nullptr;
    QLineEdit* gridBox = nullptr;
    QLineEdit* numberBox = nullptr;
    QLineEdit* scaleBox = nullptr;
    QPushButton* allButton = nullptr;
    QPushButton* zoomButton = nullptr;
    QPushButton* outButton = nullptr;
    QPushButton* moveButton = nullptr;
    QPushButton* colourButton = nullptr;
    QToolButton* spinUp = nullptr;
    QToolButton* spinDown = nullptr;
    QHBoxLayout* row = nullptr;

    // 拡大 / 移動 checked as `mode` says; the frame runs that mode.
    void SyncModeButtons(int mode) const;
};

// Builds the row into `parent` and wires the shared behaviour: 全体 and 縮小 on the frame,
// 拡大 / 移動 through `setViewMode` (0, 0x11 or 0x80; the window keeps its own global and
// calls SyncModeButtons), the check boxes repaint the frame, 色設定 runs `runColours` and
// repaints, and the wheel over the vertical scale box (or with the focus in it) steps the
// scale and rewrites the box " %3.1f".
SectionFrameControls BuildSectionFrameControls(QWidget* parent, CSectionFrameWidget* frame,
                                               const SectionControlsOptions& options,
                                               std::function<void(int)> setViewMode,
                                               std::function<void()> runColours);

// The keys every section window takes the same way: Enter takes the focus off the boxes
// (so a typed value is applied) and sets `enterPressed`, Esc is swallowed, the arrows pan
// the frame. False for any other key, which the window passes on.
// A section window's remembered place: restored when one was saved (else the window takes
// `fallback` as its size), and stored from the window's frame geometry.
void RestoreSectionWindowRect(QWidget* window, const SectionWindowRect& rect, QSize fallback);
void StoreSectionWindowRect(const QWidget* window, SectionWindowRect& rect);

bool HandleSectionWindowKey(QWidget* window, CSectionFrameWidget* frame, QKeyEvent* event, bool& enterPressed);

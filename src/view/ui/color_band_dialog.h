#pragma once
// 段彩表示 (dialog 109) with its pages 194, 195 and 226, the three-colour picker (282) and
// the colour swatches they share.
#include <QDialog>
#include <QPushButton>
#include <cstdint>
#include <functional>

#include "shell/tool_windows.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QStackedWidget;

// A button showing a 0xRRGGBB colour; a click asks for a new one (full chooser, starting
// from the current) and stores it through the pointer.
class CColorSwatch : public QPushButton {
    Q_OBJECT
public:
    CColorSwatch(int32_t* colour, const QString& name, QWidget* parent);
    void Refresh();
signals:
    void colourChanged();

private:
    int32_t* m_colour;
};

// The frame where the light-direction control sits on pages 194 and 195.
QWidget* MakeLightWidgetHost(QWidget* parent);

// 縞段彩色 … 傾斜段彩 pages over placeholder 1249.
class CSlopePlaneDlg : public QWidget {
    Q_OBJECT
public:
    explicit CSlopePlaneDlg(QWidget* parent);
    void Sync();

private:
    CColorSwatch* m_swatches[4];
    QLineEdit* m_fields[6];
    QCheckBox* m_targetPick;
};

class CBirdsEyeColorDlg : public QWidget {
    Q_OBJECT
public:
    explicit CBirdsEyeColorDlg(QWidget* parent);
    void Sync();

private:
    CColorSwatch* m_swatches[5];
};

class CSlopeBandDlg : public QWidget {
    Q_OBJECT
public:
    explicit CSlopeBandDlg(QWidget* parent);
    void Sync();

private:
    CColorSwatch* m_swatches[12];
    QLineEdit* m_maxSlope;
    QCheckBox* m_twoColour;
    QCheckBox* m_slopeLines;
    QLineEdit* m_steep;
    QLineEdit* m_gentle;
};

// 縞段彩色指定 (modal).
class CGcolSet : public QDialog {
    Q_OBJECT
public:
    explicit CGcolSet(QWidget* parent);
    // Esc or 登録: the stripes follow the three colours either way.
    void done(int result) override;

private:
    int32_t m_colours[3];
    QCheckBox* m_ignore;
};

class CColorBandDlg : public QDialog, public ToolWindowHandle {
    Q_OBJECT
public:
    explicit CColorBandDlg(QWidget* parent);
    ~CColorBandDlg() override;
    static CColorBandDlg* Instance();
    // 段彩表示 and the dialog factory on the frame.
    static void Install(QWidget* frame);

    void CloseToolWindow() override;
    void Sync();
    QStackedWidget* Pages() const { return m_pages; }

public slots:
    void accept() override;
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void SelectMode(int mode);
    void EditLimit(int which, QLineEdit* edit);
    void Finish();

    QRadioButton* m_mode[4];
    QRadioButton* m_reference[2];
    QLineEdit* m_limits[4];  // centre, highest, lowest, step
    QLabel* m_dataHighest;
    QLabel* m_dataLowest;
    QLabel* m_labels[19];
    QCheckBox* m_shown;
    QCheckBox* m_flags[5];  // 文字色変更, 陰影あり, 中抜非表示, 計画面のみ, 頂点色を使う
    QCheckBox* m_water;
    QLineEdit* m_waterLevel;
    QCheckBox* m_waterAbove;
    QCheckBox* m_waterTransparent;
    QGroupBox* m_colourGroup;
    CColorSwatch* m_swatches[21];
    QWidget* m_stripeBox;
    QWidget* m_presets;
    QStackedWidget* m_pages;
    CSlopePlaneDlg* m_planePage;
    CBirdsEyeColorDlg* m_birdsEyePage;
    CSlopeBandDlg* m_slopePage;
    bool m_closing = false;
    bool m_placed = false;
};

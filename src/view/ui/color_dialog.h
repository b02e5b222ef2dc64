#pragma once
// 色設定: one swatch per layer colour of the drawing palette; a click on a swatch opens the
// colour chooser for it.
#include <QDialog>
#include <QPointer>
#include <array>

#include "shell/tool_windows.h"
#include "view/color_settings.h"

class QFrame;

class CColorDialog : public QDialog, public ToolWindowHandle {
    Q_OBJECT
public:
    explicit CColorDialog(QWidget* mainWindow);
    ~CColorDialog() override;
    void CloseToolWindow() override { reject(); }
    // The swatch rectangles (one pixel inside each swatch, dialog coordinates).
    std::array<SwatchRect, kColorSwatchCount> SwatchRects() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void reject() override;

private:
    void PaletteChanged();

    std::array<QFrame*, kColorSwatchCount> m_swatches{};
};

extern QPointer<CColorDialog> g_colorDialogWnd;

// Command 32855 (色設定): activates the dialog, or makes and shows it.
void OpenColorDialog(QWidget* mainWindow);

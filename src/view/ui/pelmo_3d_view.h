#pragma once
// The program's one view: every paint renders the layers into the back buffer, shows it
// in one blit and then draws the overlays of the picked items on the window. It also
// takes the view's commands (zoom, pan, overall view, previous screen) and its mouse and
// keys.
#include <QWidget>

#include "shell/command_routing.h"

class QWheelEvent;

class CPelmo_3DView : public QWidget, public CommandTarget {
    Q_OBJECT
public:
    explicit CPelmo_3DView(QWidget* parent = nullptr);
    ~CPelmo_3DView() override;

    bool OnCommand(int id) override;
    bool HasCommandHandler(int id) const override;
    bool OnUpdateCommand(int id, CommandUpdate& update) override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void UpdateCursor();

    CommandHandlerMap m_commands;
};

// The wheel's turn in eighths of a degree, forward positive, also while Alt is held.
int WheelDelta(const QWheelEvent& event);

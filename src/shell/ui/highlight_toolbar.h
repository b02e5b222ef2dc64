#pragma once
// A toolbar whose buttons that are toggled on stand out: each is drawn as its image on
// pale yellow; the button under the mouse is laid on white.
#include <QColor>
#include <QToolBar>

class MToolbar : public QToolBar {
    Q_OBJECT
public:
    explicit MToolbar(const QString& title, QWidget* parent = nullptr);
    explicit MToolbar(QWidget* parent = nullptr);
    QColor HighlightColor() const { return m_highlight; }

protected:
    void actionEvent(QActionEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QColor m_highlight{255, 255, 170};
};

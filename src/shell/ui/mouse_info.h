#pragma once
// The hint window of the mouse gestures, shown at start over the middle of its owner.
// It lets the mouse through to the view below it, so that the gestures it names work
// where it sits; its own close button (the one control it has) hides it until the
// program ends.
#include <QFrame>
#include <QPointer>
#include <QToolButton>

class CMouseInfo : public QFrame {
    Q_OBJECT
public:
    explicit CMouseInfo(QWidget* owner);
    ~CMouseInfo() override;

    QToolButton* CloseButton() const { return m_closeButton; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void Place();

    // A sibling, not a child: the children of a window that lets the mouse through
    // cannot take a click.
    QPointer<QToolButton> m_closeButton;
};

#pragma once
// The hint window of the mouse gestures, shown at start; closing it hides it.
#include <QDialog>

class CMouseInfo : public QDialog {
    Q_OBJECT
public:
    explicit CMouseInfo(QWidget* owner);
};

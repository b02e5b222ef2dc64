#pragma once
// ２点間情報: the two picked points and what lies between them.
#include <QDialog>

class CRandom2_view : public QDialog {
    Q_OBJECT
public:
    // On g_pickedPoint and g_pickedPoint2.
    explicit CRandom2_view(QWidget* parent = nullptr);
    // 0 through OK (the picks cleared), 2 through Esc. Placed beside the picks on the view.
    static int Run(QWidget* parent, QWidget* view);

protected:
    void reject() override { done(2); }
};

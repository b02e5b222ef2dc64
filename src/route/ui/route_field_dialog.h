#pragma once
// What the route's modal dialogs with numeric fields share: a field stores its value when
// it is left, by the focus moving on or by Enter, and Enter then moves on as Tab does (on
// the buttons it presses them).
#include <QDialog>
#include <map>

class QGridLayout;
class QLineEdit;

class CRouteFieldDialog : public QDialog {
    Q_OBJECT
protected:
    using QDialog::QDialog;

    // A field for the value `id`, named by it, on the grid's row under its label.
    QLineEdit* AddField(QGridLayout* grid, int row, int id, const char* label);
    // The field was left: its value is stored and shown again as the dialog keeps it.
    virtual void FieldLeft(QLineEdit* edit) = 0;

    bool eventFilter(QObject* watched, QEvent* event) override;

    std::map<QLineEdit*, int> m_fields;
};

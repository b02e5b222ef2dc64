#pragma once
// The band legend 縞段彩色、標高 (182) and the slope legend 傾斜色,角度 (183): modeless windows
// of the colour bands, the slope legend with its DXF output of steep triangles.
#include <QPointer>
#include <QWidget>

#include "view/legends.h"

class QLineEdit;
class QPushButton;

class CBandLegendDlg : public QWidget {
    Q_OBJECT
public:
    explicit CBandLegendDlg(QWidget* view);
    ~CBandLegendDlg() override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QPointer<QWidget> m_view;
};

class CSlopeLegendDlg : public QWidget {
    Q_OBJECT
public:
    explicit CSlopeLegendDlg(QWidget* owner);
    ~CSlopeLegendDlg() override;
    const SlopeDxfFields& Fields() const { return m_fields; }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ShowDxfPart(bool shown);
    void Leave(QLineEdit* edit);

    SlopeDxfFields m_fields;
    QWidget* m_dxfPart;
    QPushButton* m_dxfToggle;
    QLineEdit* m_min;
    QLineEdit* m_max;
    QLineEdit* m_layer;
    QLineEdit* m_colour;
};

extern QPointer<CBandLegendDlg> g_bandLegendDlg;
extern QPointer<CSlopeLegendDlg> g_slopeLegendDlg;

// The legends the colour bands call for (band mode 0: the band legend; 3 with the two-colour
// slope display off: the slope legend), and their removal; installed for the document.
void OpenLegendWindowsFor(QWidget* view);
void DestroyLegendWindowsNow();
void InstallLegendWindows(QWidget* view);
void UninstallLegendWindows();

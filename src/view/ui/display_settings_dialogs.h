#pragma once
// 縦倍率 (267), 簡易等高線の設定 (105) and 傾斜線の設定 (227).
#include <QDialog>
#include <QPointer>
#include <QWidget>
#include <functional>

#include "view/display_settings.h"

class QCheckBox;
class QLineEdit;
class QRadioButton;

// The exaggeration bar: a small window over the frame, shown while the bird's-eye view is
// on with data to show, in step with the toolbar's box (both set g_heightScale).
class CHeightScaleBar : public QWidget {
    Q_OBJECT
public:
    explicit CHeightScaleBar(QWidget* frame);
    // Shows or hides the bar and refreshes its number; the view calls it after every paint.
    void Update();
    QLineEdit* Field() const { return m_edit; }
    // Called after the bar changed the value (the frame refreshes its box).
    void SetChangedHandler(std::function<void()> changed) { m_changed = std::move(changed); }

protected:
    void wheelEvent(QWheelEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Changed();
    void LeaveField();

    HeightScaleBarState m_state;
    QLineEdit* m_edit;
    QPointer<QWidget> m_frame;
    std::function<void()> m_changed;
};
extern QPointer<CHeightScaleBar> g_verticalScaleDlg;

class CSimpleContourDlg : public QDialog {
    Q_OBJECT
public:
    explicit CSimpleContourDlg(QWidget* parent);
    QLineEdit* Field() const { return m_edit; }

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* m_edit;
};

class CSlopeLineDlg : public QDialog {
    Q_OBJECT
public:
    explicit CSlopeLineDlg(QWidget* parent);

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void accept() override;
    void reject() override;

private:
    void Leave(QLineEdit* edit);

    QRadioButton* m_degrees;
    QRadioButton* m_percent;
    QCheckBox* m_labels;
    QLineEdit* m_gentle;
    QLineEdit* m_steep;
    QLineEdit* m_decimals;
};

// Makes the bar over `frame` and installs the two dialogs for the display switches.
CHeightScaleBar* InstallDisplaySettingsWindows(QWidget* frame);
void UninstallDisplaySettingsWindows();

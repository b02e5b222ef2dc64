#pragma once
// The point tools' windows: the modeless point-input panel (189), the modal
// coordinate-input settings (157) and the modal point edit dialog (162). Controls carry
// their template ids as object names.
#include <QDialog>
#include <QLabel>
#include <QPointer>
#include <memory>

#include "pointedit/point_edit.h"
#include "shell/tool_windows.h"

class QAbstractButton;
class QButtonGroup;
class QLabel;
class QLineEdit;
class QWidget;

// The coloured square beside a name field: the colour of the name's colour code (the
// dialog face without one); a click opens the colour chooser.
class ColorSwatch : public QLabel {
    Q_OBJECT
public:
    explicit ColorSwatch(QLineEdit* name, QWidget* parent);
    void Refresh();
signals:
    // A colour was chosen: the name's new start as the code of that colour (CP932).
    void ColorChosen(const std::string& name);

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    QLineEdit* m_name;
};

class CPointInputParamDlg : public QDialog, public ToolWindowHandle {
    Q_OBJECT
public:
    CPointInputParamDlg(QWidget* frame, QWidget* view);
    ~CPointInputParamDlg() override;
    void CloseToolWindow() override;
    // Enables the attribute, method, elevation and name controls again.
    void EnableControls();
    // Shows the new-point settings again (after a take-over).
    void ShowSettings();

protected:
    void wheelEvent(QWheelEvent* event) override;

private:
    void PlaceBesideView();
    QLineEdit* m_name;
    QLineEdit* m_elevation;
    ColorSwatch* m_swatch;
    QButtonGroup* m_plot;
    QButtonGroup* m_valid;
    QButtonGroup* m_method;
    QButtonGroup* m_snap;
    QPointer<QWidget> m_view;
};

class CCoordInputParamDlg : public QDialog {
    Q_OBJECT
public:
    explicit CCoordInputParamDlg(QWidget* parent);
    static int Run(QWidget* parent);
};

class CPointEditDlg : public QDialog, public ToolWindowHandle {
    Q_OBJECT
public:
    explicit CPointEditDlg(QWidget* parent);
    ~CPointEditDlg() override;
    void CloseToolWindow() override;
    // Runs the dialog modally on g_editPoint and g_pickedPoint.
    static void Run(QWidget* parent);
    void ShowTemplate(bool edited);

public slots:
    void done(int result) override;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ShowLatLong(const LatLongTexts& texts);
    LatLongTexts LatLongFields() const;
    void OnRegister();
    void OnCopy();
    QLineEdit* Edit(int id) const;

    PointEditSession m_session;
    QAbstractButton* m_register;
    QAbstractButton* m_copy;
    QAbstractButton* m_cancel;
    QLineEdit* m_name;
    ColorSwatch* m_swatch;
    QLabel* m_number;
    QButtonGroup* m_valid;
    QButtonGroup* m_plot;
    bool m_closed = false;
};

// Installs the panel, the coordinate-input dialog and the point edit dialog as the windows
// of the tool commands and the point tools.
void InstallPointToolWindows(QWidget* frame);
// Takes them away again (the frame is going).
void RemovePointToolWindows();

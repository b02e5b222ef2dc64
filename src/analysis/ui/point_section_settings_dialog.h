#pragma once
// The modal dialog "ランダム点断面設定": band width (1082), order by plan distance (1131),
// connect all points (1147) and OK. Controls carry their template ids as object names.
#include <QDialog>

#include "analysis/point_section_settings.h"

class QCheckBox;
class QLineEdit;

class CPointSectionSettingsDlg : public QDialog {
    Q_OBJECT
public:
    explicit CPointSectionSettingsDlg(QWidget* parent = nullptr);
    static int Run(QWidget* parent);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void WidthLeft();
    void Show();

    PointSectionSettingsState m_state;
    QLineEdit* m_width = nullptr;
    QCheckBox* m_plan = nullptr;
    QCheckBox* m_connect = nullptr;
};

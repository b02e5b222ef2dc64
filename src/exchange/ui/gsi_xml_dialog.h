#pragma once
// "XML input" (280): layers and colours of the fundamental-map classes, the plane zone and
// the text height of point labels. Controls carry their template ids as object names.
#include <QDialog>
#include <array>
#include <functional>

#include "exchange/fgd_xml.h"

class QLabel;
class QLineEdit;
class CColorComboBox;
class FrameCommandTarget;

class CXML_inp : public QDialog {
    Q_OBJECT
public:
    CXML_inp(GsiXmlOptions& options, QWidget* parent = nullptr);
    // 0 中止, 1 開始, 2 the close box; `options` holds the values of the controls.
    static int Run(GsiXmlOptions& options, QWidget* parent = nullptr);

    bool enterPressed = false;
    bool escapePressed = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void reject() override { done(2); }

private:
    void OnZoneSelect();
    void ShowZone();

    GsiXmlOptions& m_options;
    std::array<QLineEdit*, kGsiRowCount> m_layers{};
    std::array<CColorComboBox*, kGsiRowCount> m_colours{};
    QLineEdit* m_height = nullptr;
    QLabel* m_zone = nullptr;
};

// Commands 33030, 33044 and 33070 with their dialogs. refreshHeightScale: the frame's
// height-scale box shows a new range.
void InstallMapXmlCommands(QWidget* frame, FrameCommandTarget& commands,
                           std::function<void()> refreshHeightScale);

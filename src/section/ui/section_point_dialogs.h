#pragma once
// 測点編集 (215): distance and height of one point of the shown section, written at once.
// 色設定 (151): the eleven colours of the section windows.
#include <QDialog>

#include "section/cross_section_edit.h"

class QLineEdit;
class QPushButton;

class CSectionPointEditDlg : public QDialog {
    Q_OBJECT
public:
    // anchor: the point (screen coordinates) the dialog places itself below or above.
    CSectionPointEditDlg(QWidget* parent, QPoint anchor, bool addMode, std::function<void()> repaintWindow);
    void Refill();
    QLineEdit* DistanceBox() const { return m_distance; }
    QLineEdit* HeightBox() const { return m_height; }
    void Spin(int delta);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QLineEdit* m_distance = nullptr;
    QLineEdit* m_height = nullptr;
    SectionPointEditValues m_values;
    bool m_enter = false;
    QPoint m_anchor;
    std::function<void()> m_repaintWindow;
};

class CSectionColorDlg : public QDialog {
    Q_OBJECT
public:
    CSectionColorDlg(QWidget* parent, std::function<void()> repaintWindow);
    // Stores a colour as the chooser would (tests call it directly).
    void SetColor(int index, uint32_t rgb);
    // The chooser; replaced by tests.
    std::function<bool(uint32_t& rgb)> chooseColor;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void RefreshSwatches();
    SectionColorEdit m_edit;
    QPushButton* m_swatches[11] = {};
    std::function<void()> m_repaintWindow;
};

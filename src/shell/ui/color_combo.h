#pragma once
// The colour picker list of many dialogs: each item is a colour (0x00BBGGRR, the drawing
// palette's order) shown as a swatch with its item number; the item has no text. The
// selected index is what the dialogs store as a colour number.
#include <QComboBox>
#include <cstdint>

class CColorComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit CColorComboBox(QWidget* parent = nullptr);

    // Returns the new item's index.
    int AddColor(uint32_t colorRef);
    uint32_t ColorAt(int index) const;
    // Makes the closed box `height` pixels high by changing its selection field:
    // field := field + height - current box height.
    void AdjustEditHeight(int height);
    int FieldHeight() const { return m_fieldHeight; }
    int ItemHeight() const { return m_itemHeight; }

    // One item as the list and the closed box show it.
    static void DrawItem(QPainter& painter, const QRect& rect, int index, uint32_t colorRef, bool selected);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int FrameHeight() const;

    int m_itemHeight = 16;
    int m_fieldHeight = 0;
};

QColor ColorFromColorRef(uint32_t colorRef);

// Entries 60 to 75 of the drawing palette into `combo`, entry `selection` selected, the
// closed box 20 pixels taller. Without the palette nothing happens.
void FillPaletteColorCombo(CColorComboBox& combo, int selection);

#include "shell/ui/color_combo.h"

#include <QAbstractItemView>
#include <QPainter>
#include <QStyleOptionComboBox>
#include <QStyledItemDelegate>
#include <QStylePainter>
#include <algorithm>

#include "view/palette.h"

namespace {
constexpr int kColorRole = Qt::UserRole;

class ColorItemDelegate : public QStyledItemDelegate {
public:
    ColorItemDelegate(QObject* parent, const int* itemHeight) : QStyledItemDelegate(parent), m_itemHeight(itemHeight) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        painter->save();
        painter->fillRect(option.rect, Qt::white);
        CColorComboBox::DrawItem(*painter, option.rect, index.row(), index.data(kColorRole).toUInt(),
                                 (option.state & QStyle::State_Selected) != 0);
        painter->restore();
    }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return {QStyledItemDelegate::sizeHint(option, index).width(), *m_itemHeight};
    }

private:
    const int* m_itemHeight;
};
}  // namespace

QColor ColorFromColorRef(uint32_t colorRef) {
    return QColor(colorRef & 0xff, (colorRef >> 8) & 0xff, (colorRef >> 16) & 0xff);
}

CColorComboBox::CColorComboBox(QWidget* parent) : QComboBox(parent) {
    setItemDelegate(new ColorItemDelegate(this, &m_itemHeight));
    m_fieldHeight = std::max(m_itemHeight, sizeHint().height() - FrameHeight());
    setFixedHeight(m_fieldHeight + FrameHeight());
}

int CColorComboBox::FrameHeight() const {
    QStyleOptionComboBox option;
    initStyleOption(&option);
    return 2 * style()->pixelMetric(QStyle::PM_ComboBoxFrameWidth, &option, this);
}

int CColorComboBox::AddColor(uint32_t colorRef) {
    addItem(QString());
    const int index = count() - 1;
    setItemData(index, colorRef, kColorRole);
    return index;
}

uint32_t CColorComboBox::ColorAt(int index) const { return itemData(index, kColorRole).toUInt(); }

void CColorComboBox::AdjustEditHeight(int height) {
    m_fieldHeight = std::max(1, m_fieldHeight + height - this->height());
    setFixedHeight(m_fieldHeight + FrameHeight());
}

void CColorComboBox::DrawItem(QPainter& painter, const QRect& rect, int index, uint32_t colorRef, bool selected) {
    const int top = rect.top() + 1;
    const int bottom = rect.bottom();  // one above the exclusive bottom
    const int left = rect.left() + 2;
    const int mid = rect.left() + rect.width() / 2 + 2;
    painter.setPen(Qt::black);
    painter.setBrush(ColorFromColorRef(colorRef));
    if (mid - left > 1 && bottom - top > 1) painter.drawRect(QRect(left, top, mid - left - 1, bottom - top - 1));
    painter.setBrush(Qt::NoBrush);
    painter.setPen(Qt::black);
    const QRect textRect(mid + 3, top, std::max(0, rect.right() - mid - 3), bottom - top);
    painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter, QString::number(index));
    painter.setPen(selected ? QColor(120, 120, 120) : QColor(Qt::white));
    painter.drawRect(rect.adjusted(0, 0, -1, -1));
}

void CColorComboBox::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    option.currentText.clear();
    option.currentIcon = QIcon();
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    if (currentIndex() < 0) return;
    const QRect field = style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    painter.fillRect(field, Qt::white);
    DrawItem(painter, field, currentIndex(), ColorAt(currentIndex()), hasFocus());
}

void FillPaletteColorCombo(CColorComboBox& combo, int selection) {
    if (!g_drawBitmapInfo) return;
    for (int k = 60; k <= 75; ++k) {
        const RgbQuad& c = g_drawBitmapInfo->colors[k];
        combo.AddColor(uint32_t(c.blue) << 16 | uint32_t(c.green) << 8 | c.red);
    }
    combo.setCurrentIndex(selection);
    combo.AdjustEditHeight(combo.height() + 20);
}

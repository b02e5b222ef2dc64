#include "shell/ui/toolbar_icons.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygonF>
#include <cmath>

namespace {
const QColor kInk(30, 30, 30);
const QColor kBlue(30, 80, 170);
const QColor kGreen(40, 130, 60);
const QColor kRed(180, 40, 40);

// Drawing in a 16 x 15 box, scaled to the button.
class Glyph {
public:
    explicit Glyph(QPixmap& pixmap) : m_p(&pixmap) {
        m_p.setRenderHint(QPainter::Antialiasing);
        m_p.scale(pixmap.width() / pixmap.devicePixelRatio() / 16.0,
                  pixmap.height() / pixmap.devicePixelRatio() / 15.0);
    }
    QPainter& P() { return m_p; }

    void Magnifier(const QString& sign) {
        m_p.setPen(QPen(kInk, 1.3));
        m_p.setBrush(QColor(220, 235, 255));
        m_p.drawEllipse(QRectF(1.5, 1.5, 9, 9));
        m_p.setPen(QPen(kInk, 2.2, Qt::SolidLine, Qt::RoundCap));
        m_p.drawLine(QPointF(9.5, 9.5), QPointF(14, 13.5));
        m_p.setPen(QPen(kBlue, 1.4));
        if (sign.contains('-') || sign.contains('+'))
            m_p.drawLine(QPointF(3.5, 6), QPointF(8.5, 6));
        if (sign.contains('+')) m_p.drawLine(QPointF(6, 3.5), QPointF(6, 8.5));
        if (sign.contains('#')) {
            m_p.setPen(QPen(kBlue, 1, Qt::DashLine));
            m_p.setBrush(Qt::NoBrush);
            m_p.drawRect(QRectF(3.5, 3.5, 5, 5));
        }
    }
    void Arrow(QPointF from, QPointF to, const QColor& color) {
        m_p.setPen(QPen(color, 1.6, Qt::SolidLine, Qt::RoundCap));
        m_p.drawLine(from, to);
        const QPointF d = to - from;
        const double len = std::hypot(d.x(), d.y());
        if (len <= 0) return;
        const QPointF u = d / len, n(-u.y(), u.x());
        QPolygonF head;
        head << to << to - u * 4 + n * 2.5 << to - u * 4 - n * 2.5;
        m_p.setBrush(color);
        m_p.setPen(Qt::NoPen);
        m_p.drawPolygon(head);
    }
    void Turn(bool clockwise) {
        m_p.setPen(QPen(kBlue, 1.6));
        m_p.setBrush(Qt::NoBrush);
        m_p.drawArc(QRectF(2.5, 2.5, 11, 10), clockwise ? 30 * 16 : 150 * 16,
                    clockwise ? 270 * 16 : -270 * 16);
        const QPointF tip = clockwise ? QPointF(12.9, 4.6) : QPointF(3.1, 4.6);
        Arrow(tip + QPointF(clockwise ? -0.1 : 0.1, 0.6), tip + QPointF(0, -0.6), kBlue);
    }
    void Text(const QString& text, const QColor& color, double size = 7.5) {
        QFont f;
        f.setPointSizeF(size);
        f.setBold(true);
        m_p.setFont(f);
        m_p.setPen(color);
        m_p.drawText(QRectF(0, 0, 16, 15), Qt::AlignCenter, text);
    }
    void Terrain() {
        QPolygonF hill;
        hill << QPointF(1, 13) << QPointF(5, 6) << QPointF(8, 9) << QPointF(11, 3)
             << QPointF(15, 13);
        m_p.setPen(QPen(kGreen.darker(), 1));
        m_p.setBrush(QColor(150, 200, 120));
        m_p.drawPolygon(hill);
    }

private:
    QPainter m_p;
};

// Display-toolbar buttons are wide: a short label suits them better than a picture.
QString WideLabel(int id) {
    switch (id) {
        case 32885:
            return "点";
        case 32792:
            return "点名";
        case 32793:
            return "標高";
        case 32797:
            return "簡易線";
        case 32771:
            return "三角網";
        case 32854:
            return "方眼";
        case 32786:
            return "段彩";
        case 32974:
            return "傾斜";
        case 32966:
            return "断面";
        case 32979:
            return "流水";
        case 32844:
            return "２点";
        case 32794:
            return "等高";
        case 32894:
            return "ｽﾗｲｽ";
        case 32876:
            return "ﾒｯｼｭ";
        case 32783:
            return "ﾒ標高";
        case 32784:
            return "ﾒ土量";
        case 32824:
            return "基準線";
        case 32785:
            return "基準名";
        case 32798:
            return "縦横";
        case 32866:
            return "画像";
        case 32873:
            return "DXF";
        case 32970:
            return "ﾌﾗｸﾞ";
        default:
            return {};
    }
}

void DrawGlyph(Glyph& g, int id) {
    QPainter& p = g.P();
    switch (id) {
        case 32790:
            g.Magnifier("#");
            break;
        case 32775:
            g.Magnifier("+");
            break;
        case 32779:
            g.Magnifier("-");
            break;
        case 32789:  // pan
            g.Arrow({8, 7.5}, {8, 1.5}, kInk);
            g.Arrow({8, 7.5}, {8, 13.5}, kInk);
            g.Arrow({8, 7.5}, {2, 7.5}, kInk);
            g.Arrow({8, 7.5}, {14, 7.5}, kInk);
            break;
        case 32800:  // show all
            p.setPen(QPen(kInk, 1.2));
            p.setBrush(Qt::NoBrush);
            p.drawRect(QRectF(1.5, 1.5, 13, 12));
            g.Arrow({8, 7.5}, {3, 3}, kBlue);
            g.Arrow({8, 7.5}, {13, 12}, kBlue);
            break;
        case 32776:
            g.Arrow({13, 7.5}, {2.5, 7.5}, kBlue);
            break;  // previous screen
        case 32805:
            g.Terrain();
            g.Text("3D", kRed, 6.5);
            break;
        case 32778:
            g.Arrow({8, 13}, {8, 2}, kBlue);
            break;
        case 32777:
            g.Arrow({8, 2}, {8, 13}, kBlue);
            break;
        case 32780:
            g.Turn(false);
            break;
        case 32781:
            g.Turn(true);
            break;
        case 32782:  // reset
            p.setPen(QPen(kInk, 1.2));
            p.setBrush(QColor(255, 240, 200));
            p.drawPolygon(
                QPolygonF({QPointF(8, 1.5), QPointF(14.5, 7), QPointF(12.5, 7), QPointF(12.5, 13.5),
                           QPointF(3.5, 13.5), QPointF(3.5, 7), QPointF(1.5, 7)}));
            break;
        case 32961:  // light source
            p.setPen(QPen(QColor(200, 140, 0), 1.2));
            p.setBrush(QColor(255, 210, 40));
            p.drawEllipse(QRectF(4.5, 4, 7, 7));
            for (int i = 0; i < 8; ++i) {
                const double a = i * 3.14159265 / 4;
                p.drawLine(QPointF(8 + 4.8 * std::cos(a), 7.5 + 4.8 * std::sin(a)),
                           QPointF(8 + 6.8 * std::cos(a), 7.5 + 6.8 * std::sin(a)));
            }
            break;
        case 32814:  // overview window
            p.setPen(QPen(kInk, 1));
            p.setBrush(Qt::white);
            p.drawRect(QRectF(1.5, 1.5, 13, 12));
            p.setPen(QPen(kRed, 1.2));
            p.setBrush(Qt::NoBrush);
            p.drawRect(QRectF(5, 5, 6, 5));
            break;
        default:
            g.Text("?", kInk);
            break;
    }
}
}  // namespace

QIcon ToolbarIcon(int commandId, QSize size) {
    QPixmap pixmap(size * 2);
    pixmap.setDevicePixelRatio(2.0);
    pixmap.fill(Qt::transparent);
    const QString label = WideLabel(commandId);
    if (!label.isEmpty() && size.width() > 2 * size.height()) {
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::TextAntialiasing);
        QFont f;
        f.setPixelSize(size.height() - 3);
        p.setFont(f);
        p.setPen(kInk);
        p.drawText(QRectF(0, 0, size.width(), size.height()), Qt::AlignCenter, label);
        return QIcon(pixmap);
    }
    // Wide buttons that show a view command draw its picture in the middle.
    if (size.width() > 2 * size.height()) {
        QPixmap square(QSize(16, 15) * 2);
        square.setDevicePixelRatio(2.0);
        square.fill(Qt::transparent);
        {
            Glyph g(square);
            DrawGlyph(g, commandId);
        }
        QPainter p(&pixmap);
        p.drawPixmap(QPointF((size.width() - 16) / 2.0, (size.height() - 15) / 2.0), square);
        return QIcon(pixmap);
    }
    {
        Glyph g(pixmap);
        DrawGlyph(g, commandId);
    }
    return QIcon(pixmap);
}

QIcon ProgramIcon() {
    QPixmap pixmap(64, 64);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 90, 160));
    p.drawRoundedRect(QRectF(2, 2, 60, 60), 10, 10);
    QPolygonF hill;
    hill << QPointF(6, 54) << QPointF(22, 26) << QPointF(32, 38) << QPointF(44, 14)
         << QPointF(58, 54);
    p.setBrush(QColor(150, 210, 120));
    p.setPen(QPen(QColor(30, 90, 40), 2));
    p.drawPolygon(hill);
    p.setPen(QPen(QColor(255, 255, 255, 180), 1.5));
    p.drawLine(QPointF(22, 26), QPointF(32, 54));
    p.drawLine(QPointF(32, 38), QPointF(44, 54));
    p.drawLine(QPointF(44, 14), QPointF(32, 38));
    return QIcon(pixmap);
}

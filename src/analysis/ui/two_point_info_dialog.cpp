#include "analysis/ui/two_point_info_dialog.h"

#include <QCursor>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "analysis/two_point_info.h"
#include "model/terrain_data.h"
#include "platform/encoding.h"
#include "view/view_state.h"

CRandom2_view::CRandom2_view(QWidget* parent) : QDialog(parent) {
    setObjectName("twoPointInfoDialog");
    setWindowTitle(QString::fromUtf8("２点間情報"));
    RandomPoint s{}, e{};
    if (g_pickedPoint >= 1 && g_pickedPoint <= g_pointCount) s = g_points[g_pickedPoint];
    if (g_pickedPoint2 >= 1 && g_pickedPoint2 <= g_pointCount) e = g_points[g_pickedPoint2];
    const TwoPointInfoTexts t = FormatTwoPointInfo(s, e);

    auto label = [this](const char* id, const std::string& text) {
        auto* l = new QLabel(QString::fromStdString(text), this);
        l->setObjectName(id);
        return l;
    };
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QString::fromUtf8("始点"), this), 0, 1);
    grid->addWidget(new QLabel(QString::fromUtf8("終点"), this), 0, 2);
    const char* rows[] = {"Ｘ", "Ｙ", "Ｈ", "点名"};
    for (int r = 0; r < 4; ++r)
        grid->addWidget(new QLabel(QString::fromUtf8(rows[r]), this), r + 1, 0);
    grid->addWidget(label("1113", t.startX), 1, 1);
    grid->addWidget(label("1114", t.startY), 2, 1);
    grid->addWidget(label("1115", t.startZ), 3, 1);
    grid->addWidget(label("1116", Cp932ToUtf8(t.startName)), 4, 1);
    grid->addWidget(label("1117", t.endX), 1, 2);
    grid->addWidget(label("1118", t.endY), 2, 2);
    grid->addWidget(label("1119", t.endZ), 3, 2);
    grid->addWidget(label("1120", Cp932ToUtf8(t.endName)), 4, 2);
    auto* results = new QVBoxLayout;
    results->addWidget(label("1017", t.planeDistance));
    results->addWidget(label("1018", t.slantDistance));
    results->addWidget(label("1019", t.heightDifference));
    results->addWidget(label("1021", t.slope));
    results->addWidget(label("1020", t.azimuth));
    auto* ok = new QPushButton(QString::fromUtf8("OK"), this);
    ok->setObjectName("1084");
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, [this] {
        TwoPointInfoOk();
        done(kTwoPointInfoOk);
    });
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(results);
    layout->addLayout(buttons);
}

int CRandom2_view::Run(QWidget* parent, QWidget* view) {
    CRandom2_view dialog(parent);
    if (view) {
        dialog.adjustSize();
        const QPoint cursor = view->mapFromGlobal(QCursor::pos());
        const TwoPointInfoPlace place = TwoPointInfoReference(cursor.x(), cursor.y());
        const QPoint ref = view->mapToGlobal(QPoint(place.x, place.y));
        const QSize size = dialog.frameGeometry().size();
        int left = ref.x() - 32 - place.halfGap - size.width();
        if (left < 0) left = ref.x() + 32 + place.halfGap;
        int top = ref.y() - size.height() / 2;
        const QWidget* main = view->window();
        const int bottom = main->frameGeometry().bottom();
        if (top + size.height() > bottom) top = bottom - size.height();
        if (top < 0) top = 0;
        dialog.move(left, top);
    }
    return dialog.exec();
}

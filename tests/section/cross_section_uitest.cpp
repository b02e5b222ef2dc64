// The cross-section window from the menu: popup modes, adding a point through 測点編集,
// colours through 色設定, and keys that must not close it.
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <functional>

#include "model/terrain_data.h"
#include "section/cross_section_edit.h"
#include "section/section_defaults.h"
#include "section/section_point_edit.h"
#include "section/section_records.h"
#include "section/ui/cross_section_window.h"
#include "section/ui/section_frame_widget.h"
#include "section/ui/section_point_dialogs.h"
#include "shell/tool_windows.h"
#include "shell/ui/main_frame.h"

namespace {
template <typename W>
W* Control(QWidget* dialog, const char* id) {
    W* w = dialog->findChild<W*>(QString::fromLatin1(id));
    if (!w) qFatal("control %s missing", id);
    return w;
}

void WhenModal(std::function<void(QWidget*)> act) {
    QTimer::singleShot(0, [act] {
        QPointer<QWidget> modal = QApplication::activeModalWidget();
        if (!modal) qFatal("no modal dialog");
        act(modal);
        if (modal && modal->isVisible()) modal->close();
    });
}

void OneSection() {
    CreateSectionBlocks();
    CrossSection* s = GetCrossSection(1);
    s->number = 1;
    s->height = 10.0;
    s->centreX = 1000, s->centreY = 2000;
    s->leftDirX = -1, s->leftDirY = 0;
    s->rightDirX = 1, s->rightDirY = 0;
    ReserveSectionPoints(s, 2);
    s->points[1].leftOffset = -5, s->points[1].leftHeight = 9;
    s->points[1].rightOffset = 5, s->points[1].rightHeight = 11;
    s->leftCount = s->rightCount = 1;
    g_crossSectionCount = 1;
    g_sectionViewCount = 1;
    g_hasSections = 1;
    RecalcSectionExtents();
}

QAction* PopupItem(CCrossSectionDlg* w, const char* text) {
    for (QAction* a : w->PopupMenu()->actions())
        if (a->text() == QString::fromUtf8(text)) return a;
    qFatal("popup item %s missing", text);
}

void PressEnter(QWidget* w) { QTest::keyClick(w, Qt::Key_Return); }
}  // namespace

class CrossSectionUiTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        InitDataModel();
        InitRouteSectionDefaults();
    }
    void cleanup() {
        InitRouteSectionDefaults();
        ReleaseDataModel();
    }

    void commandOpensAndClosesTheWindow() {
        CMainFrame frame;
        OneSection();  // after the frame's start-up
        frame.ExecuteCommand(32822);
        auto* w = dynamic_cast<CCrossSectionDlg*>(GetToolWindow(ToolWindow::kSection));
        QVERIFY(w);
        QCOMPARE(g_currentSection, 1);
        QVERIFY(w->windowTitle().contains(QString::fromUtf8("左  1")));
        // Enter and Esc never close it.
        w->show();
        QTest::keyClick(w, Qt::Key_Escape);
        QTest::keyClick(w, Qt::Key_Return);
        QTest::keyClick(Control<QLineEdit>(w, "1020"), Qt::Key_Escape);
        QVERIFY(IsToolWindowOpen(ToolWindow::kSection));
        QVERIFY(w->isVisible());
        QPointer<CCrossSectionDlg> first = w;
        frame.ExecuteCommand(32822);
        QVERIFY(!IsToolWindowOpen(ToolWindow::kSection));
        QCOMPARE(g_currentSection, 0);
        QVERIFY(!first || !first->isVisible());
        // The close box closes it too.
        frame.ExecuteCommand(32822);
        w = dynamic_cast<CCrossSectionDlg*>(GetToolWindow(ToolWindow::kSection));
        QVERIFY(w);
        w->show();
        QPointer<CCrossSectionDlg> second = w;
        w->close();
        QVERIFY(!second || !second->isVisible());
        QVERIFY(!IsToolWindowOpen(ToolWindow::kSection));
    }

    void popupModesAndAddThroughThePointEditDialog() {
        CMainFrame frame;
        OneSection();  // after the frame's start-up
        frame.ExecuteCommand(32822);
        auto* w = dynamic_cast<CCrossSectionDlg*>(GetToolWindow(ToolWindow::kSection));
        QVERIFY(w);
        w->resize(820, 520);
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        PopupItem(w, "拡大")->trigger();
        QCOMPARE(g_sectionViewMode, kSectionViewZoomBox);
        QVERIFY(Control<QPushButton>(w, "1023")->isChecked());
        PopupItem(w, "移動")->trigger();
        QCOMPARE(g_sectionViewMode, kSectionViewMove);
        QVERIFY(!Control<QPushButton>(w, "1023")->isChecked());
        PopupItem(w, "測点追加")->trigger();
        QCOMPARE(g_sectionEditMode, kSectionEditAdd);
        QCOMPARE(g_sectionViewMode, 0);

        CSectionFrameWidget* f = w->FrameWidget();
        // Right of the centre, a little above it: a new right point 1.
        const SectionPixel at = SectionWorldToScreen(f->Frame(), 2.0, 10.0);
        bool seen = false;
        WhenModal([&](QWidget* dlg) {
            seen = true;
            QCOMPARE(dlg->windowTitle(), QString::fromUtf8("測点編集 右 1"));
            QVERIFY(!Control<QWidget>(dlg, "1033")->isVisible());  // no spin while adding
            QLineEdit* distance = Control<QLineEdit>(dlg, "1095");
            QLineEdit* height = Control<QLineEdit>(dlg, "1032");
            distance->setFocus();
            distance->setText("2.5");
            PressEnter(distance);
            height->setFocus();
            height->setText("12.75");
            PressEnter(height);
            QVERIFY(dlg->isVisible());  // Enter applies, it does not end the dialog
            QTest::mouseClick(Control<QPushButton>(dlg, "1"), Qt::LeftButton);
        });
        QTest::mouseClick(f, Qt::LeftButton, Qt::NoModifier, QPoint(at.x, at.y));
        QVERIFY(seen);
        const CrossSection* s = GetCrossSection(1);
        QCOMPARE(s->rightCount, 2);
        QCOMPARE(s->points[1].rightOffset, 2.5);
        QCOMPARE(s->points[1].rightHeight, 12.75);
        QCOMPARE(s->points[1].rightX, 1002.5);

        // Added again and cancelled: the new point goes.
        WhenModal([&](QWidget* dlg) { QTest::mouseClick(Control<QPushButton>(dlg, "2"), Qt::LeftButton); });
        const SectionPixel at2 = SectionWorldToScreen(f->Frame(), -2.0, 10.0);
        QTest::mouseClick(f, Qt::LeftButton, Qt::NoModifier, QPoint(at2.x, at2.y));
        QCOMPARE(s->leftCount, 1);

        PopupItem(w, "解除")->trigger();
        QCOMPARE(g_sectionEditMode, 0);
        frame.ExecuteCommand(32822);
    }

    void typedBoxesApplyOnEnter() {
        CMainFrame frame;
        OneSection();
        *GetCrossSection(2) = *GetCrossSection(1);
        GetCrossSection(2)->number = 2;
        g_crossSectionCount = g_sectionViewCount = 2;
        frame.ExecuteCommand(32822);
        auto* w = dynamic_cast<CCrossSectionDlg*>(GetToolWindow(ToolWindow::kSection));
        QVERIFY(w);
        w->show();
        struct Case {
            const char* box;
            const char* typed;
            const char* shown;
        } cases[] = {
            {"1031", "2", "2"}, {"1031", "3", "2"}, {"1020", "1000", "10.0"}, {"1020", "0", "0.0"},
            {"1082", "0", " 1.0"}, {"1082", "250", " 100.0"},
        };
        for (const Case& c : cases) {
            QLineEdit* box = Control<QLineEdit>(w, c.box);
            box->setText(QString::fromLatin1(c.typed));
            PressEnter(box);
            QCOMPARE(box->text(), QString::fromLatin1(c.shown));
            QVERIFY(w->isVisible());
        }
        QCOMPARE(g_currentSection, 2);
        w->SpinSection(-1);  // past the count: stays at the last
        QCOMPARE(g_currentSection, 2);
        w->SpinSection(1);
        QCOMPARE(g_currentSection, 1);
        w->SpinSection(1);  // below 1: nothing
        QCOMPARE(g_currentSection, 1);
        frame.ExecuteCommand(32822);
    }

    void coloursThroughTheColourDialog() {
        CMainFrame frame;
        OneSection();  // after the frame's start-up
        frame.ExecuteCommand(32822);
        auto* w = dynamic_cast<CCrossSectionDlg*>(GetToolWindow(ToolWindow::kSection));
        QVERIFY(w);
        const uint32_t before[3] = {g_sectionViewColors[0], g_sectionViewColors[4], g_sectionViewColors[9]};
        WhenModal([](QWidget* dlg) {
            auto* c = qobject_cast<CSectionColorDlg*>(dlg);
            QVERIFY(c);
            c->SetColor(0, 0x123456);
            c->SetColor(4, 0x654321);
            c->SetColor(9, 0x0000FF);
            QCOMPARE(g_sectionViewColors[9], 0x0000FFu);
            QTest::mouseClick(Control<QPushButton>(dlg, "1014"), Qt::LeftButton);  // キャンセル
        });
        QTest::mouseClick(Control<QPushButton>(w, "1073"), Qt::LeftButton);
        QCOMPARE(g_sectionViewColors[0], before[0]);
        QCOMPARE(g_sectionViewColors[4], before[1]);
        QCOMPARE(g_sectionViewColors[9], before[2]);
        WhenModal([](QWidget* dlg) {
            auto* c = qobject_cast<CSectionColorDlg*>(dlg);
            QVERIFY(c);
            c->SetColor(0, 0x123456);
            QTest::mouseClick(Control<QPushButton>(dlg, "1073"), Qt::LeftButton);  // 閉じる
        });
        QTest::mouseClick(Control<QPushButton>(w, "1073"), Qt::LeftButton);
        QCOMPARE(g_sectionViewColors[0], 0x123456u);
        WhenModal([](QWidget* dlg) {
            QTest::mouseClick(Control<QPushButton>(dlg, "1074"), Qt::LeftButton);  // 初期化
            QCOMPARE(g_sectionViewColors[0], 0xFF0000u);
            QTest::mouseClick(Control<QPushButton>(dlg, "1073"), Qt::LeftButton);
        });
        QTest::mouseClick(Control<QPushButton>(w, "1073"), Qt::LeftButton);
        QCOMPARE(g_sectionViewColors[0], 0xFF0000u);
        frame.ExecuteCommand(32822);
    }
};

QTEST_MAIN(CrossSectionUiTest)
#include "cross_section_uitest.moc"

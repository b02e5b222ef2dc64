// The section shift window and the section random output from the menu.
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <cstring>
#include <functional>
#include <memory>
#include <string>

#include "model/document.h"
#include "model/terrain_data.h"
#include "model/ui/document_ui.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "platform/text_io.h"
#include "route/route_data.h"
#include "section/section_defaults.h"
#include "section/section_records.h"
#include "section/section_frame.h"
#include "section/section_shift_command.h"
#include "section/section_point_edit.h"
#include "section/ui/section_frame_widget.h"
#include "section/ui/section_shift_window.h"
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
    EnsureCrossSectionRoom(1, 10, 300);
    CrossSection& s = *GetCrossSection(1);
    s = CrossSection{};
    CopySectionName(s.name, kSectionNameBytes, "NO.0");
    s.height = 100.5;
    s.centreX = 10, s.centreY = 20;
    s.points.resize(2, SectionPoint{});
    s.leftCount = s.rightCount = 1;
    s.points[1].leftOffset = -5, s.points[1].leftHeight = 103;
    s.points[1].rightOffset = 5, s.points[1].rightHeight = 99;
    g_crossSectionCount = 1;
    g_hasSections = 1;
}
}  // namespace

class SectionShiftUiTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        InitRouteSectionDefaults();
        InitDataModel();
        CreateSectionBlocks();
        ClearRecordedMessages();
        ClearRecordedFileDialogs();
    }
    void cleanup() { ReleaseDataModel(); }

    void shiftWindowCalculatesWithTheTypedValues() {
        CMainFrame frame;
        std::unique_ptr<CPelmo_3DDoc> doc = MakeDocument();
        frame.SetDocument(doc.get());
        OneSection();
        frame.RefreshCommandStates();
        frame.ExecuteCommand(33069);
        QWidget* window = dynamic_cast<QWidget*>(GetToolWindow(ToolWindow::kSectionShift));
        QVERIFY(window != nullptr);
        QPointer<QWidget> alive(window);
        auto* datum = Control<QLineEdit>(window, "1033");
        datum->setText("100");
        QFocusEvent out(QEvent::FocusOut);
        QApplication::sendEvent(datum, &out);
        QCOMPARE(datum->text(), QString(" 100.000"));
        Control<QPushButton>(window, "1223")->click();
        const PlanSection* p = GetPlanSection(1);
        QVERIFY(p != nullptr);
        QCOMPARE(p->planHeight, 100.0);
        QCOMPARE(p->points[1].leftHeight, 102.0);
        QCOMPARE(p->points[1].rightHeight, 100.0);
        // 保存 writes both files where the dialog says.
        QTemporaryDir dir;
        const std::string path = (dir.path() + "/shift.ODN").toStdString();
        QueueFileDialogAnswer(path);
        Control<QPushButton>(window, "1222")->click();
        QVERIFY(QFileInfo::exists(dir.path() + "/shift.ODN"));
        QVERIFY(QFileInfo::exists(dir.path() + "/shift.JDN"));
        // ﾗﾝﾀﾞﾑ writes the plan points as random points, the centre first.
        const std::string rnd = (dir.path() + "/shift.RND").toStdString();
        QueueFileDialogAnswer(rnd);
        Control<QPushButton>(window, "1044")->click();
        std::string bytes;
        QVERIFY(ReadFileBytes(rnd, bytes));
        QVERIFY(bytes.find("NO.0             10.0000         20.0000     100.000  0  0  3\r\n") != std::string::npos);
        frame.ExecuteCommand(33069);
        QVERIFY(!IsToolWindowOpen(ToolWindow::kSectionShift));
        QTRY_VERIFY(alive.isNull());
        QCOMPARE(g_currentSection, 0);
    }

    void randomOutputDialog() {
        CMainFrame frame;
        std::unique_ptr<CPelmo_3DDoc> doc = MakeDocument();
        frame.SetDocument(doc.get());
        OneSection();
        frame.RefreshCommandStates();
        QTemporaryDir dir;
        const std::string path = (dir.path() + "/sections.RND").toStdString();
        QueueFileDialogAnswer(path);
        bool insideEnabled = true, crossings = false, centreOnly = true;
        WhenModal([&](QWidget* dlg) {
            insideEnabled = Control<QCheckBox>(dlg, "1163")->isEnabled();
            crossings = Control<QCheckBox>(dlg, "1162")->isChecked();
            centreOnly = Control<QCheckBox>(dlg, "1161")->isChecked();
            Control<QPushButton>(dlg, "1132")->click();
        });
        frame.ExecuteCommand(32816);
        QVERIFY(!insideEnabled);
        QVERIFY(crossings);
        QVERIFY(!centreOnly);
        std::string bytes;
        QVERIFY(ReadFileBytes(path, bytes));
        QVERIFY(bytes.find("NO.0") != std::string::npos);
    }
    void selectionNeighboursReadoutAndPlace() {
        CMainFrame frame;
        OneSection();
        // A second section like the first, 4 m higher, and a first one ending lower.
        EnsureCrossSectionRoom(2, 10, 300);
        *GetCrossSection(2) = *GetCrossSection(1);
        CrossSection& two = *GetCrossSection(2);
        two.number = 2;
        two.height += 4, two.points[1].leftHeight += 4, two.points[1].rightHeight += 4;
        g_crossSectionCount = 2;
        RecalcSectionExtents();
        g_pointZMin = 0;
        frame.RefreshCommandStates();
        frame.ExecuteCommand(33069);
        auto* w = dynamic_cast<CODN_SFT*>(GetToolWindow(ToolWindow::kSectionShift));
        QVERIFY(w);
        w->setGeometry(120, 90, 840, 560);
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        Control<QPushButton>(w, "1223")->click();  // 計算2: shift 1, datum 0
        w->SpinSection(-1);
        QCOMPARE(g_currentSection, 2);
        CSectionFrameWidget* f = w->FrameWidget();
        f->grab();  // scale for the section on show

        // A press on the right plan point selects it while the button is held.
        const SectionPixel plan = SectionWorldToScreen(f->Frame(), 5.0, 102.0);
        QTest::mousePress(f, Qt::LeftButton, Qt::NoModifier, QPoint(plan.x, plan.y));
        QCOMPARE(g_sectionSelectedPoint, 1);
        // Beside the press pixel, which the (empty) measuring line inverts.
        QImage held = f->grab().toImage();
        QCOMPARE(held.pixel(plan.x - 1, plan.y + 1) & 0xFFFFFF, g_sectionViewColors[6]);
        QTest::mouseRelease(f, Qt::LeftButton, Qt::NoModifier, QPoint(plan.x, plan.y));
        QCOMPARE(g_sectionSelectedPoint, 0);

        // 前断面 shows section 1's ground in its own colour; off, it is not drawn.
        auto previousShown = [&] {
            const QImage image = f->grab().toImage();
            // Halfway along section 1's right side: (2.5, 99.75).
            const SectionPixel at = SectionWorldToScreen(f->Frame(), 2.5, 99.75);
            for (int dy = -1; dy <= 1; ++dy)
                if ((image.pixel(at.x, at.y + dy) & 0xFFFFFF) == g_sectionViewColors[2]) return true;
            return false;
        };
        for (int i = 0; i < 7; ++i) Control<QPushButton>(w, "1024")->click();  // section 1 into the frame
        QVERIFY(!previousShown());
        Control<QCheckBox>(w, "1018")->setChecked(true);
        QVERIFY(previousShown());

        // Measuring: the readout reads distance, grade and rise from the press point.
        const SectionWorld a = SectionScreenToWorld(f->Frame(), 300, 200);
        const SectionWorld b = SectionScreenToWorld(f->Frame(), 400, 150);
        QCOMPARE(f->readoutText(400, 150, true).substr(0, 18), FormatShiftReadout(b, &a).substr(0, 18));
        f->pressPos = QPoint(300, 200);
        QCOMPARE(f->readoutText(400, 150, true), FormatShiftReadout(b, &a));
        QCOMPARE(f->readoutText(400, 150, false), FormatShiftReadout(b, nullptr));

        // Closed and opened again: the same place.
        const QRect place = w->geometry();
        frame.ExecuteCommand(33069);
        QVERIFY(!IsToolWindowOpen(ToolWindow::kSectionShift));
        frame.ExecuteCommand(33069);
        auto* again = dynamic_cast<CODN_SFT*>(GetToolWindow(ToolWindow::kSectionShift));
        QVERIFY(again);
        QCOMPARE(again->geometry(), place);
        QCOMPARE(g_currentSection, 1);
        frame.ExecuteCommand(33069);
    }
};

QTEST_MAIN(SectionShiftUiTest)
#include "section_shift_uitest.moc"

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
};

QTEST_MAIN(SectionShiftUiTest)
#include "section_shift_uitest.moc"

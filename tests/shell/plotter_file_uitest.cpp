// カルドミア出力 from the menu: two clicks on survey points in the view open the output
// dialog on them; a scale of 0 or text keeps the one shown; ｷｬﾝｾﾙ leaves no tool behind.
#include <QLineEdit>
#include <QTemporaryDir>
#include <QtTest>

#include "../support/ui_driver.h"
#include "model/terrain_data.h"
#include "platform/message_box.h"
#include "shell/tool_mode.h"

namespace fs = std::filesystem;
using namespace ui_driver;

class PlotterFileUiTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        QVERIFY(m_root.isValid());
        UseProgramFolderIn(m_root.path());
    }

    void twoClicksOpenTheDialog() {
        MainWindow w;
        QVERIFY(Start(w, QSize(800, 600)));
        OpenFile(w.frame, fs::path(NOSTREL_SOURCE_DIR) / "tests/data/plan_grid.RND");
        QVERIFY(g_pointCount > 5);
        if (g_birdsEyeOn) Choose(w.frame, 32805);
        // The command wants contours; the picks and the dialog do not read them.
        g_drawingContoursLoaded = -1;
        w.frame->RefreshCommandStates();
        w.view->repaint();

        ClearRecordedMessages();
        Choose(w.frame, 32861);
        QVERIFY(!RecordedMessages().empty());
        QCOMPARE(QString::fromStdString(RecordedMessages().back().text),
                 QString::fromUtf8("基準となる２点のランダム点を指定してください"));

        QStringList scales;
        bool opened = false;
        WhenModal("plotterFileOutputDialog", [&](QWidget* dlg) {
            opened = true;
            auto* scale = Control<QLineEdit>(dlg, 1185);
            scales << scale->text();
            for (const char* typed : {"0", "abc"}) {
                scale->setText(typed);
                emit scale->editingFinished();
                scales << scale->text();
            }
            scale->setText("1000");
            emit scale->editingFinished();
            scales << scale->text();
            Press(dlg, "2");
        });
        Click(w.view, WindowPosition(1));
        QVERIFY(!opened);
        Click(w.view, WindowPosition(5));
        QTRY_VERIFY(opened);
        QCOMPARE(scales, (QStringList{"   500", "   500", "   500", "  1000"}));
        QTRY_COMPARE(g_toolMode, MODE_NONE);
    }

private:
    QTemporaryDir m_root;
};

QTEST_MAIN(PlotterFileUiTest)
#include "plotter_file_uitest.moc"

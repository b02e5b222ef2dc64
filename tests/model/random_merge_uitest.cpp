// ランダムデータ合成 from its menu item: the dialog without cancel (its width checked, turned
// by the wheel), the other file chosen, the data appended and the automatic outline
// offered and run.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QTimer>
#include <QWheelEvent>
#include <QtTest>
#include <cstdio>
#include <filesystem>
#include <functional>

#include "model/document.h"
#include "model/le_bytes.h"
#include "model/terrain_data.h"
#include "model/ui/document_ui.h"
#include "platform/file_dialog.h"
#include "platform/folders.h"
#include "platform/message_box.h"
#include "platform/text_io.h"
#include "shell/ui/application.h"
#include "shell/ui/main_frame.h"
#include "../windows/window_test_main.h"

namespace fs = std::filesystem;

namespace {
QString g_root;
constexpr int kRandomMerge = 32864;

template <typename W>
W* Control(QWidget* dialog, int id) {
    W* w = dialog->findChild<W*>(QString::number(id));
    if (!w) qFatal("control %d missing", id);
    return w;
}

void WhenModal(std::function<void(QWidget*)> act) {
    QTimer::singleShot(0, [act] {
        QPointer<QWidget> modal = QApplication::activeModalWidget();
        if (!modal) qFatal("no modal dialog");
        modal->activateWindow();
        if (!QTest::qWaitForWindowActive(modal)) qWarning("the dialog did not become active");
        act(modal);
        if (modal && modal->isVisible()) qFatal("the dialog stayed open");
    });
}

void Wheel(QWidget* w, int delta) {
    QWheelEvent event(QPointF(5, 5), w->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, delta),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &event);
}
}  // namespace

class RandomMergeWindowTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        const fs::path program = fs::path(g_root.toStdString()) / "program";
        fs::create_directories(program);
        SetProgramFolder(program);
    }

    void appendFromTheMenu() {
        CPelmo_3DApp app;
        app.SetDocumentFactory([] { return MakeDocument(); });
        QVERIFY(app.InitInstance({}));
        CMainFrame* frame = app.MainFrame();
        QVERIFY(QTest::qWaitForWindowExposed(frame));
        int autoOutlineRuns = 0;
        frame->SetAutoOutlineDialogRunner([&] { ++autoOutlineRuns; });

        // Loaded: 3 x 3 points in the outline of their corners.
        EnsurePointCapacity(9);
        for (int32_t i = 1; i <= 9; ++i) {
            g_points[i] = RandomPoint{};
            g_points[i].x = 10.0 * ((i - 1) / 3);
            g_points[i].y = 10.0 * ((i - 1) % 3);
            std::snprintf(g_points[i].name, sizeof g_points[i].name, "C%d", i);
        }
        g_pointCount = 9;
        SetPointEndMarker();
        g_pointsPresent = -1;
        for (int32_t v : {1, 3, 9, 7}) {
            g_outline.Append(v);
            g_points[v].flags |= kPointFlagOutline;
        }
        g_outline.Close();

        // The other survey: a 4 x 4 ring around them with a TIN edge.
        const fs::path other = fs::path(g_root.toStdString()) / "other.rnd";
        std::string text;
        for (int i = 0; i < 5; ++i) text += "********************\r\n";
        for (int k = 0; k < 16; ++k)
            text += FormatString("Q%-9d%14.4f  %14.4f  %10.3f  0  0  0\r\n", k + 1, -10.0 + 10 * (k / 4),
                                 -10.0 + 10 * (k % 4), 5.0);
        QVERIFY(WriteFileBytes(other, text));
        std::string tri;
        for (int32_t v : {0, 0, 1, 1, 1, 2, kNoApex, 5}) PutLeI32(tri, v);
        QVERIFY(WriteFileBytes(fs::path(g_root.toStdString()) / "other.TRI", tri));

        ClearRecordedMessages();
        QString shown, afterWheel, afterBack;
        bool openAfterBadText = false, openAfterKeys = false;
        size_t messagesInDialog = 0;
        WhenModal([&](QWidget* d) {
            auto* width = Control<QLineEdit>(d, 1082);
            shown = width->text();
            width->setText("1,5");
            Control<QAbstractButton>(d, 1232)->click();
            openAfterBadText = d->isVisible();
            messagesInDialog = RecordedMessages().size();
            QTest::keyClick(d, Qt::Key_Escape);
            QTest::keyClick(d, Qt::Key_Return);
            d->close();
            openAfterKeys = d->isVisible();
            width->setText("0");
            Wheel(d, 120);
            afterWheel = width->text();
            Wheel(d, -120);
            Wheel(d, -120);
            afterBack = width->text();
            QueueFileDialogAnswer(other.string());
            QueueMessageAnswer(msg::kIdOk);   // choose the other file
            QueueMessageAnswer(msg::kIdYes);  // run the automatic outline
            Control<QAbstractButton>(d, 1232)->click();
        });
        frame->RefreshCommandStates();
        QAction* action = frame->Actions(kRandomMerge).front();
        QVERIFY(action->isEnabled());
        action->trigger();

        QCOMPARE(shown, QString("0"));
        QVERIFY(openAfterBadText);
        QCOMPARE(messagesInDialog, size_t(1));
        QCOMPARE(QString::fromStdString(RecordedMessages()[0].text),
                 QString::fromUtf8("入力できる文字は半角で[0～9][.]です。"));
        QVERIFY(openAfterKeys);
        QCOMPARE(afterWheel, QString("1"));
        QCOMPARE(afterBack, QString("0"));
        QCOMPARE(g_pointCount, 25);
        QCOMPARE(g_tinEdgeCount, 1);
        QCOMPARE(g_tinEdges[1].a, 10);
        QCOMPARE(g_outline.Count(), 0);
        QCOMPARE(autoOutlineRuns, 1);
        QCOMPARE(QString::fromStdString(RecordedMessages().back().text),
                 QString::fromUtf8("合成終了。自動外周処理を実行しますか？"));
    }
};

int main(int argc, char** argv) { return RunWindowTest<RandomMergeWindowTest>(argc, argv, &g_root); }

#include "random_merge_uitest.moc"

// データクリアー from its menu item: the dialog offers what is loaded, ticking the points
// ticks the TIN, 実行 clears and the document has no file any more; companions stay on disk.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QPointer>
#include <QTimer>
#include <QtTest>
#include <filesystem>
#include <functional>

#include "model/document.h"
#include "model/terrain_data.h"
#include "model/ui/document_ui.h"
#include "platform/folders.h"
#include "platform/text_io.h"
#include "shell/ui/application.h"
#include "shell/ui/main_frame.h"
#include "../windows/window_test_main.h"

namespace fs = std::filesystem;

namespace {
QString g_root;

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
        act(modal);
        if (modal && modal->isVisible()) qFatal("the dialog stayed open");
    });
}
}  // namespace

class DataClearWindowTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        const fs::path program = fs::path(g_root.toStdString()) / "program";
        fs::create_directories(program);
        SetProgramFolder(program);
    }

    void clearFromTheMenu() {
        CPelmo_3DApp app;
        app.SetDocumentFactory([] { return MakeDocument(); });
        QVERIFY(app.InitInstance({}));
        CMainFrame* frame = app.MainFrame();
        QVERIFY(QTest::qWaitForWindowExposed(frame));

        // A saved survey with a TIN and a contour copy beside it.
        const fs::path folder = fs::path(g_root.toStdString()) / "site";
        fs::create_directories(folder);
        std::string text;
        for (int i = 0; i < 5; ++i) text += "********************\r\n";
        const double xy[4][2] = {{0, 0}, {0, 10}, {10, 10}, {10, 0}};
        for (int i = 0; i < 4; ++i)
            text += FormatString("P%-9d%14.4f  %14.4f  %10.3f  0  0  0\r\n", i + 1, xy[i][0], xy[i][1], 1.0);
        QVERIFY(WriteFileBytes(folder / "SITE.RND", text));
        QVERIFY(WriteFileBytes(folder / "SITE.CT1", "contours"));
        auto* document = dynamic_cast<CPelmo_3DDoc*>(frame->Document());
        QVERIFY(document);
        QVERIFY(document->OnOpenDocument(folder / "SITE.RND"));
        document->SetPathName(folder / "SITE.RND", false);
        EnsureTinEdgeCapacity(1);
        g_tinEdges[1] = TinEdge{1, 2, kNoApex, 3, 0};
        g_tinEdgeCount = 1;
        SetTinEndRecord();
        g_tinPresent = -1;

        bool tinEnabled = false, meshEnabled = true, tinTicked = false;
        WhenModal([&](QWidget* d) {
            tinEnabled = Control<QCheckBox>(d, 1034)->isEnabled();
            meshEnabled = Control<QCheckBox>(d, 1008)->isEnabled();
            Control<QCheckBox>(d, 1032)->click();
            tinTicked = Control<QCheckBox>(d, 1034)->isChecked();
            Control<QAbstractButton>(d, 1033)->click();
        });
        frame->RefreshCommandStates();
        QAction* action = frame->Actions(32964).front();
        QVERIFY(action->isEnabled());
        action->trigger();

        QVERIFY(tinEnabled);
        QVERIFY(!meshEnabled);
        QVERIFY(tinTicked);
        QCOMPARE(g_pointCount, 0);
        QCOMPARE(g_tinEdgeCount, 0);
        QCOMPARE(QString::fromStdString(document->PlainTitle()), QString("No_Name"));
        QVERIFY(document->PathName().empty());
        QVERIFY(!document->IsModified());
        QVERIFY(fs::exists(folder / "SITE.RND"));
        QVERIFY(fs::exists(folder / "SITE.CT1"));

        // 中止 clears nothing.
        EnsurePointCapacity(1);
        g_pointCount = 1;
        SetPointEndMarker();
        WhenModal([&](QWidget* d) {
            Control<QCheckBox>(d, 1032)->click();
            Control<QAbstractButton>(d, 1159)->click();
        });
        action->trigger();
        QCOMPARE(g_pointCount, 1);
    }
};

int main(int argc, char** argv) { return RunWindowTest<DataClearWindowTest>(argc, argv, &g_root); }

#include "data_clear_uitest.moc"

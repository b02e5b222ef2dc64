// The mesh files and the mesh volume dialog from the menu: a current mesh read, a plan mesh
// chosen in the dialog, the volume computed and saved, the saved result read back.
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <filesystem>

#include "model/document.h"
#include "model/terrain_data.h"
#include "model/ui/document_ui.h"
#include "platform/file_dialog.h"
#include "platform/folders.h"
#include "platform/message_box.h"
#include "shell/ui/application.h"
#include "shell/ui/main_frame.h"
#include "volume/mesh_data.h"
#include "volume/mesh_files.h"

namespace fs = std::filesystem;

namespace {
bool Enabled(CMainFrame* frame, int id) {
    frame->RefreshCommandStates();
    const auto actions = frame->Actions(id);
    return !actions.empty() && actions.front()->isEnabled();
}

// A 100 x 60 mesh of pitch 20 at (500, 800), every node at z.
void WriteFlatMesh(const std::string& path, double z) {
    g_meshOriginX = 500;
    g_meshOriginY = 800;
    g_meshRotation = 0;
    g_meshLength = 100;
    g_meshWidth = 60;
    g_meshPitchLength = g_meshPitchWidth = 20;
    QVERIFY(PrepareMeshNodeBlock(6, 4) == 0);
    const MeshFrame frame = CurrentMeshFrame();
    for (int32_t r = 1; r <= 4; ++r)
        for (int32_t c = 1; c <= 6; ++c) {
            MeshNode& n = g_meshNodes.Data()[MeshNodeNumber(c, r)];
            MeshNodePosition(frame, c, r, &n.x, &n.y);
            n.column = c;
            n.row = r;
            n.z = n.planZ = z;
            n.valid = 1;
        }
    g_meshAreaDefined = g_meshElevationsDone = 1;
    QVERIFY(WriteMeshFile(path));
}
}  // namespace

class MeshVolumeUiTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        QVERIFY(m_root.isValid());
        const fs::path program = fs::path(m_root.path().toStdString()) / "program";
        fs::create_directories(program);
        SetProgramFolder(program);
    }

    void meshVolumeFromTheMenu() {
        const fs::path folder = fs::path(m_root.path().toStdString());
        const std::string current = (folder / "current.MSH").string(), plan = (folder / "plan.MSH").string();
        const std::string result = (folder / "result.MVO").string();
        InitDataModel();
        WriteFlatMesh(current, 10);
        WriteFlatMesh(plan, 11.5);
        InitDataModel();

        CPelmo_3DApp app;
        app.SetDocumentFactory([] { return MakeDocument(); });
        QVERIFY(app.InitInstance({}));
        CMainFrame* frame = app.MainFrame();
        QVERIFY(QTest::qWaitForWindowExposed(frame));
        QVERIFY(Enabled(frame, 32807));
        QVERIFY(Enabled(frame, 32882));
        QVERIFY(Enabled(frame, 32887));
        QVERIFY(!Enabled(frame, 32883));

        // メッシュ標高データ読込.
        QueueFileDialogAnswer(current);
        frame->ExecuteCommand(32882);
        QCOMPARE(g_meshElevationsDone, 1);
        QCOMPARE(g_meshFilePath, current);
        QVERIFY(Enabled(frame, 32883));

        // The dialog: no plan yet, so no start; the plan chosen in it enables the start.
        bool checked = false;
        QTimer::singleShot(0, [&] {
            QWidget* dlg = QApplication::activeModalWidget();
            if (!dlg) return;
            // A failed check leaves the lambda early: the dialog is closed all the same.
            struct CloseIfLeft {
                QWidget* dlg;
                const bool& done;
                ~CloseIfLeft() {
                    if (!done)
                        if (auto* stop = dlg->findChild<QPushButton*>("1224")) stop->click();
                }
            } guard{dlg, checked};
            auto* start = dlg->findChild<QPushButton*>("1132");
            auto* planSelect = dlg->findChild<QPushButton*>("1051");
            QVERIFY(start && planSelect);
            QVERIFY(!start->isEnabled());
            QVERIFY(planSelect->isEnabled());
            QCOMPARE(dlg->findChild<QLabel*>("1048")->text(), QString::fromStdString(current));
            planSelect->click();
            QVERIFY(dlg->findChild<QLabel*>("1050")->text().contains(QString::fromStdString(plan)));
            QVERIFY(start->isEnabled());
            QVERIFY(dlg->findChild<QPushButton*>("1055")->isEnabled());
            dlg->findChild<QComboBox*>("1063")->setCurrentIndex(2);
            checked = true;
            start->click();
        });
        ClearRecordedMessages();
        QueueFileDialogAnswer(plan);      // the plan chosen in the dialog
        QueueMessageAnswer(msg::kIdYes);  // save the result
        QueueFileDialogAnswer(result);
        QueueMessageAnswer(msg::kIdNo);  // no plot
        frame->ExecuteCommand(32807);
        QVERIFY(checked);
        QCOMPARE(g_meshVolumeDigits, 2);
        QCOMPARE(g_meshVolumeDone, 1);
        QVERIFY(RecordedMessages().size() >= 2);
        QCOMPARE(QString::fromStdString(RecordedMessages()[0].text),
                 QString::fromUtf8(" 　切土[0.0]\n 　盛土[9000.0]\n 不足土[9000.0]\n計算結果を保存しますか？"));
        QVERIFY(fs::exists(result));

        // メッシュ土量データ読込 brings the result back.
        InitDataModel();
        QueueFileDialogAnswer(result);
        frame->ExecuteCommand(32887);
        QCOMPARE(g_meshVolumeDone, 1);
        QCOMPARE(g_meshPlanDone, 1);
        QCOMPARE(g_meshNodes.Data()[MeshNodeNumber(6, 4)].fill, 9000.0);

        // 中止 leaves everything as it was.
        QTimer::singleShot(0, [] {
            if (QWidget* dlg = QApplication::activeModalWidget())
                if (auto* stop = dlg->findChild<QPushButton*>("1224")) stop->click();
        });
        ClearRecordedMessages();
        frame->ExecuteCommand(32807);
        QVERIFY(RecordedMessages().empty());
    }

private:
    QTemporaryDir m_root;
};

QTEST_MAIN(MeshVolumeUiTest)
#include "mesh_volume_uitest.moc"

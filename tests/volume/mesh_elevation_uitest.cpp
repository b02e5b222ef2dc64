// The mesh elevation dialog from the menu (ﾒｯｼｭ標高計算) and the triangular-lattice output
// (三角形配列ランダム出力) on a survey with a TIN.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <algorithm>
#include <filesystem>
#include <functional>

#include "model/document.h"
#include "model/ui/document_ui.h"
#include "model/terrain_data.h"
#include "platform/file_dialog.h"
#include "platform/folders.h"
#include "platform/message_box.h"
#include "shell/ui/application.h"
#include "shell/ui/main_frame.h"
#include "volume/mesh_data.h"
#include "volume/mesh_elevation_command.h"
#include "volume/ui/mesh_elevation_dialog.h"

namespace fs = std::filesystem;

namespace {
bool Enabled(CMainFrame* frame, int id) {
    frame->RefreshCommandStates();
    const auto actions = frame->Actions(id);
    return !actions.empty() && actions.front()->isEnabled();
}

// Acts on the next modal dialog once it shows.
void InNextModal(std::function<void(QWidget*)> act) {
    QTimer::singleShot(0, [act] {
        if (QWidget* w = QApplication::activeModalWidget()) act(w);
    });
}

void Type(QWidget* dlg, const char* field, const char* text) {
    auto* edit = dlg->findChild<QLineEdit*>(field);
    QVERIFY(edit);
    edit->setText(text);
    emit edit->editingFinished();
}
}  // namespace

class MeshElevationUiTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        QVERIFY(m_root.isValid());
        const fs::path program = fs::path(m_root.path().toStdString()) / "program";
        fs::create_directories(program);
        SetProgramFolder(program);
    }

    void elevationsAndLatticeFromTheMenu() {
        CPelmo_3DApp app;
        app.SetDocumentFactory([] { return MakeDocument(); });
        QVERIFY(app.InitInstance({}));
        CMainFrame* frame = app.MainFrame();
        QVERIFY(QTest::qWaitForWindowExposed(frame));
        QVERIFY(!Enabled(frame, 32877));
        QVERIFY(!Enabled(frame, 33006));

        QueueFileDialogAnswer((fs::path(NOSTREL_SOURCE_DIR) / "tests/data/plan_grid.RND").string());
        frame->ExecuteCommand(57601);
        QVERIFY(g_tinPresent != 0);
        double minX = g_points[1].x, maxX = minX, minY = g_points[1].y, maxY = minY;
        for (int32_t i = 2; i <= g_pointCount; ++i) {
            minX = std::min(minX, g_points[i].x), maxX = std::max(maxX, g_points[i].x);
            minY = std::min(minY, g_points[i].y), maxY = std::max(maxY, g_points[i].y);
        }
        g_meshOriginX = minX;
        g_meshOriginY = minY;
        g_meshRotation = 0;
        g_meshLength = maxX - minX;
        g_meshWidth = maxY - minY;
        g_meshAreaDefined = 1;
        QVERIFY(Enabled(frame, 32877));
        QVERIFY(Enabled(frame, 33006));

        // Without contours the TIN is chosen and the contour methods are disabled; a pitch
        // of 0 is refused, a valid one taken at once; the lattice disables the outline radios.
        const double pitch = std::max(g_meshLength, g_meshWidth) / 8;
        const QByteArray pitchText = QByteArray::number(pitch, 'f', 3);
        bool checked = false;
        InNextModal([&](QWidget* dlg) {
            QVERIFY(dlg->findChild<QRadioButton*>("1163")->isChecked());
            QVERIFY(!dlg->findChild<QRadioButton*>("1036")->isEnabled());
            QVERIFY(!dlg->findChild<QRadioButton*>("1037")->isEnabled());
            Type(dlg, "1041", "0");
            QCOMPARE(dlg->findChild<QLineEdit*>("1041")->text(), QString("20.000"));
            Type(dlg, "1041", pitchText.constData());
            Type(dlg, "1042", pitchText.constData());
            QVERIFY(!dlg->findChild<QLineEdit*>("1082")->isEnabled());
            dlg->findChild<QRadioButton*>("1040")->click();
            QVERIFY(dlg->findChild<QLineEdit*>("1082")->isEnabled());
            Type(dlg, "1082", "-5");
            dlg->findChild<QCheckBox*>("1156")->click();
            QVERIFY(!dlg->findChild<QRadioButton*>("1049")->isEnabled());
            dlg->findChild<QCheckBox*>("1156")->click();
            QVERIFY(dlg->findChild<QRadioButton*>("1049")->isEnabled());
            checked = true;
            dlg->findChild<QPushButton*>("1132")->click();
        });
        frame->ExecuteCommand(32877);
        QVERIFY(checked);
        QCOMPARE(g_meshElevationsDone, 1);
        QCOMPARE(g_meshPitchLength, pitchText.toDouble());
        QCOMPARE(g_meshMissingPolicy, 3);
        QCOMPARE(g_meshMissingValue, -5.0);
        QCOMPARE(g_meshColumns, MeshNodeLineCount(g_meshLength, g_meshPitchLength));
        int32_t valid = 0;
        for (int32_t i = 1; i <= g_meshNodeCount; ++i) valid += g_meshNodes.Data()[i].valid;
        QVERIFY(valid > 0);

        // 中止 computes nothing.
        g_meshElevationsDone = 0;
        InNextModal([](QWidget* dlg) { dlg->findChild<QPushButton*>("1224")->click(); });
        frame->ExecuteCommand(32877);
        QCOMPARE(g_meshElevationsDone, 0);

        // The lattice output with the remembered policy.
        const fs::path out = fs::path(m_root.path().toStdString()) / "lattice.RND";
        QueueFileDialogAnswer(out.string());
        ClearRecordedMessages();
        frame->ExecuteCommand(33006);
        QVERIFY(fs::exists(out));
        QVERIFY(fs::file_size(out) > 5 * 22);
        QVERIFY(RecordedMessages().empty());
    }

private:
    QTemporaryDir m_root;
};

QTEST_MAIN(MeshElevationUiTest)
#include "mesh_elevation_uitest.moc"

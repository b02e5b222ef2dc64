// The 3D viewer link: the shared block read back by a reader of its own (offsets from the
// block's published layout, not from our writer), a peer program listening under the
// viewer's window class, and the viewer's command line seen by a stand-in program.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include "contour/contour_files.h"
#include "platform/folders.h"
#include "platform/message_box.h"
#include "platform/shared_memory.h"
#include "platform/text_io.h"
#include "platform/window_registry.h"
#include "shell/frame_lifecycle.h"
#include "view/display_flags.h"
#include "view/view_picking.h"
#include "model/document_toggles.h"
#include "view/viewer_link.h"
#include "view_fixture.h"

namespace fs = std::filesystem;

namespace {
// The viewer's side: what it finds in the block.
struct DecodedBlock {
    double azimuth, tilt, eyeY, eyeZ, eyeX, picks;
    double pick1[3], pick2[3];
    std::string version, title;
    int n = 0;
    std::vector<double> table;
};

double At(const unsigned char* b, size_t offset) {
    double v;
    std::memcpy(&v, b + offset, 8);
    return v;
}

DecodedBlock Decode(const unsigned char* b) {
    DecodedBlock d;
    d.azimuth = At(b, 0);
    d.tilt = At(b, 8);
    d.eyeY = At(b, 16);
    d.eyeZ = At(b, 24);
    d.eyeX = At(b, 32);
    d.picks = At(b, 40);
    for (int k = 0; k < 3; ++k) {
        d.pick1[k] = At(b, 48 + 8 * k);
        d.pick2[k] = At(b, 72 + 8 * k);
    }
    d.version = reinterpret_cast<const char*>(b + 120);
    d.title = reinterpret_cast<const char*>(b + 128);
    d.n = static_cast<int>(At(b, 112));
    const int count = static_cast<int>(At(b, 8 * d.n));
    for (int k = 1; k <= count && 8 * (d.n + k) < 1024; ++k) d.table.push_back(At(b, 8 * (d.n + k)));
    return d;
}

class ViewerLink : public ViewTest {
protected:
    void SetUp() override {
        ViewTest::SetUp();
        m_dir = fs::temp_directory_path() / ("viewer_link_" + std::to_string(::getpid()));
        fs::create_directories(m_dir / "run");
        setenv("XDG_RUNTIME_DIR", (m_dir / "run").c_str(), 1);
        std::memset(m_block, 0xAB, sizeof m_block);
        ClearRecordedMessages();
        g_viewer3dAutoUpdate = 0;
    }
    void TearDown() override {
        g_documentTitle.clear();
        fs::remove_all(m_dir);
        ViewTest::TearDown();
    }
    DecodedBlock WriteAndDecode() {
        WriteViewerParamBlock(m_block);
        return Decode(m_block);
    }
    fs::path m_dir;
    unsigned char m_block[1024];
};

TEST_F(ViewerLink, TheTableFollowsTheTitle) {
    struct Case {
        std::string title;
        int n;
    };
    const Case cases[] = {{"", 17}, {"A", 18}, {"ABCDEFGH", 18}, {"ABCDEFGHI", 19}, {"0123456789", 19}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        g_documentTitle = c.title;
        const DecodedBlock d = WriteAndDecode();
        EXPECT_EQ(d.n, c.n);
        // At least 8 bytes past the title's zero byte, on a multiple of 8.
        const size_t zero = 128 + c.title.size();
        EXPECT_GE(size_t(8 * d.n), zero + 8);
        EXPECT_LT(size_t(8 * d.n), zero + 16);
        EXPECT_EQ(d.title, c.title);
        EXPECT_EQ(d.version, "ver2.2");
        EXPECT_EQ(m_block[126], 0);
    }
    g_documentTitle = "0123456789";
    EXPECT_EQ(8 * WriteAndDecode().n, 152);
    g_documentTitle.clear();
    EXPECT_EQ(8 * WriteAndDecode().n, 136);
    // A title too long for the block is cut so that the table still fits.
    g_documentTitle = std::string(2000, 'T');
    const DecodedBlock d = WriteAndDecode();
    EXPECT_LE(8 * (d.n + 4), 1024);
}

TEST_F(ViewerLink, PlanViewLooksStraightDownFromAboveTheNearestPoint) {
    const int32_t near = AddPoint(12, 9, 5.5);
    AddPoint(100, 100, 50);
    AddPoint(11, 30, 99);
    g_viewCenterX = 10;
    g_viewCenterY = 10;
    g_viewScale = 2;  // 800 pixels: 400 m wide
    ProjectAllData(0);
    const DecodedBlock d = WriteAndDecode();
    EXPECT_DOUBLE_EQ(d.azimuth, 0);
    EXPECT_DOUBLE_EQ(d.tilt, -M_PI / 2);
    EXPECT_DOUBLE_EQ(d.eyeX, 10);
    EXPECT_DOUBLE_EQ(d.eyeY, 10);
    EXPECT_DOUBLE_EQ(d.eyeZ, 1.2 * 400 + 5.5);
    ASSERT_EQ(d.table.size(), 3u);
    EXPECT_DOUBLE_EQ(d.table[0], 400);
    EXPECT_DOUBLE_EQ(d.table[1], 1.0);
    EXPECT_DOUBLE_EQ(d.table[2], 0.0);
    // The search leaves every point pickable, the first included.
    EXPECT_EQ(g_points[1].hidden, 0);
    EXPECT_EQ(FindPointAtCursor(400 + g_points[near].screenX, 300 - g_points[near].screenY, 80), near);
}

TEST_F(ViewerLink, BirdsEyeSendsTheCameraAndPicksTheirMode) {
    AddPoint(1, 2, 3);
    AddPoint(4, 5, 6);
    g_birdsEyeOn = 1;
    g_birdsEyeAzimuth = 0.25;
    g_birdsEyeTilt = -0.4;
    g_birdsEyeRoll = 0.05;
    g_heightScale = 2.5;
    g_eyeX = 100;
    g_eyeY = 200;
    g_eyeZ = 300;
    for (int k = 0; k < 9; ++k) g_cameraMatrixPlain[k] = k + 0.5;
    struct Case {
        int32_t p1, p2, p4;
        double mode;
    };
    const Case cases[] = {{0, 0, 0, 0}, {1, 0, 0, 1}, {1, 2, 0, 2}, {1, 2, -5, 5}};
    for (const Case& c : cases) {
        g_pickedPoint = c.p1;
        g_pickedPoint2 = c.p2;
        g_pickedPoint4 = c.p4;
        const DecodedBlock d = WriteAndDecode();
        EXPECT_DOUBLE_EQ(d.picks, c.mode);
        if (c.p1) {
            EXPECT_DOUBLE_EQ(d.pick1[0], 2);  // Y, Z, X
            EXPECT_DOUBLE_EQ(d.pick1[1], 3);
            EXPECT_DOUBLE_EQ(d.pick1[2], 1);
        }
        if (c.p2) {
            EXPECT_DOUBLE_EQ(d.pick2[2], 4);
        }
    }
    const DecodedBlock d = WriteAndDecode();
    EXPECT_DOUBLE_EQ(d.azimuth, 0.25);
    EXPECT_DOUBLE_EQ(d.tilt, -0.4);
    EXPECT_DOUBLE_EQ(d.eyeY, 200);
    EXPECT_DOUBLE_EQ(d.eyeZ, 300);
    EXPECT_DOUBLE_EQ(d.eyeX, 100);
    ASSERT_EQ(d.table.size(), 12u);
    EXPECT_DOUBLE_EQ(d.table[0], 800);
    EXPECT_DOUBLE_EQ(d.table[1], 2.5);
    EXPECT_DOUBLE_EQ(d.table[2], 0.05);
    for (int k = 0; k < 9; ++k) EXPECT_DOUBLE_EQ(d.table[3 + k], k + 0.5);
    g_pickedPoint = g_pickedPoint2 = g_pickedPoint4 = 0;
}

TEST_F(ViewerLink, APeerListeningAsTheViewerGetsItsMessagesAndReadsTheBlock) {
    ASSERT_TRUE(g_simParamMapping.Create(kSimParamMappingName, 1024));
    AddPoint(0, 0, 42);
    g_documentTitle = "site";
    std::vector<int32_t> received;
    std::vector<DecodedBlock> seen;
    std::atomic<bool> ready{false}, stop{false};
    std::thread peer([&] {
        WindowClassListener listener;
        if (!listener.Listen(kViewer3dWindowClass)) return;
        ready = true;
        while (!stop) {
            listener.Receive(
                [&](const WindowMessage& m) {
                    if (m.message != wm::kTimer) return 0;
                    received.push_back(m.wParam);
                    if (m.wParam == kViewer3dNewView) {
                        SharedMemoryBlock block;  // the viewer opens the block by its name
                        if (block.Open(kSimParamMappingName))
                            seen.push_back(Decode(static_cast<const unsigned char*>(block.Data())));
                    }
                    return 1;
                },
                50);
        }
    });
    while (!ready) std::this_thread::sleep_for(std::chrono::milliseconds(5));

    EXPECT_TRUE(Viewer3dRunning());
    g_viewer3dAutoUpdate = -1;
    SendViewToViewer3d();
    RefreshViewer3d();  // reloads, then sends the view again
    StartOrCloseViewer3d();  // running: closes it
    EXPECT_EQ(g_viewer3dAutoUpdate, 0);
    stop = true;
    peer.join();
    g_simParamMapping.Close();

    EXPECT_EQ(received, (std::vector<int32_t>{200, 201, 200, 299}));
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].title, "site");
    EXPECT_DOUBLE_EQ(seen[0].tilt, -M_PI / 2);
    EXPECT_DOUBLE_EQ(seen[0].eyeZ, 1.2 * 800 + 42);
    EXPECT_TRUE(RecordedMessages().empty());
}

TEST_F(ViewerLink, WithoutAViewerNothingIsSentAndAutoUpdateStops) {
    g_viewer3dAutoUpdate = -1;
    EXPECT_FALSE(Viewer3dRunning());
    SendViewToViewer3d();
    EXPECT_EQ(g_viewer3dAutoUpdate, 0);
    EXPECT_EQ(g_viewer3dWindow, 0);
    CloseViewer3d();
    RefreshViewer3d();
    EXPECT_TRUE(RecordedMessages().empty());
}

TEST_F(ViewerLink, AForeignPeerThatDoesNotAnswerIsDroppedWithAMessage) {
    // Something holds the viewer's name but never reads its messages.
    WindowClassListener foreign;
    ASSERT_TRUE(foreign.Listen(kViewer3dWindowClass));
    g_viewer3dAutoUpdate = -1;
    SendViewToViewer3d();
    EXPECT_EQ(g_viewer3dAutoUpdate, 0);
    ASSERT_EQ(RecordedMessages().size(), 1u);
}

TEST_F(ViewerLink, TheViewerStartsWithContourSwitchAndPathAsSeparateArguments) {
    const fs::path program = m_dir / "prog";
    fs::create_directories(program);
    const fs::path args = m_dir / "args.txt";
    {
        std::ofstream script(program / "K7VAR");
        script << "#!/bin/sh\npwd > '" << args.string() << "'\nfor a in \"$@\"; do echo \"$a\" >> '"
               << args.string() << "'; done\n";
    }
    fs::permissions(program / "K7VAR", fs::perms::owner_all);
    const fs::path saved = ProgramFolder();
    SetProgramFolder(program);
    EXPECT_TRUE(Viewer3dLinkAvailable());
    struct Case {
        int32_t contours;
        std::string expected;
    };
    const std::string data = (m_dir / "my survey" / "site 1.RND").string();
    const Case cases[] = {{-1, "-C\n" + data + "\n"}, {0, data + "\n"}};
    for (const Case& c : cases) {
        fs::remove(args);
        g_showDrawingContours = c.contours;
        g_currentDataPath = data;
        StartOrCloseViewer3d();
        EXPECT_EQ(g_viewer3dAutoUpdate, -1);
        std::string got;
        for (int i = 0; i < 200 && (got.empty() || got.back() != '\n' || got.find("RND") == std::string::npos); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            got.clear();
            ReadFileBytes(args, got);
        }
        const std::string cwd = program.string() + "\n";
        ASSERT_EQ(got.substr(0, cwd.size()), cwd);
        EXPECT_EQ(got.substr(cwd.size()), c.expected);
    }
    // 起動 in the bird's-eye view: the viewer is still coming up, the automatic update stays on.
    fs::remove(args);
    g_birdsEyeOn = 1;
    OnViewerLink();
    EXPECT_EQ(g_viewer3dAutoUpdate, -1);
    g_birdsEyeOn = 0;
    for (int i = 0; i < 200 && !fs::exists(args); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    g_showDrawingContours = 0;
    g_currentDataPath.clear();
    g_viewer3dAutoUpdate = 0;

    // Not installed: a message, no update.
    fs::remove(program / "K7VAR");
    EXPECT_FALSE(Viewer3dLinkAvailable());
    StartOrCloseViewer3d();
    EXPECT_EQ(g_viewer3dAutoUpdate, 0);
    EXPECT_EQ(RecordedMessages().size(), 1u);
    SetProgramFolder(saved);
}
}  // namespace

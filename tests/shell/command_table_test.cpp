// The command table against the command tables of the frame, transcribed here once:
// every command exists with its text in its menu, and its enable and check rules
// follow the data-present conditions.
#include "shell/command_table.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <random>
#include <set>
#include <string>

#include "shell/tool_mode.h"

namespace {
using C = ShellConditions;
using Test = std::function<bool(const C&)>;

struct Row {
    int id;
    const char* menu;  // top-level menu ("" the menu bar itself, nullptr no menu)
    const char* text;
    Test enabled;
    Test checked;
};

const Test kAlways = [](const C&) { return true; };
const Test kNever = [](const C&) { return false; };

Test PointEditIn(int s) {
    return [s](const C& c) { return c.toolMode == MODE_POINT_EDIT && c.pointEditState == s; };
}
Test OutlineIn(int s) {
    return [s](const C& c) { return c.toolMode == MODE_OUTLINE_EDIT && c.outlineEditState == s; };
}
Test IpIn(int s) {
    return [s](const C& c) { return c.toolMode == MODE_IP_POINT && c.toolSubState == s; };
}
Test AreaIn(int s) {
    return [s](const C& c) { return c.toolMode == MODE_AREA_INFO && c.areaInfoState == s; };
}
Test ModeIs(int m) {
    return [m](const C& c) { return c.toolMode == m; };
}
Test Open(ToolWindow w) {
    return [w](const C& c) { return c.IsOpen(w); };
}
Test BarCode(int code) {
    return [code](const C& c) { return c.modeToolBarCode == code; };
}

const Test points = [](const C& c) { return c.points; };
const Test pointCount = [](const C& c) { return c.pointCount > 0; };
const Test tin = [](const C& c) { return c.tin; };
const Test contours = [](const C& c) { return c.contours; };
const Test tinOrContours = [](const C& c) { return c.tin || c.contours; };
const Test pointsAndTin = [](const C& c) { return c.points && c.tin; };
const Test sliceLines = [](const C& c) { return c.sliceLines; };
const Test image = [](const C& c) { return c.image; };
const Test dxf1 = [](const C& c) { return c.dxfCount >= 1; };
Test Ips(int n) {
    return [n](const C& c) { return c.ipCount >= n; };
}
Test Stations(int n) {
    return [n](const C& c) { return c.stationCount >= n; };
}

const char* kFile = "ﾌｧｲﾙ";
const char* kView = "表示";
const char* kTin = "三角網";
const char* kPoint = "点編集";
const char* kBirds = "鳥瞰図";
const char* kMesh = "ﾒｯｼｭ土量";
const char* kAea = "平均断面土量";
const char* kSlice = "スライス数量";
const char* kPlan = "計画";
const char* kDraw = "作図";
const char* kSet = "設定";
const char* kHelp = "ﾍﾙﾌﾟ";

std::vector<Row> Rows() {
    using W = ToolWindow;
    return {
        // ﾌｧｲﾙ
        {32864, kFile, "ランダムデータ合成", pointCount, kNever},
        {32927, kFile, "鳥瞰図ﾙｰﾄからﾄﾝﾈﾙ開口部座標取得", kAlways, kNever},
        {32926, kFile, "ランダムデータ合成（橋梁トンネル用）", kAlways, kNever},
        {32929, kFile, "外周読込", points, kNever},
        {32928, kFile, "外周保存", [](const C& c) { return c.points && c.outlineVertices >= 3; },
         kNever},
        {32931, kFile, "中抜読込", tin, kNever},
        {33055, kFile, "中抜保存", tin, kNever},
        {33072, kFile, "RoadGmXML読込", kAlways, kNever},
        {32803, kFile, "外部データ取り込み", kAlways, Open(W::kImport)},
        {32860, kFile, "数値地図取り込み", kAlways, kNever},
        {33044, kFile, "地理院XMLメッシュ取り込み", kAlways, kNever},
        {32849, kFile, "３Ｄ-ＤＸＦ出力", tinOrContours, Open(W::kDxfOutput)},
        {32850, kFile, "ＳＩＭＡ出力", tinOrContours, Open(W::kSimaOut)},
        {32852, kFile, "ＳＵＮＭＡＰ出力", contours, Open(W::kSunmapOut)},
        {32861, kFile, "カルドミア出力", contours, kNever},
        {32983, kFile, "三角網座標テキスト出力", kAlways, kNever},
        {32868, kFile, "作業フォルダ指定", kAlways, kNever},
        {33046, kFile, "表示パラメータ保存", points, kNever},
        // 表示
        {32786, kView, "段彩表示", [](const C& c) { return c.tin || c.pointCount >= 2; },
         [](const C& c) { return c.tin && c.colorBandOn; }},
        {32866, kView, "背景画像表示", image, [](const C& c) { return c.showBackgroundImage; }},
        {32865, kView, "背景画像選択", kAlways, kNever},
        {32867, kView, "背景パラメータ設定", image, kNever},
        {32873, kView, "背景ＤＸＦ表示", dxf1, [](const C& c) { return c.showBackgroundDxf; }},
        {32872, kView, "背景ＤＸＦ選択", kAlways, kNever},
        {32874, kView, "背景ＤＸＦパラメータ設定",
         [](const C& c) { return c.dxfCount >= 1 && !c.birdsEyeOn; }, kNever},
        {32875, kView, "ＤＸＦ座標情報",
         [](const C& c) { return c.dxfCount >= 1 && !c.birdsEyeOn; }, Open(W::kDxfInfo)},
        {32959, kView, "ＤＸＦを三角網に乗せる",
         [](const C& c) { return c.dxfCount >= 1 && c.tin; }, kNever},
        {32960, kView, "DXFを背景画像に変換...", dxf1, kNever},
        {32920, kView, "背景画像を保存...", image, kNever},
        {33025, kView, "ベクトル作成", kAlways, kNever},
        {33030, kView, "地理院ＸＭＬ選択", kAlways, kNever},
        {33032, kView, "北海道地図ＨＴＦ選択", kAlways, kNever},
        {33010, kView, "ランダム点カラーを背景画像に変換...", kAlways, kNever},
        {32918, kView, "表示制御ツール", kAlways,
         [](const C& c) { return c.displayToolBarVisible; }},
        {32787, kView, "三角網、ランダム点編集ツール", kAlways, BarCode(8)},
        {32795, kView, "メッシュ土量ツール", kAlways, BarCode(4)},
        {32796, kView, "平均断面土量ツール", kAlways, BarCode(2)},
        {32799, kView, "スライス数量ツール", kAlways, BarCode(1)},
        {32909, kView, "計画ﾂｰﾙ", kAlways, BarCode(7)},
        {32989, kView, "その他ツール", kAlways, BarCode(10)},
        {32961, kView, "光源設定", tin, kNever},
        {32968, kView, "テキストフラグ", tin, Open(W::kTextFlag)},
        {32984, kView, "緯度経度表示", kAlways, [](const C& c) { return c.latLongDisplay; }},
        {33063, kView, "水位変化シミュレーション", kAlways, kNever},
        // 三角網
        {32858, kTin, "重複点チェック", points, kNever},
        {32831, kTin, "外周指定", points, OutlineIn(OUTLINE_EDIT_SPECIFY)},
        {32832, kTin, "自動外周", points, kNever},
        {32835, kTin, "外周部分変更", [](const C& c) { return c.points && c.outlineVertices > 2; },
         [](const C& c) { return OutlineIn(33)(c) || OutlineIn(34)(c); }},
        {32834, kTin, "外周部分消去", [](const C& c) { return c.points && c.outlineVertices >= 1; },
         OutlineIn(OUTLINE_EDIT_PARTIAL_ERASE)},
        {32833, kTin, "外周全消去", [](const C& c) { return c.points && c.outlineVertices >= 1; },
         kNever},
        {32836, kTin, "三角網計算", points, kNever},
        {32837, kTin, "三角網編集", pointsAndTin, OutlineIn(OUTLINE_EDIT_TIN_EDGE)},
        {32862, kTin, "三角網部分計算", kAlways, kNever},
        {32884, kTin, "不良三角網チェック", tin, kNever},
        {32925, kTin, "未使用点三角網削除", tin, kNever},
        {32955, kTin, "中抜登録", pointsAndTin, OutlineIn(OUTLINE_EDIT_HOLE_REGISTER)},
        {32954, kTin, "中抜削除", pointsAndTin, OutlineIn(OUTLINE_EDIT_HOLE_DELETE)},
        {32956, kTin, "中抜解除", pointsAndTin, kNever},
        {32957, kTin, "中抜反転", pointsAndTin, kNever},
        {32851, kTin, "体積計算", kAlways, kNever},
        {32870, kTin, "表面積計算", kAlways, kNever},
        {32871, kTin, "水平面積計算", kAlways, kNever},
        {33076, kTin, "三角網体積計算", kAlways, kNever},
        {32951, kTin, "任意座標標高計算", tin, kNever},
        {32966, kTin, "簡易断面", [](const C& c) { return c.pointCount >= 4; },
         ModeIs(MODE_SIMPLE_SECTION)},
        {32985, kTin, "簡易弛度曲線", kAlways, kNever},
        {32978, kTin, "分水嶺探索", tin,
         [](const C& c) { return c.outlineEditState == OUTLINE_EDIT_WATERSHED; }},
        {32979, kTin, "流水経路", tin,
         [](const C& c) { return c.outlineEditState == OUTLINE_EDIT_FLOW_PATH; }},
        {32977, kTin, "平坦点削除", kAlways, kNever},
        {32982, kTin, "尾根・谷 補正", tin, kNever},
        {33018, kTin, "可視領域計算", kAlways, kNever},
        // 等高線, on the menu bar itself
        {32802, "", "等高線", pointsAndTin, Open(W::kContourCalc)},
        // 点編集
        {32842, kPoint, "点編集", points, PointEditIn(POINT_EDIT_MODIFY)},
        {32843, kPoint, "点追加（マウス）", kAlways, PointEditIn(POINT_EDIT_ADD)},
        {32844, kPoint, "点追加（２点間）", points, PointEditIn(POINT_EDIT_BETWEEN)},
        {32845, kPoint, "点追加（オフセット）", points, PointEditIn(POINT_EDIT_OFFSET)},
        {32846, kPoint, "点追加（４点交点）", points, PointEditIn(POINT_EDIT_FOUR_POINT)},
        {32879, kPoint, "点追加（平行）", points, PointEditIn(POINT_EDIT_PARALLEL)},
        {32847, kPoint, "有効・無効", points, PointEditIn(POINT_EDIT_VALID_INVALID)},
        {33012, kPoint, "　有効・無効 領域編集", points, Open(W::kValidAreaEdit)},
        {33013, kPoint, "　重複点削除 領域編集", points, Open(W::kDupPointAreaEdit)},
        {32914, kPoint, "一括編集", points,
         [](const C& c) { return PointEditIn(8)(c) || PointEditIn(9)(c) || PointEditIn(10)(c); }},
        {32859, kPoint, "未使用点削除", pointCount, kNever},
        {33074, kPoint, "移動・回転...", kAlways, Open(W::kMoveRotate)},
        {32829, kPoint, "一覧表", kAlways, Open(W::kPointList)},
        {32981, kPoint, "三角網交差座標計算", pointsAndTin,
         PointEditIn(POINT_EDIT_TIN_INTERSECTION)},
        // 鳥瞰図
        {32908, kBirds, "ﾃｸｽﾁｬ鳥瞰図", kAlways, kNever},
        {32987, kBirds, "ビデオ鳥瞰図", kAlways, kNever},
        // ﾒｯｼｭ土量
        {32903, kMesh, "ﾒｯｼｭｴﾘｱ編集", [](const C& c) { return c.meshArea; },
         ModeIs(MODE_MESH_AREA_EDIT)},
        {32877, kMesh, "ﾒｯｼｭ標高計算",
         [](const C& c) { return (c.contours || c.tin) && c.meshArea; }, kNever},
        {32878, kMesh, "ﾒｯｼｭ標高編集", [](const C& c) { return c.meshElevations; },
         ModeIs(MODE_MESH_ELEVATION_EDIT)},
        {32806, kMesh, "測点追加", kAlways, kNever},
        {32823, kMesh, "ﾒｯｼｭ縦断表示", [](const C& c) { return c.sections && c.stationCount >= 2; },
         Open(W::kLongSection)},
        {32822, kMesh, "ﾒｯｼｭ横断表示",
         [](const C& c) { return c.sections || c.simpleSectionCount >= 1; }, Open(W::kSection)},
        {32953, kMesh, "横断テキスト編集", kAlways, kNever},
        {32807, kMesh, "ﾒｯｼｭ平均標高土量計算", kAlways, kNever},
        // 平均断面土量
        {32808, kAea, "基準点（ＩＰ点）入力", kAlways, IpIn(IP_POINT_INPUT)},
        {32809, kAea, "基準点（ＩＰ点）変更", Ips(1), IpIn(IP_POINT_CHANGE)},
        {32976, kAea, "基準点（ＩＰ点）挿入", Ips(2), IpIn(IP_POINT_INSERT)},
        {32810, kAea, "基準点（ＩＰ点）削除", Ips(1), IpIn(IP_POINT_DELETE)},
        {32811, kAea, "基準点（ＩＰ点）一覧", kAlways, kNever},
        {32817, kAea, "切り出し位置（路線）計算", Ips(2), Open(W::kRouteCalc)},
        {32963, kAea, "切り出し位置（路線）編集",
         [](const C& c) { return c.points || c.stationCount >= 1; }, kNever},
        {32818, kAea, "切り出し位置（路線）一覧", kAlways, kNever},
        {32980, kAea, "切り出し位置（路線）削除", Stations(2), ModeIs(MODE_CUT_POSITION_DELETE)},
        {32838, kAea, "曲線要素一覧", Ips(3), kNever},
        {32911, kAea, "任意断面登録", points, ModeIs(MODE_ARBITRARY_SECTION)},
        {32819, kAea, "三角網縦横断計算",
         [](const C& c) { return c.stationCount >= 1 && (c.tin || c.pointCount >= 4); }, kNever},
        {32770, kAea, "等高線縦横断計算",
         [](const C& c) { return c.contours && c.stationCount >= 1; }, kNever},
        {33069, kAea, "横断シフト", [](const C& c) { return c.sections; }, Open(W::kSectionShift)},
        {33078, kAea, "背景DXFから横断データ取得", [](const C& c) { return c.dxfCount >= 2; },
         kNever},
        // スライス数量
        {32889, kSlice, "等高線面積計算", kAlways, kNever},
        {32901, kSlice, "有効・無効", sliceLines, AreaIn(AREA_INFO_VALID_INVALID)},
        {32893, kSlice, "面積情報", sliceLines, AreaIn(AREA_INFO_PICK)},
        {32892, kSlice, "面積一覧", sliceLines, kNever},
        {32895, kSlice, "数量計算", sliceLines, kNever},
        {32896, kSlice, "数量一覧", sliceLines, kNever},
        {32900, kSlice, "スライス等高線を通常の等高線に変換", sliceLines, kNever},
        // 計画, 作図
        {32904, kPlan, "縦断計画", kAlways, kNever},
        {32902, kPlan, "拡幅片勾配登録", kAlways, kNever},
        {32906, kPlan, "定規図", kAlways, kNever},
        {32907, kPlan, "横断計画", kAlways, kNever},
        {32890, kDraw, "ﾒｯｼｭ作図", kAlways, kNever},
        {32905, kDraw, "ｸﾞﾗﾌ作図", kAlways, kNever},
        {32839, kDraw, "横断図作図", kAlways, kNever},
        {32840, kDraw, "縦断図作図", kAlways, kNever},
        {32910, kDraw, "平面図作図", kAlways, kNever},
        // 設定
        {32830, kSet, "パラメータ設定", kAlways, Open(W::kSetting)},
        {32855, kSet, "色設定", kAlways, Open(W::kColor)},
        {32999, kSet, "座標変換ユーティリティ", kAlways, kNever},
        {32995, kSet, "ＴＩＮデータ変換", kAlways, kNever},
        {33000, kSet, "データクリーナ", kAlways, kNever},
        {33014, kSet, "標高差RNDファイル作成", kAlways, kNever},
        {33058, kSet, "XYZ メッシュ", kAlways, kNever},
        // ﾍﾙﾌﾟ (the application's)
        {57667, kHelp, "目次", kAlways, kNever},
        {57664, kHelp, "ﾊﾞｰｼﾞｮﾝ情報(&A)...", kAlways, kNever},
        // Toolbars only
        {32853, nullptr, "地形作成ﾂｰﾙ ﾊﾞｰ", kAlways, BarCode(3)},
        {32856, nullptr, "横断計算ﾂｰﾙ ﾊﾞｰ", kAlways, BarCode(5)},
        {32899, nullptr, "ｵﾌﾟｼｮﾝﾂｰﾙ", kAlways, BarCode(6)},
        {32917, nullptr, "表示メニューツール", kAlways,
         [](const C& c) { return c.displayMenuToolBarVisible; }},
        {33070, nullptr, "地理院XMLメッシュ読込", kAlways, kNever},
        // No entry anywhere
        {32821, nullptr, "", sliceLines, kNever},
    };
}

std::string TopMenu(const char* path) {
    if (!path) return "(none)";
    const std::string s = path;
    return s.substr(0, s.find('/'));
}

// Conditions spread over the values the rules distinguish.
std::vector<C> ConditionSamples() {
    std::mt19937 rng(7);
    auto pick = [&](int n) { return static_cast<int>(rng() % n); };
    std::vector<C> samples(1);  // the empty start state first
    const int32_t modes[] = {MODE_NONE,
                             MODE_POINT_EDIT,
                             MODE_OUTLINE_EDIT,
                             MODE_AREA_INFO,
                             MODE_IP_POINT,
                             MODE_SIMPLE_SECTION,
                             MODE_ARBITRARY_SECTION,
                             MODE_MESH_AREA_EDIT,
                             MODE_MESH_ELEVATION_EDIT,
                             MODE_CUT_POSITION_DELETE,
                             MODE_SAG_CURVE};
    const int32_t outlineStates[] = {0, 1, 2, 5, 6, 7, 33, 34, 53, 54, 55};
    for (int i = 0; i < 4000; ++i) {
        C c;
        c.points = pick(2);
        c.pointCount = pick(6);
        c.tin = pick(2);
        c.outlineVertices = pick(5);
        c.contours = pick(2);
        c.sliceLines = pick(2);
        c.ipCount = pick(5);
        c.stationCount = pick(4);
        c.sections = pick(2);
        c.simpleSectionCount = pick(3);
        c.meshArea = pick(2);
        c.meshElevations = pick(2);
        c.dxfCount = pick(4);
        c.image = pick(2);
        c.birdsEyeOn = pick(2);
        c.colorBandOn = pick(2);
        c.showBackgroundImage = pick(2);
        c.showBackgroundDxf = pick(2);
        c.latLongDisplay = pick(2);
        c.toolMode = modes[pick(std::size(modes))];
        c.pointEditState = pick(13);
        c.outlineEditState = outlineStates[pick(std::size(outlineStates))];
        c.toolSubState = pick(6);
        c.areaInfoState = pick(6);
        for (size_t w = 0; w < kToolWindowCount; ++w) c.openWindows.set(w, pick(3) == 0);
        c.modeToolBarCode = pick(11);
        c.displayToolBarVisible = pick(2);
        c.displayMenuToolBarVisible = pick(2);
        samples.push_back(c);
    }
    return samples;
}
}  // namespace

TEST(CommandTable, EveryFrameCommandIsThereOnceWithItsTextInItsMenu) {
    for (const Row& row : Rows()) {
        const MenuEntry* e = FindCommand(row.id);
        ASSERT_NE(e, nullptr) << row.id;
        EXPECT_STREQ(e->text, row.text) << row.id;
        EXPECT_EQ(TopMenu(e->menu), TopMenu(row.menu)) << row.id;
        EXPECT_TRUE(e->owner == CommandOwner::kFrame || e->owner == CommandOwner::kApplication)
            << row.id;
    }
    // An id sits at most once in any one menu.
    std::set<std::pair<std::string, int>> placed;
    for (const MenuEntry& e : MenuEntries()) {
        if (e.id == 0 || !e.menu) continue;
        EXPECT_TRUE(placed.insert({e.menu, e.id}).second) << e.id << " twice in " << e.menu;
    }
    // Commands found in two menus keep their second text there.
    const std::map<int, std::string> second = {{32806, "測点（プラス杭）追加"},
                                               {32823, "縦断表示"},
                                               {32822, "横断表示"},
                                               {32953, "横断テキスト編集"}};
    for (const auto& [id, text] : second) {
        int seen = 0;
        for (const MenuEntry& e : MenuEntries())
            if (e.id == id && ++seen == 2) {
                EXPECT_EQ(e.text, text) << id;
                EXPECT_EQ(TopMenu(e.menu), std::string("平均断面土量")) << id;
            }
        EXPECT_EQ(seen, 2) << id;
    }
}

TEST(CommandTable, OtherHandlersEntriesSitInTheirMenus) {
    struct Group {
        const char* menu;
        CommandOwner owner;
        std::vector<int> ids;
    };
    const Group groups[] = {
        {kFile, CommandOwner::kDocument, {57601, 57603, 57604, 32882, 32883, 32820, 32841, 32848,
                                          32887, 33016, 33006, 32958, 32772, 32773, 32816, 32921,
                                          32922, 33057, 32813, 32812, 32815, 32827, 32828}},
        {kFile, CommandOwner::kView, {32886, 32964}},
        {kFile, CommandOwner::kFramework, {57616, 57665}},
        {kFile, CommandOwner::kApplication, {57600}},
        {kView, CommandOwner::kView, {32790, 32775, 32779, 32789, 32800, 32776, 32805, 32778,
                                      32777, 32780, 32781, 32782, 33002, 33003, 33004, 32771,
                                      32876, 32783, 32784, 32824, 32785, 32798, 32814}},
        {kView,
         CommandOwner::kDocument,
         {32885, 32794, 32797, 32793, 32792, 32894, 32854, 32970, 32974}},
        {kView, CommandOwner::kFramework, {59392}},
        {kPoint, CommandOwner::kView, {32891, 33011, 33056, 33033}},
        {kBirds, CommandOwner::kDocument, {32804, 32826}},
        {kMesh, CommandOwner::kView, {32869}},
        {kMesh, CommandOwner::kDocument, {32888}},
        {kAea, CommandOwner::kDocument, {32897, 32898}},
        {kDraw, CommandOwner::kDocument, {32857}},
    };
    for (const Group& g : groups)
        for (int id : g.ids) {
            const MenuEntry* e = FindCommand(id);
            ASSERT_NE(e, nullptr) << id;
            EXPECT_EQ(TopMenu(e->menu), g.menu) << id;
            EXPECT_EQ(e->owner, g.owner) << id;
            EXPECT_FALSE(std::string(e->text).empty()) << id;
        }
}

TEST(CommandTable, RulesFollowTheConditions) {
    const std::vector<C> samples = ConditionSamples();
    for (const Row& row : Rows()) {
        ASSERT_TRUE(HasFrameRule(row.id)) << row.id;
        for (size_t i = 0; i < samples.size(); ++i) {
            const CommandRule rule = EvaluateFrameRule(row.id, samples[i]);
            ASSERT_EQ(rule.enabled, row.enabled(samples[i])) << row.id << " sample " << i;
            ASSERT_EQ(rule.check == CheckState::kChecked, row.checked(samples[i]))
                << row.id << " sample " << i;
        }
    }
}

TEST(CommandTable, EdgeCasesOfTheRules) {
    C c;
    // Colour bands: with two points and no TIN enabled but never marked.
    c.pointCount = 2;
    c.colorBandOn = true;
    EXPECT_TRUE(EvaluateFrameRule(32786, c).enabled);
    EXPECT_EQ(EvaluateFrameRule(32786, c).check, CheckState::kUnchecked);
    c.pointCount = 1;
    EXPECT_FALSE(EvaluateFrameRule(32786, c).enabled);
    // Sections from the TIN: stations and four points are enough without a TIN.
    c = C{};
    c.stationCount = 1;
    c.pointCount = 4;
    EXPECT_TRUE(EvaluateFrameRule(32819, c).enabled);
    c.pointCount = 3;
    EXPECT_FALSE(EvaluateFrameRule(32819, c).enabled);
    // The duplicate check never carries a mark, whatever the mode.
    c = C{};
    c.points = true;
    c.toolMode = MODE_OUTLINE_EDIT;
    for (int s : {0, 1, 2, 5, 33, 53}) {
        c.outlineEditState = s;
        EXPECT_EQ(EvaluateFrameRule(32858, c).check, CheckState::kUnchecked) << s;
    }
    // The mode word is compared as a whole: a mode sharing bits is not the mode.
    c.toolMode = MODE_CUT_POSITION_DELETE | MODE_SAG_CURVE;
    c.stationCount = 2;
    EXPECT_EQ(EvaluateFrameRule(32980, c).check, CheckState::kUnchecked);
}

#include "shell/command_table.h"

#include <set>

#include "platform/busy.h"
#include "shell/tool_mode.h"

namespace {
constexpr CommandOwner kV = CommandOwner::kView;
constexpr CommandOwner kD = CommandOwner::kDocument;
constexpr CommandOwner kF = CommandOwner::kFrame;
constexpr CommandOwner kA = CommandOwner::kApplication;
constexpr CommandOwner kW = CommandOwner::kFramework;

constexpr const char* kFile = "ﾌｧｲﾙ";
constexpr const char* kView = "表示";
constexpr const char* kViewSettings = "表示/表示設定";
constexpr const char* kViewBackground = "表示/背景表示";
constexpr const char* kViewToolBars = "表示/ツールバー";
constexpr const char* kTin = "三角網";
constexpr const char* kBar = "";
constexpr const char* kPointEdit = "点編集";
constexpr const char* kBirdsEye = "鳥瞰図";
constexpr const char* kMesh = "ﾒｯｼｭ土量";
constexpr const char* kAverageEnd = "平均断面土量";
constexpr const char* kSlice = "スライス数量";
constexpr const char* kPlanning = "計画";
constexpr const char* kDrawing = "作図";
constexpr const char* kSettings = "設定";
constexpr const char* kHelp = "ﾍﾙﾌﾟ";
constexpr const char* kNoMenu = nullptr;

#define SEP(menu) \
    { menu, 0, nullptr, kF, false }

const MenuEntry kEntries[] = {
    // ﾌｧｲﾙ
    {kFile, 57600, "新規作成(&N)", kA, false},
    {kFile, 57601, "ランダムデータを開く", kD, false},
    {kFile, 57603, "上書き保存(&S)", kD, false},
    {kFile, 57604, "ランダムデータに名前を付けて保存", kD, false},
    SEP(kFile),
    {kFile, 32772, "縦横断データ読込", kD, false},
    {kFile, 32773, "縦横断データ保存", kD, false},
    {kFile, 32921, "他路線データ読込", kD, false},
    {kFile, 32922, "他路線データ消去", kD, false},
    {kFile, 32958, "路線ＳＩＭＡ読込", kD, false},
    SEP(kFile),
    {kFile, 32864, "ランダムデータ合成", kF, false},
    {kFile, 32926, "ランダムデータ合成（橋梁トンネル用）", kF, false},
    {kFile, 32927, "鳥瞰図ﾙｰﾄからﾄﾝﾈﾙ開口部座標取得", kF, false},
    SEP(kFile),
    {kFile, 32929, "外周読込", kF, false},
    {kFile, 32928, "外周保存", kF, false},
    {kFile, 32931, "中抜読込", kF, false},
    {kFile, 33055, "中抜保存", kF, false},
    SEP(kFile),
    {kFile, 32803, "外部データ取り込み", kF, false},
    {kFile, 32860, "数値地図取り込み", kF, false},
    {kFile, 33044, "地理院XMLメッシュ取り込み", kF, false},
    {kFile, 33072, "RoadGmXML読込", kF, false},
    {kFile, 33057, "メッシュテキスト取り込み", kD, false},
    SEP(kFile),
    {kFile, 32882, "メッシュ標高データ読込", kD, false},
    {kFile, 32883, "メッシュ標高データ保存", kD, false},
    {kFile, 32887, "メッシュ土量データ読込", kD, false},
    SEP(kFile),
    {kFile, 32849, "３Ｄ-ＤＸＦ出力", kF, false},
    {kFile, 32850, "ＳＩＭＡ出力", kF, false},
    {kFile, 32852, "ＳＵＮＭＡＰ出力", kF, false},
    {kFile, 32861, "カルドミア出力", kF, false},
    {kFile, 32983, "三角網座標テキスト出力", kF, false},
    {kFile, 32820, "メッシュ標高テキスト出力", kD, false},
    {kFile, 32841, "メッシュ標高ランダム出力", kD, false},
    {kFile, 32848, "メッシュ標高クリップボード出力", kD, false},
    {kFile, 33016, "メッシュ土量クリップボード出力", kD, false},
    {kFile, 33006, "三角形配列ランダム出力", kD, false},
    {kFile, 32816, "縦横断データランダム出力", kD, false},
    {kFile, 32813, "基準点ＳＩＭＡ出力", kD, false},
    {kFile, 32812, "縦断ＳＩＭＡ出力", kD, false},
    {kFile, 32815, "横断ＳＩＭＡ出力", kD, false},
    {kFile, 32827, "曲線要素テキスト出力", kD, false},
    {kFile, 32828, "測点テキスト出力", kD, false},
    SEP(kFile),
    {kFile, 32886, "ビットマップで保存", kV, false},
    {kFile, 33046, "表示パラメータ保存", kF, false},
    {kFile, 32964, "データクリアー", kV, false},
    SEP(kFile),
    {kFile, 32868, "作業フォルダ指定", kF, true},
    SEP(kFile),
    {kFile, 57616, "最近使ったファイル", kW, false},
    SEP(kFile),
    {kFile, 57665, "ｱﾌﾟﾘｹｰｼｮﾝの終了(&X)", kW, false},

    // 表示
    {kView, 32790, "拡大", kV, false},
    {kView, 32775, "定拡", kV, false},
    {kView, 32779, "縮小", kV, false},
    {kView, 32789, "移動", kV, false},
    {kView, 32800, "全体", kV, false},
    {kView, 32776, "前画面", kV, false},
    SEP(kView),
    {kView, 32805, "３D表示", kV, false},
    {kView, 32778, "上に向ける", kV, false},
    {kView, 32777, "下に向ける", kV, false},
    {kView, 32780, "左に回転", kV, false},
    {kView, 32781, "右に回転", kV, false},
    {kView, 32782, "初期化", kV, false},
    {kView, 32961, "光源設定", kF, false},
    SEP(kView),
    {kViewSettings, 32885, "ランダム点表示", kD, false},
    {kViewSettings, 33002, "  ランダム点カラー表示", kV, false},
    {kViewSettings, 33003, "  ランダム点受光強度表示", kV, false},
    {kViewSettings, 33004, "  ランダム点順序補正", kV, false},
    {kViewSettings, 32792, "点名表示", kD, false},
    {kViewSettings, 32793, "標高表示", kD, false},
    {kViewSettings, 32771, "三角網表示", kV, false},
    {kViewSettings, 32786, "段彩表示", kF, false},
    {kViewSettings, 32797, "簡易線表示", kD, false},
    {kViewSettings, 32974, "傾斜線表示", kD, false},
    {kViewSettings, 32794, "等高線表示", kD, false},
    {kViewSettings, 32894, "スライス等高線表示", kD, false},
    {kViewSettings, 32854, "方眼表示", kD, false},
    {kViewSettings, 32970, "テキストフラグ表示", kD, false},
    SEP(kViewSettings),
    {kViewSettings, 32876, "メッシュ表示", kV, false},
    {kViewSettings, 32783, "メッシュ標高表示", kV, false},
    {kViewSettings, 32784, "メッシュ土量表示", kV, false},
    {kViewSettings, 32824, "基準線表示", kV, false},
    {kViewSettings, 32785, "基準点名表示", kV, false},
    {kViewSettings, 32798, "縦横断表示", kV, false},
    {kViewBackground, 32866, "背景画像表示", kF, false},
    {kViewBackground, 32865, "背景画像選択", kF, false},
    {kViewBackground, 32867, "背景パラメータ設定", kF, false},
    {kViewBackground, 32920, "背景画像を保存...", kF, false},
    {kViewBackground, 33010, "ランダム点カラーを背景画像に変換...", kF, false},
    SEP(kViewBackground),
    {kViewBackground, 32873, "背景ＤＸＦ表示", kF, false},
    {kViewBackground, 32872, "背景ＤＸＦ選択", kF, false},
    {kViewBackground, 32874, "背景ＤＸＦパラメータ設定", kF, false},
    {kViewBackground, 32875, "ＤＸＦ座標情報", kF, false},
    {kViewBackground, 32959, "ＤＸＦを三角網に乗せる", kF, false},
    {kViewBackground, 32960, "DXFを背景画像に変換...", kF, false},
    {kViewBackground, 33025, "ベクトル作成", kF, false},
    SEP(kViewBackground),
    {kViewBackground, 33030, "地理院ＸＭＬ選択", kF, false},
    {kViewBackground, 33032, "北海道地図ＨＴＦ選択", kF, false},
    {kViewToolBars, 59392, "基本操作ツール", kW, true},
    {kViewToolBars, 32918, "表示制御ツール", kF, true},
    SEP(kViewToolBars),
    {kViewToolBars, 32787, "三角網、ランダム点編集ツール", kF, false},
    {kViewToolBars, 32795, "メッシュ土量ツール", kF, false},
    {kViewToolBars, 32796, "平均断面土量ツール", kF, false},
    {kViewToolBars, 32799, "スライス数量ツール", kF, false},
    {kViewToolBars, 32909, "計画ﾂｰﾙ", kF, false},
    {kViewToolBars, 32989, "その他ツール", kF, false},
    SEP(kView),
    {kView, 32814, "全体図", kV, false},
    {kView, 32968, "テキストフラグ", kF, false},
    {kView, 32984, "緯度経度表示", kF, false},
    {kView, 33063, "水位変化シミュレーション", kF, false},

    // 三角網
    {kTin, 32858, "重複点チェック", kF, false},
    SEP(kTin),
    {kTin, 32831, "外周指定", kF, false},
    {kTin, 32832, "自動外周", kF, false},
    {kTin, 32835, "外周部分変更", kF, false},
    {kTin, 32834, "外周部分消去", kF, false},
    {kTin, 32833, "外周全消去", kF, false},
    SEP(kTin),
    {kTin, 32836, "三角網計算", kF, false},
    {kTin, 32837, "三角網編集", kF, false},
    {kTin, 32862, "三角網部分計算", kF, false},
    {kTin, 32884, "不良三角網チェック", kF, false},
    {kTin, 32925, "未使用点三角網削除", kF, false},
    SEP(kTin),
    {kTin, 32955, "中抜登録", kF, false},
    {kTin, 32954, "中抜削除", kF, false},
    {kTin, 32956, "中抜解除", kF, false},
    {kTin, 32957, "中抜反転", kF, false},
    SEP(kTin),
    {kTin, 32851, "体積計算", kF, false},
    {kTin, 32870, "表面積計算", kF, false},
    {kTin, 32871, "水平面積計算", kF, false},
    {kTin, 33076, "三角網体積計算", kF, false},
    {kTin, 32951, "任意座標標高計算", kF, false},
    SEP(kTin),
    {kTin, 32966, "簡易断面", kF, false},
    {kTin, 32985, "簡易弛度曲線", kF, false},
    {kTin, 32978, "分水嶺探索", kF, false},
    {kTin, 32979, "流水経路", kF, false},
    {kTin, 32977, "平坦点削除", kF, false},
    {kTin, 32982, "尾根・谷 補正", kF, false},
    {kTin, 33018, "可視領域計算", kF, false},

    // 等高線, an item of the menu bar itself
    {kBar, 32802, "等高線", kF, false},

    // 点編集
    {kPointEdit, 32842, "点編集", kF, false},
    {kPointEdit, 32843, "点追加（マウス）", kF, false},
    {kPointEdit, 32844, "点追加（２点間）", kF, false},
    {kPointEdit, 32845, "点追加（オフセット）", kF, false},
    {kPointEdit, 32846, "点追加（４点交点）", kF, false},
    {kPointEdit, 32879, "点追加（平行）", kF, false},
    SEP(kPointEdit),
    {kPointEdit, 32847, "有効・無効", kF, false},
    {kPointEdit, 33012, "　有効・無効 領域編集", kF, false},
    {kPointEdit, 33013, "　重複点削除 領域編集", kF, false},
    {kPointEdit, 32914, "一括編集", kF, false},
    {kPointEdit, 32859, "未使用点削除", kF, false},
    {kPointEdit, 33074, "移動・回転...", kF, false},
    SEP(kPointEdit),
    {kPointEdit, 32829, "一覧表", kF, false},
    {kPointEdit, 32981, "三角網交差座標計算", kF, false},
    SEP(kPointEdit),
    {kPointEdit, 32891, "図面の等高線検出（ラスタ追跡）", kV, false},
    {kPointEdit, 33011, "トンネル展開", kV, false},
    {kPointEdit, 33056, "線番号設定", kV, false},
    {kPointEdit, 33033, "XY反転", kV, false},

    // 鳥瞰図
    {kBirdsEye, 32804, "起動・終了", kD, false},
    {kBirdsEye, 32826, "３D自動更新", kD, false},
    SEP(kBirdsEye),
    {kBirdsEye, 32908, "ﾃｸｽﾁｬ鳥瞰図", kF, false},
    {kBirdsEye, 32987, "ビデオ鳥瞰図", kF, false},

    // ﾒｯｼｭ土量
    {kMesh, 32869, "ﾒｯｼｭｴﾘｱ登録", kV, false},
    {kMesh, 32903, "ﾒｯｼｭｴﾘｱ編集", kF, false},
    {kMesh, 32877, "ﾒｯｼｭ標高計算", kF, false},
    {kMesh, 32878, "ﾒｯｼｭ標高編集", kF, false},
    SEP(kMesh),
    {kMesh, 32806, "測点追加", kF, false},
    {kMesh, 32888, "ﾒｯｼｭ縦横断計算", kD, false},
    {kMesh, 32823, "ﾒｯｼｭ縦断表示", kF, false},
    {kMesh, 32822, "ﾒｯｼｭ横断表示", kF, false},
    {kMesh, 32953, "横断テキスト編集", kF, false},
    SEP(kMesh),
    {kMesh, 32807, "ﾒｯｼｭ平均標高土量計算", kF, false},

    // 平均断面土量
    {kAverageEnd, 32808, "基準点（ＩＰ点）入力", kF, false},
    {kAverageEnd, 32809, "基準点（ＩＰ点）変更", kF, false},
    {kAverageEnd, 32976, "基準点（ＩＰ点）挿入", kF, false},
    {kAverageEnd, 32810, "基準点（ＩＰ点）削除", kF, false},
    {kAverageEnd, 32811, "基準点（ＩＰ点）一覧", kF, false},
    SEP(kAverageEnd),
    {kAverageEnd, 32806, "測点（プラス杭）追加", kF, false},
    {kAverageEnd, 32817, "切り出し位置（路線）計算", kF, false},
    {kAverageEnd, 32963, "切り出し位置（路線）編集", kF, false},
    {kAverageEnd, 32818, "切り出し位置（路線）一覧", kF, false},
    {kAverageEnd, 32980, "切り出し位置（路線）削除", kF, false},
    {kAverageEnd, 32838, "曲線要素一覧", kF, false},
    {kAverageEnd, 32911, "任意断面登録", kF, false},
    SEP(kAverageEnd),
    {kAverageEnd, 32819, "三角網縦横断計算", kF, false},
    {kAverageEnd, 32770, "等高線縦横断計算", kF, false},
    {kAverageEnd, 32823, "縦断表示", kF, false},
    {kAverageEnd, 32822, "横断表示", kF, false},
    {kAverageEnd, 33069, "横断シフト", kF, false},
    {kAverageEnd, 32953, "横断テキスト編集", kF, false},
    {kAverageEnd, 33078, "背景DXFから横断データ取得", kF, false},
    SEP(kAverageEnd),
    {kAverageEnd, 32897, "土量計算", kD, false},
    {kAverageEnd, 32898, "土量一覧", kD, false},

    // スライス数量
    {kSlice, 32889, "等高線面積計算", kF, false},
    {kSlice, 32901, "有効・無効", kF, false},
    {kSlice, 32893, "面積情報", kF, false},
    {kSlice, 32892, "面積一覧", kF, false},
    {kSlice, 32895, "数量計算", kF, false},
    {kSlice, 32896, "数量一覧", kF, false},
    {kSlice, 32900, "スライス等高線を通常の等高線に変換", kF, false},

    // 計画
    {kPlanning, 32904, "縦断計画", kF, false},
    {kPlanning, 32902, "拡幅片勾配登録", kF, false},
    {kPlanning, 32906, "定規図", kF, false},
    {kPlanning, 32907, "横断計画", kF, false},

    // 作図
    {kDrawing, 32857, "等高線作図", kD, false},
    {kDrawing, 32890, "ﾒｯｼｭ作図", kF, false},
    {kDrawing, 32905, "ｸﾞﾗﾌ作図", kF, false},
    {kDrawing, 32839, "横断図作図", kF, false},
    {kDrawing, 32840, "縦断図作図", kF, false},
    {kDrawing, 32910, "平面図作図", kF, false},

    // 設定
    {kSettings, 32830, "パラメータ設定", kF, false},
    {kSettings, 32855, "色設定", kF, false},
    SEP(kSettings),
    {kSettings, 32999, "座標変換ユーティリティ", kF, false},
    {kSettings, 32995, "ＴＩＮデータ変換", kF, false},
    {kSettings, 33000, "データクリーナ", kF, false},
    {kSettings, 33014, "標高差RNDファイル作成", kF, false},
    {kSettings, 33058, "XYZ メッシュ", kF, false},

    // ﾍﾙﾌﾟ
    {kHelp, 57667, "目次", kA, true},
    {kHelp, 57664, "ﾊﾞｰｼﾞｮﾝ情報(&A)...", kA, true},

    // Commands reached from toolbars only (the text is the tooltip's name).
    {kNoMenu, 32853, "地形作成ﾂｰﾙ ﾊﾞｰ", kF, false},
    {kNoMenu, 32856, "横断計算ﾂｰﾙ ﾊﾞｰ", kF, false},
    {kNoMenu, 32899, "ｵﾌﾟｼｮﾝﾂｰﾙ", kF, false},
    {kNoMenu, 32917, "表示メニューツール", kF, true},
    {kNoMenu, 33070, "地理院XMLメッシュ読込", kF, false},
    // Slice contour plotting: a frame command without any menu or toolbar entry.
    {kNoMenu, 32821, "", kF, false},
};
#undef SEP

bool InMode(const ShellConditions& c, int32_t mode) { return c.toolMode == mode; }
bool PointEdit(const ShellConditions& c, int32_t s) {
    return c.toolMode == MODE_POINT_EDIT && c.pointEditState == s;
}
bool OutlineEdit(const ShellConditions& c, int32_t s) {
    return c.toolMode == MODE_OUTLINE_EDIT && c.outlineEditState == s;
}
bool IpTool(const ShellConditions& c, int32_t s) {
    return c.toolMode == MODE_IP_POINT && c.toolSubState == s;
}
bool AreaInfo(const ShellConditions& c, int32_t s) {
    return c.toolMode == MODE_AREA_INFO && c.areaInfoState == s;
}

CommandRule Rule(bool enabled, bool checked = false) {
    return {enabled, checked ? CheckState::kChecked : CheckState::kUnchecked};
}

// The rules, or false in `found` when the id has none.
CommandRule Evaluate(int id, const ShellConditions& c, bool& found) {
    found = true;
    const bool plan = !c.birdsEyeOn;
    const bool pointsAndTin = c.points && c.tin;
    using W = ToolWindow;
    switch (id) {
        // ﾌｧｲﾙ
        case 32864:
            return Rule(c.pointCount > 0);
        case 32929:
            return Rule(c.points);
        case 32928:
            return Rule(c.points && c.outlineVertices >= 3);
        case 32931:
        case 33055:
            return Rule(c.tin);
        case 32803:
            return Rule(true, c.IsOpen(W::kImport));
        case 32849:
            return Rule(c.tin || c.contours, c.IsOpen(W::kDxfOutput));
        case 32850:
            return Rule(c.tin || c.contours, c.IsOpen(W::kSimaOut));
        case 32852:
            return Rule(c.contours, c.IsOpen(W::kSunmapOut));
        case 32861:
            return Rule(c.contours);
        case 33046:
            return Rule(c.points);

        // 表示
        case 32786:
            if (c.tin) return Rule(true, c.colorBandOn);
            return Rule(c.pointCount >= 2);
        case 32866:
            return Rule(c.image, c.showBackgroundImage);
        case 32867:
            return Rule(c.image);
        case 32873:
            return Rule(c.dxfCount >= 1, c.showBackgroundDxf);
        case 32874:
            return Rule(c.dxfCount >= 1 && plan);
        case 32875:
            return Rule(c.dxfCount >= 1 && plan, c.IsOpen(W::kDxfInfo));
        case 32959:
            return Rule(c.dxfCount >= 1 && c.tin);
        case 32960:
            return Rule(c.dxfCount >= 1);
        case 32920:
            return Rule(c.image);
        case 32918:
            return Rule(true, c.displayToolBarVisible);
        case 32787:
            return Rule(true, c.modeToolBarCode == 8);
        case 32795:
            return Rule(true, c.modeToolBarCode == 4);
        case 32796:
            return Rule(true, c.modeToolBarCode == 2);
        case 32799:
            return Rule(true, c.modeToolBarCode == 1);
        case 32909:
            return Rule(true, c.modeToolBarCode == 7);
        case 32989:
            return Rule(true, c.modeToolBarCode == 10);
        case 32961:
            return Rule(c.tin);
        case 32968:
            return Rule(c.tin, c.IsOpen(W::kTextFlag));
        case 32984:
            return Rule(true, c.latLongDisplay);

        // 三角網
        case 32858:
            return Rule(c.points);
        case 32831:
            return Rule(c.points, OutlineEdit(c, OUTLINE_EDIT_SPECIFY));
        case 32832:
            return Rule(c.points);
        case 32835:
            return Rule(c.points && c.outlineVertices > 2,
                        OutlineEdit(c, OUTLINE_EDIT_PARTIAL_CHANGE) ||
                            OutlineEdit(c, OUTLINE_EDIT_PARTIAL_CHANGE + 1));
        case 32834:
            return Rule(c.points && c.outlineVertices >= 1,
                        OutlineEdit(c, OUTLINE_EDIT_PARTIAL_ERASE));
        case 32833:
            return Rule(c.points && c.outlineVertices >= 1);
        case 32836:
            return Rule(c.points);
        case 32837:
            return Rule(pointsAndTin, OutlineEdit(c, OUTLINE_EDIT_TIN_EDGE));
        case 32884:
        case 32925:
        case 32951:
            return Rule(c.tin);
        case 32955:
            return Rule(pointsAndTin, OutlineEdit(c, OUTLINE_EDIT_HOLE_REGISTER));
        case 32954:
            return Rule(pointsAndTin, OutlineEdit(c, OUTLINE_EDIT_HOLE_DELETE));
        case 32956:
        case 32957:
            return Rule(pointsAndTin);
        case 32966:
            return Rule(c.pointCount >= 4, InMode(c, MODE_SIMPLE_SECTION));
        case 32978:
            return Rule(c.tin, c.outlineEditState == OUTLINE_EDIT_WATERSHED);
        case 32979:
            return Rule(c.tin, c.outlineEditState == OUTLINE_EDIT_FLOW_PATH);
        case 32982:
            return Rule(c.tin);

        // 等高線
        case 32802:
            return Rule(pointsAndTin, c.IsOpen(W::kContourCalc));

        // 点編集
        case 32842:
            return Rule(c.points, PointEdit(c, POINT_EDIT_MODIFY));
        case 32843:
            return Rule(true, PointEdit(c, POINT_EDIT_ADD));
        case 32844:
            return Rule(c.points, PointEdit(c, POINT_EDIT_BETWEEN));
        case 32845:
            return Rule(c.points, PointEdit(c, POINT_EDIT_OFFSET));
        case 32846:
            return Rule(c.points, PointEdit(c, POINT_EDIT_FOUR_POINT));
        case 32879:
            return Rule(c.points, PointEdit(c, POINT_EDIT_PARALLEL));
        case 32847:
            return Rule(c.points, PointEdit(c, POINT_EDIT_VALID_INVALID));
        case 33012:
            return Rule(c.points, c.IsOpen(W::kValidAreaEdit));
        case 33013:
            return Rule(c.points, c.IsOpen(W::kDupPointAreaEdit));
        case 32914:
            return Rule(c.points, c.toolMode == MODE_POINT_EDIT &&
                                      c.pointEditState >= POINT_EDIT_BATCH &&
                                      c.pointEditState <= POINT_EDIT_BATCH + 2);
        case 32859:
            return Rule(c.pointCount > 0);
        case 33074:
            return Rule(true, c.IsOpen(W::kMoveRotate));
        case 32829:
            return Rule(true, c.IsOpen(W::kPointList));
        case 32981:
            return Rule(pointsAndTin, PointEdit(c, POINT_EDIT_TIN_INTERSECTION));

        // ﾒｯｼｭ土量
        case 32903:
            return Rule(c.meshArea, InMode(c, MODE_MESH_AREA_EDIT));
        case 32877:
            return Rule((c.contours || c.tin) && c.meshArea);
        case 32878:
            return Rule(c.meshElevations, InMode(c, MODE_MESH_ELEVATION_EDIT));
        case 32823:
            return Rule(c.sections && c.stationCount >= 2, c.IsOpen(W::kLongSection));
        case 32822:
            return Rule(c.sections || c.simpleSectionCount >= 1, c.IsOpen(W::kSection));

        // 平均断面土量
        case 32808:
            return Rule(true, IpTool(c, IP_POINT_INPUT));
        case 32809:
            return Rule(c.ipCount >= 1, IpTool(c, IP_POINT_CHANGE));
        case 32976:
            return Rule(c.ipCount >= 2, IpTool(c, IP_POINT_INSERT));
        case 32810:
            return Rule(c.ipCount >= 1, IpTool(c, IP_POINT_DELETE));
        case 32817:
            return Rule(c.ipCount >= 2, c.IsOpen(W::kRouteCalc));
        case 32963:
            return Rule(c.points || c.stationCount >= 1);
        case 32980:
            return Rule(c.stationCount >= 2, InMode(c, MODE_CUT_POSITION_DELETE));
        case 32838:
            return Rule(c.ipCount >= 3);
        case 32911:
            return Rule(c.points, InMode(c, MODE_ARBITRARY_SECTION));
        case 32819:
            return Rule(c.stationCount >= 1 && (c.tin || c.pointCount >= 4));
        case 32770:
            return Rule(c.contours && c.stationCount >= 1);
        case 33069:
            return Rule(c.sections, c.IsOpen(W::kSectionShift));
        case 33078:
            return Rule(c.dxfCount >= 2);

        // スライス数量
        case 32901:
            return Rule(c.sliceLines, AreaInfo(c, AREA_INFO_VALID_INVALID));
        case 32893:
            return Rule(c.sliceLines, AreaInfo(c, AREA_INFO_PICK));
        case 32892:
        case 32895:
        case 32896:
        case 32900:
        case 32821:
            return Rule(c.sliceLines);

        // 設定
        case 32830:
            return Rule(true, c.IsOpen(W::kSetting));
        case 32855:
            return Rule(true, c.IsOpen(W::kColor));

        // Toolbar commands
        case 32853:
            return Rule(true, c.modeToolBarCode == 3);
        case 32856:
            return Rule(true, c.modeToolBarCode == 5);
        case 32899:
            return Rule(true, c.modeToolBarCode == 6);
        case 32917:
            return Rule(true, c.displayMenuToolBarVisible);

        default:
            break;
    }
    const MenuEntry* entry = FindCommand(id);
    found = entry &&
            (entry->owner == CommandOwner::kFrame || entry->owner == CommandOwner::kApplication);
    // Every other frame command is always enabled and never marked.
    return Rule(true);
}
}  // namespace

std::span<const MenuEntry> MenuEntries() { return kEntries; }

const MenuEntry* FindCommand(int id) {
    if (id == 0) return nullptr;
    for (const MenuEntry& e : kEntries)
        if (e.id == id) return &e;
    return nullptr;
}

std::vector<int> CommandIds() {
    std::vector<int> ids;
    std::set<int> seen;
    for (const MenuEntry& e : kEntries)
        if (e.id != 0 && seen.insert(e.id).second) ids.push_back(e.id);
    return ids;
}

bool CommandAllowedNow(int id) {
    if (!IsBusy()) return true;
    const MenuEntry* entry = FindCommand(id);
    return entry && entry->runsWhileBusy;
}

bool HasFrameRule(int id) {
    bool found = false;
    Evaluate(id, ShellConditions{}, found);
    return found;
}

CommandRule EvaluateFrameRule(int id, const ShellConditions& c) {
    bool found = false;
    return Evaluate(id, c, found);
}

std::span<const Accelerator> Accelerators() {
    static const Accelerator kTable[] = {
        {"Ctrl+N", 57600},    {"Ctrl+O", 57601},   {"Ctrl+S", 57603},    {"Ctrl+Z", 57643},    {"Alt+Backspace", 57643},
        {"Ctrl+X", 57635},    {"Shift+Del", 57635}, {"Ctrl+C", 57634},   {"Ctrl+Ins", 57634},  {"Ctrl+V", 57637},
        {"Shift+Ins", 57637}, {"F6", 57680},       {"Shift+F6", 57681},
    };
    return kTable;
}

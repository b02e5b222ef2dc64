#include "model/zone_dialog.h"

#include <cstdlib>

#include "model/geodesy.h"
#include "platform/text_io.h"

namespace {
struct ZoneTexts {
    const char* latitude;
    const char* longitude;
    const char* area[kZoneAreaLineCount];
};

// Area lines keep their leading blank (and the tab of zone 1's third line).
const ZoneTexts kZoneTexts[kPlaneZoneCount] = {
    {" 33度 0分0秒",
     "129度30分0秒",
     {" 長崎県 鹿児島県のうち",
      " 北方北緯32度南方北緯27度西方東経128度18分東方東経130度を境界線とする区域内",
      " \t（奄美群島は東経130度13分までを含む。)にあるすべての島、小島、環礁及び岩礁", " ", " "}},
    {" 33度 0分0秒",
     "131度 0分0秒",
     {" 福岡県　佐賀県　熊本県　大分県　宮崎県　鹿児島県（第１系に規定する区域を除く。)", " ", " ",
      " ", " "}},
    {" 36度 0分0秒", "132度10分0秒", {" 山口県　島根県　広島県", " ", " ", " ", " "}},
    {" 33度 0分0秒", "133度30分0秒", {" 香川県　愛媛県　徳島県　高知県", " ", " ", " ", " "}},
    {" 36度 0分0秒", "134度20分0秒", {" 兵庫県　鳥取県　岡山県", " ", " ", " ", " "}},
    {" 36度 0分0秒",
     "136度 0分0秒",
     {" 京都府　大阪府　福井県　滋賀県　三重県　奈良県 和歌山県", " ", " ", " ", " "}},
    {" 36度 0分0秒", "137度10分0秒", {" 石川県　富山県　岐阜県　愛知県", " ", " ", " ", " "}},
    {" 36度 0分0秒", "138度30分0秒", {" 新潟県　長野県　山梨県　静岡県", " ", " ", " ", " "}},
    {" 36度 0分0秒",
     "139度50分0秒",
     {" 東京都（１４系、１８系及び１９系に規定する区域を除く。)",
      " 福島県　栃木県　茨城県　埼玉県 千葉県 群馬県　神奈川県", " ", " ", " "}},
    {" 40度 0分0秒",
     "140度50分0秒",
     {" 青森県　秋田県　山形県　岩手県　宮城県", " ", " ", " ", " "}},
    {" 44度 0分0秒",
     "140度15分0秒",
     {" 小樽市　函館市　伊達市　胆振支庁管内のうち有珠郡及び虻田郡",
      " 檜山支庁管内　後志支庁管内　渡島支庁管内", " ", " ", " "}},
    {" 44度 0分0秒",
     "142度15分0秒",
     {" 札幌市　旭川市　稚内市　留萌市　美唄市　夕張市 岩見沢市　苫小牧市　室蘭市",
      " 士別市　名寄市　芦別市　赤平市　三笠市　滝川市　砂川市　江別市 千歳市　歌志内市",
      " 深川市　紋別市　富良野市　登別市　恵庭市　北広島市　石狩市　石狩支庁管内",
      " 網走支庁管内のうち紋別郡　上川支庁管内　宗谷支庁管内　日高支庁管内",
      " 胆振支庁管内（有珠郡及び虻田郡を除く。)　空知支庁管内　留萌支庁管内"}},
    {" 44度 0分0秒",
     "144度15分0秒",
     {" 北見市　帯広市　釧路市　網走市　根室市　根室支庁管内　釧路支庁管内",
      " 網走支庁管内（紋別郡を除く。)　十勝支庁管内", " ", " ", " "}},
    {" 26度 0分0秒",
     "142度 0分0秒",
     {" 東京都のうち北緯28度から南であり、",
      " かつ東経140度30分から東であり東経143度から西である区域", " ", " ", " "}},
    {" 26度 0分0秒",
     "127度30分0秒",
     {" 沖縄県のうち東経126度から東であり、かつ東経130度から西である区域", " ", " ", " ", " "}},
    {" 26度 0分0秒",
     "124度 0分0秒",
     {" 沖縄県のうち東経126度から西である区域", " ", " ", " ", " "}},
    {" 26度 0分0秒",
     "131度 0分0秒",
     {" 沖縄県のうち東経130度から東である区域", " ", " ", " ", " "}},
    {" 20度 0分0秒",
     "136度 0分0秒",
     {" 東京都のうち北緯28度から南であり、かつ東経140度30分から西である区域", " ", " ", " ", " "}},
    {" 26度 0分0秒",
     "154度 0分0秒",
     {" 東京都のうち北緯28度から南であり、かつ東経143度から東である区域", " ", " ", " ", " "}},
};

const ZoneTexts* TextsOf(int32_t zone) {
    return IsPlaneZone(zone) ? &kZoneTexts[zone - 1] : nullptr;
}

// The datum controls as the convert flag and the data datum ask for them.
void ShowDatumControls(const ZoneSelectValues& values, ZoneDialogControls& c) {
    if (values.m_convertDatum != 0) {
        c.convertShown = c.groupShown = c.radiosShown = true;
        return;
    }
    c.convertShown = c.groupShown = c.radiosShown = false;
    if (values.m_dataDatum >= 0) {
        c.groupShown = true;
        c.groupTextCleared = true;
        c.radiosShown = true;
        c.worldDatum = values.m_dataDatum != 0;
    }
}
}  // namespace

const char* ZoneOriginLatitudeText(int32_t zone) {
    const ZoneTexts* t = TextsOf(zone);
    return t ? t->latitude : "";
}

const char* ZoneOriginLongitudeText(int32_t zone) {
    const ZoneTexts* t = TextsOf(zone);
    return t ? t->longitude : "";
}

std::array<const char*, kZoneAreaLineCount> ZoneAreaLines(int32_t zone) {
    std::array<const char*, kZoneAreaLineCount> lines;
    const ZoneTexts* t = TextsOf(zone);
    for (int i = 0; i < kZoneAreaLineCount; ++i) lines[i] = t ? t->area[i] : " ";
    return lines;
}

ZoneDialogControls OpenZoneSelect(ZoneSelectValues& values) {
    ZoneDialogControls c;
    values.m_zone = ValidPlaneZone(values.m_zone);
    c.zoneEdit = FormatString("%d", values.m_zone);
    if (values.m_zone != 0) SelectZoneEntry(values.m_zone - 1, values, c);
    c.worldDatum = values.m_datumSelection != 0;
    c.convertChecked = values.m_convertDatum >= 1;
    ShowDatumControls(values, c);
    if (values.m_convertDatum < 0) values.m_convertDatum = 0;
    return c;
}

void SelectZoneEntry(int32_t index, ZoneSelectValues& values, ZoneDialogControls& controls) {
    const ZoneTexts* t = TextsOf(index + 1);
    if (!t) return;
    controls.zoneIndex = index;
    controls.areaList.clear();
    for (const char* line : t->area) {
        controls.areaList.emplace_back(" ");
        controls.areaList.emplace_back(line);
    }
    controls.originLatitude = t->latitude;
    controls.originLongitude = t->longitude;
    values.m_zone = index + 1;
}

void ZoneEditLostFocus(const std::string& text, ZoneSelectValues& values,
                       ZoneDialogControls& controls) {
    const long zone = std::strtol(text.c_str(), nullptr, 10);
    if (zone >= 1 && zone <= kPlaneZoneCount) values.m_zone = static_cast<int32_t>(zone);
    controls.zoneEdit = FormatString("%d", values.m_zone);
}

void SelectDatumRadio(int32_t datum, ZoneSelectValues& values, ZoneDialogControls& controls) {
    const int32_t d = datum != 0 ? 1 : 0;
    values.m_datumSelection = d;
    values.m_dataDatum = d;
    controls.worldDatum = d != 0;
}

void SetConvertDatumCheck(bool checked, ZoneSelectValues& values, ZoneDialogControls& controls) {
    values.m_convertDatum = checked ? 1 : 0;
    controls.convertChecked = checked;
}

void AcceptZoneSelect(ZoneSelectValues& values, const ZoneDialogControls& controls) {
    values.m_dataDatum = controls.worldDatum ? 1 : 0;
}

void ApplyZoneSelection(const ZoneSelectValues& values, Ellipsoid& geodesy) {
    g_planeZone = ValidPlaneZone(values.m_zone);
    if (values.m_dataDatum == 1) {
        geodesy.SelectEllipsoid(kEllipsoidGrs1980);
        g_useWorldDatum = 1;
    } else {
        geodesy.SelectEllipsoid(kEllipsoidBessel1841);
        g_useWorldDatum = 0;
    }
}

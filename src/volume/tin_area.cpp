#include "volume/tin_area.h"

#include <cmath>
#include <cstring>

#include "model/file_report.h"
#include "model/progress.h"
#include "model/terrain_data.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "platform/text_io.h"
#include "shell/work_folder.h"
#include "volume/tin_report.h"

double g_tinSurfaceArea = 0;
double g_tinHorizontalArea = 0;

int32_t CalcTinArea(int32_t holesOnly, int32_t decimals, int32_t surface, int32_t withReport,
                    const std::string& reportPath, double* total) {
    *total = 0;
    TinReport report(withReport != 0, reportPath);
    const std::string areaFormat =
        FormatString("                                              %%15.%dlf\n", decimals);
    const std::string closeFormat = FormatString("                                        合計 =%%15.%dlf\n", decimals);
    report.Write("\n");
    report.Write(surface ? "-----------------------------------  表面積計算表  -------------------------------------\n"
                         : "---------------------------------  水平面積計算表  -------------------------------------\n");
    report.Write("\n");
    report.Write(surface ? "  点名        Ｘ座標       Ｙ座標        標高           表面積\n"
                         : "  点名        Ｘ座標       Ｙ座標        標高         水平面積\n");
    double sum = 0;
    const bool marked = ForEachTinTriangle(holesOnly, [&](const RandomPoint& p1, const RandomPoint& p2,
                                                          const RandomPoint& p3) {
        auto side = [&](const RandomPoint& u, const RandomPoint& v) {
            const double dz = surface ? v.z - u.z : 0.0;
            return std::sqrt((v.x - u.x) * (v.x - u.x) + (v.y - u.y) * (v.y - u.y) + dz * dz);
        };
        const double a = side(p1, p2), b = side(p2, p3), c = side(p3, p1);
        const double s = (a + b + c) / 2;
        const double g = s * (s - a) * (s - b) * (s - c);
        if (!(g > 0)) return;
        const double area = std::sqrt(g);
        if (report.IsOpen()) {
            for (const RandomPoint* p : {&p1, &p2, &p3}) {
                char name[sizeof p->name + 1] = {};
                std::memcpy(name, p->name, sizeof p->name);
                report.WriteBytes(FormatString("%8.8s %12.3lf %12.3lf %12.3lf\n", name, p->x, p->y, p->z));
            }
            report.WriteBytes(FormatString(areaFormat.c_str(), area));
        }
        sum += area;
    });
    if (!marked) {
        ReportNoMemory();
        report.Finish();
        return -1;
    }
    *total = sum;
    report.WriteBytes(std::string(88, '-') + "\n");
    report.Write(FormatString(closeFormat.c_str(), sum));
    return report.Finish() ? 0 : -2;
}

std::string FormatTinAreaResult(int32_t surface, int32_t decimals, double total) {
    const std::string format = FormatString(surface ? "表面積[%%.%dlf]" : "水平面積[%%.%dlf]", decimals);
    return FormatString(format.c_str(), total);
}

void RunTinAreaCommand(int32_t surface, const std::function<bool(AreaDigitsValues&)>& askDigits) {
    if (IsProgressWindowOpen()) return;
    std::string path;
    if (ShowMessage("計算リストファイルを作成しますか", "", msg::kYesNo | msg::kIconQuestion) == msg::kIdYes) {
        FileDialogRequest request;
        request.save = true;
        request.title = surface ? "表面積計算リストファイル名設定" : "水平面積計算リストファイル名設定";
        request.filter = "テキストファイル (*.TXT)|*.TXT| すべてのファイル|*.*|";
        request.defaultExtension = "TXT";
        request.folder = g_workFolder;
        path = RunFileDialog(request);
        if (path.empty()) return;
        g_lastFolder = FolderOfPath(path);
    }
    AreaDigitsValues values;
    if (!askDigits(values) || values.decimals == 0) return;
    if (!OpenProgressWindow(surface ? progress::kSurfaceArea : progress::kHorizontalArea,
                            surface ? "表面積計算中" : "水平面積計算中"))
        return;
    double total = 0;
    const int32_t result = CalcTinArea(values.holesOnly, values.decimals, surface, path.empty() ? 0 : 1, path, &total);
    CloseProgressWindow();
    if (result == -1) return;
    (surface ? g_tinSurfaceArea : g_tinHorizontalArea) = total;
    ShowMessage(FormatTinAreaResult(surface, values.decimals, total), surface ? "表面積計算終了" : "水平面積計算終了",
                msg::kOk | msg::kIconInformation);
}

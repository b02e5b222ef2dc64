#pragma once
// The command file of the trace program: the contour lines of the work file in paper
// units of 0.1 mm, index and normal contours on their own layers, the two base points
// marked and named. Text, CP932, CR LF.
#include <cstdint>
#include <string>

extern int32_t g_plotterScale;            // scale denominator (1/500)
extern double g_plotterLineTolerance;     // straight-line tolerance, degrees
extern int32_t g_plotterPaper;            // paper code 0..6
extern std::string g_plotterFilePath;     // output file

struct PlotterPaper {
    const char* name;
    double shortSide;  // 0.1 mm
    double longSide;
};
constexpr int32_t kPlotterPaperCount = 7;
// Codes 0..6: A0, A1, A2, A3, A4, B4, AK. An unknown code is taken as A0.
const PlotterPaper& PlotterPaperSize(int32_t code);

// Whether a contour level is an index contour of the interval (absolute level).
bool IsIndexContourLevel(double level, double indexInterval);

// The value "%.1lf" writes, read back: what the file states, so the writer's comparisons
// are made on it. Exactly printf's rounding, without printf for all but near-ties.
double RoundToTenths(double value);
// Writes a value returned by RoundToTenths as "%.1lf" would (no NUL); returns the end.
char* AppendTenths(char* out, double tenthsValue);

struct PlotterBasePoint {
    std::string name;  // CP932 bytes
    double x = 0;
    double y = 0;
};

// 0 when written; -1 when the contour file cannot be read, the output cannot be made or
// a write fails (a partial file is removed). A contour line cut short ends the file there.
int WritePlotterCommandFile(const std::string& contourPath, const std::string& outputPath,
                            double minX, double minY, double scale, int32_t paper,
                            double indexInterval, double lineTolerance,
                            const PlotterBasePoint& first, const PlotterBasePoint& second);

// The smallest X and Y of the valid points inside the outline; false when there is none.
bool PlotterDataMinimum(double* minX, double* minY);

// Dialog 186: the values it edits, as shown and as read back.
struct PlotterFileDialogValues {
    int32_t scale = 500;
    double tolerance = 1.0;
    int32_t paper = 0;
    std::string path;
};
// The values when the dialog opens: the path is the data file's with ".txt", the paper A0.
PlotterFileDialogValues OpenPlotterFileDialog();
// Texts of the edits: " %5d" and " %8.3f" on opening, "%8.3f" after an edit.
std::string FormatPlotterScale(int32_t scale);
std::string FormatPlotterTolerance(double tolerance, bool opening);
// A typed scale or tolerance: a value of 0 or less (or no number) keeps the old one.
int32_t ParsePlotterScale(const std::string& text, int32_t old);
double ParsePlotterTolerance(const std::string& text, double old);

// 出力開始: asks before replacing a file (false: back to the dialog), then writes under
// the progress window and says when it failed. True when the dialog ends.
bool StartPlotterFileOutput(const PlotterFileDialogValues& values, const PlotterBasePoint& first,
                            const PlotterBasePoint& second);

#pragma once
// Small surveyed grids written as RND files, for tests that open them as the user does.
#include <cstdio>
#include <filesystem>
#include <functional>
#include <vector>

struct GridExtraPoint {
    int number;
    double x, y, z;
};

// rows x cols points 10 m apart: point cols * r + c + 1, named "A<n>", at north
// 1000 + 10r, east 2000 + 10c and height z(r, c); the extra records follow them.
inline std::filesystem::path WriteGridSurvey(const std::filesystem::path& path, int rows, int cols,
                                             const std::function<double(int, int)>& z,
                                             const std::vector<GridExtraPoint>& extra = {}) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    for (int k = 0; k < 5; ++k) std::fputs("********************\r\n", f);
    auto record = [f](int n, double x, double y, double h) {
        std::fprintf(f, "A%-9d%14.4f  %14.4f  %10.3f  %1d  %1d  %1d\r\n", n, x, y, h, 0, 0, 0);
    };
    int n = 0;
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c) record(++n, 1000.0 + 10 * r, 2000.0 + 10 * c, z(r, c));
    for (const GridExtraPoint& p : extra) record(p.number, p.x, p.y, p.z);
    std::fclose(f);
    return path;
}

#pragma once
// The triangle walk and the report file shared by the datum volume and the TIN areas.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/text_io.h"

struct RandomPoint;

// Calls visit(p1, p2, p3) for each triangle of the TIN once: the search-side triangle of
// each record BuildTinAdjacency marks, skipped when holesOnly is set and no vertex number
// is <= 0. Records naming no point are passed over. False when the marks could not be made.
bool ForEachTinTriangle(int32_t holesOnly,
                        const std::function<void(const RandomPoint&, const RandomPoint&,
                                                 const RandomPoint&)>& visit);

// A report in the program's text form: "\n" becomes CR LF, UTF-8 becomes CP932.
class TinReport {
public:
    // Opens the file when wanted; a file that cannot be made is told at once.
    TinReport(bool wanted, const std::string& path);
    bool IsOpen() const { return m_file.IsOpen(); }
    // Text in UTF-8 with "\n" line ends (bytes of point names pass as they are).
    void Write(std::string_view utf8);
    void WriteBytes(std::string_view cp932);
    // Closes; false (told, the file removed) when a write failed. True without a file
    // when none was wanted.
    bool Finish();

private:
    bool m_wanted;
    bool m_createFailed = false;
    TextFileWriter m_file;
};

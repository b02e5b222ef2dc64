#include "route/route_files_command.h"

#include "model/file_report.h"
#include "platform/text_io.h"
#include "route/alg_file.h"
#include "route/route_data.h"
#include "route/station_files.h"
#include "route/yso_file.h"
#include "view/display_flags.h"

namespace fs = std::filesystem;

void ReadRouteDocument(const fs::path& algPath) {
    if (ReadAlgFile(algPath) != 0) {
        ReportCannotOpen(algPath);
        return;
    }
    g_showIpNames = -1;
    if (ReadRsnFile(algPath) == 0) g_showRoute = -1;
    ReadYsoFile(algPath);
}

bool WriteRouteDocument(const fs::path& algPath, const RutSectionSource* sections) {
    TextFileWriter archive;
    if (!archive.Open(algPath)) {
        ReportCannotCreate(algPath);
        return false;
    }
    const int32_t algResult = WriteAlgArchive(archive);
    if (!archive.Close()) {
        // The companions would describe a route that is not on the disk.
        ReportWriteFailed(algPath);
        RemovePartialFile(algPath);
        return false;
    }
    bool written = true;
    if (algResult != 0 && WriteYsoFile(algPath) == 0) written = false;
    if (WriteRsnFile(algPath) == 0) written = false;
    if (WriteRutFile(algPath, sections) != 0) written = false;
    return written;
}

void LoadOtherRoute(const fs::path& path) {
    const bool stations = ReadOtherRouteRsn(path) == 0;
    const bool ips = ReadOtherRouteAlg(path) == 0;
    if (stations || ips)
        g_showOtherRoutes = 1;
    else
        ReportCannotOpen(path);
}

void EraseOtherRoutes() {
    GrowOtherRouteStationBlock(0);
    g_otherRouteStationCount = 0;
    g_otherRouteStationCapacity = 0;
    g_otherRouteIpCount = 0;
}

#include "model/file_report.h"

#include <string>
#include <system_error>

#include "platform/message_box.h"
#include "platform/text_io.h"

namespace {
void Report(const char* text, const std::filesystem::path& path) {
    ShowMessage(std::string(text) + "\n" + path.string(), "", msg::kOk | msg::kIconError);
}
}  // namespace

void ReportCannotOpen(const std::filesystem::path& path) { Report("ファイルが開けません。", path); }

void ReportCannotCreate(const std::filesystem::path& path) {
    Report("ファイルが作成できませんでした。", path);
}

void ReportWriteFailed(const std::filesystem::path& path) {
    Report("ファイル書き込みができません。", path);
}

void ReportDamagedFile(const std::filesystem::path& path) {
    Report("ファイルが壊れているため読み込めません。", path);
}

void ReportNoMemory() {
    ShowMessage("メモリ不足で実行できません。", "", msg::kOk | msg::kIconError);
}

void RemovePartialFile(const std::filesystem::path& path) {
    std::error_code ec;
    if (std::filesystem::is_regular_file(std::filesystem::symlink_status(path, ec)))
        std::filesystem::remove(path, ec);
}

bool WriteWholeFileOrReport(const std::filesystem::path& path, std::string_view bytes) {
    if (WriteFileBytes(path, bytes)) return true;
    RemovePartialFile(path);
    ReportWriteFailed(path);
    return false;
}

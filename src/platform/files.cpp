#include "platform/files.h"

#include <cctype>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

bool EqualsNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

fs::path FindFileNoCase(const fs::path& wanted) {
    std::error_code ec;
    if (fs::is_regular_file(wanted, ec)) return wanted;
    fs::path folder = wanted.parent_path();
    if (folder.empty()) folder = ".";
    const std::string name = wanted.filename().string();
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (EqualsNoCase(it->path().filename().string(), name) && it->is_regular_file(ec))
            return wanted.parent_path() / it->path().filename();
    }
    return {};
}

fs::path WithExtension(const fs::path& path, const std::string& extension) {
    fs::path p = path;
    p.replace_extension(extension);
    return p;
}

bool RemoveCompanion(const fs::path& document, const std::string& extension) {
    std::error_code ec;
    for (int guard = 0; guard < 64; ++guard) {
        fs::path found = FindCompanion(document, extension);
        if (found.empty()) return true;
        if (!fs::remove(found, ec)) return false;
    }
    return false;
}

void RemoveOtherCaseVariants(const fs::path& path) {
    std::error_code ec;
    fs::path folder = path.parent_path();
    if (folder.empty()) folder = ".";
    const std::string name = path.filename().string();
    std::vector<fs::path> variants;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string other = it->path().filename().string();
        if (other != name && EqualsNoCase(other, name)) variants.push_back(it->path());
    }
    for (const fs::path& v : variants) fs::remove(v, ec);
}

#include "platform/files.h"

#include <algorithm>
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

namespace {
std::string Upper(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

// The files FindCompanion may take, best first: the document's own base name byte for
// byte, the extension in any case. A base name in another case may belong to another
// document (one that is there, or was, or will be saved there), so it is never taken.
std::vector<fs::path> CompanionCandidates(const fs::path& document, const std::string& extension) {
    const fs::path folder = document.parent_path();
    const fs::path listed = folder.empty() ? fs::path(".") : folder;
    const std::string stem = document.stem().string();

    std::vector<std::string> found;
    std::error_code ec;
    for (fs::directory_iterator it(listed, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        if (!it->is_regular_file(typeError)) continue;
        const fs::path name = it->path().filename();
        if (name.stem().string() == stem && EqualsNoCase(name.extension().string(), extension))
            found.push_back(name.string());
    }
    // The extension in capitals, as companions are written, first.
    const std::string capitals = Upper(extension);
    std::sort(found.begin(), found.end(), [&](const std::string& a, const std::string& b) {
        const bool ca = fs::path(a).extension().string() == capitals;
        const bool cb = fs::path(b).extension().string() == capitals;
        return ca != cb ? ca : a < b;
    });
    std::vector<fs::path> paths;
    for (const std::string& n : found) paths.push_back(folder / n);
    return paths;
}
}  // namespace

fs::path FindCompanion(const fs::path& document, const std::string& extension) {
    const std::vector<fs::path> candidates = CompanionCandidates(document, extension);
    return candidates.empty() ? fs::path() : candidates.front();
}

bool RemoveCompanion(const fs::path& document, const std::string& extension) {
    bool removed = true;
    for (const fs::path& p : CompanionCandidates(document, extension)) {
        std::error_code ec;
        if (!fs::remove(p, ec)) removed = false;
    }
    return removed;
}

void RemoveStaleCompanions(const fs::path& document, const fs::path& written) {
    for (const fs::path& p : CompanionCandidates(document, written.extension().string())) {
        if (p.filename() == written.filename()) continue;
        std::error_code ec;
        fs::remove(p, ec);
    }
}

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

// The files FindCompanion may take, best first.
std::vector<fs::path> CompanionCandidates(const fs::path& document, const std::string& extension) {
    fs::path folder = document.parent_path();
    const fs::path listed = folder.empty() ? fs::path(".") : folder;
    const std::string stem = document.stem().string();
    const std::string documentExtension = document.extension().string();
    const std::string wanted = stem + extension;

    std::vector<std::string> names;  // regular files of the folder
    std::error_code ec;
    for (fs::directory_iterator it(listed, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        if (it->is_regular_file(typeError)) names.push_back(it->path().filename().string());
    }

    // Another document owns a base name when a file of that exact base name carries the
    // document's extension (in any case).
    auto ownedByAnother = [&](const std::string& otherStem) {
        for (const std::string& n : names) {
            const fs::path p(n);
            if (p.stem().string() == otherStem &&
                EqualsNoCase(p.extension().string(), documentExtension))
                return true;
        }
        return false;
    };
    auto rank = [&](const std::string& name) {
        const fs::path p(name);
        if (p.stem().string() != stem) return 2;
        return p.extension().string() == Upper(extension) ? 0 : 1;
    };

    std::vector<std::string> found;
    for (const std::string& n : names) {
        if (!EqualsNoCase(n, wanted)) continue;
        if (fs::path(n).stem().string() != stem && ownedByAnother(fs::path(n).stem().string()))
            continue;
        found.push_back(n);
    }
    std::sort(found.begin(), found.end(), [&](const std::string& a, const std::string& b) {
        const int ra = rank(a), rb = rank(b);
        return ra != rb ? ra < rb : a < b;
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

namespace {
// A file goes only when its base name is the document's own, byte for byte: a name in
// another case may belong to a document that is not (or no longer) beside it.
bool SameBase(const fs::path& candidate, const fs::path& document) {
    return candidate.stem().string() == document.stem().string();
}
}  // namespace

bool RemoveCompanion(const fs::path& document, const std::string& extension) {
    bool removed = true;
    for (const fs::path& p : CompanionCandidates(document, extension)) {
        if (!SameBase(p, document)) continue;
        std::error_code ec;
        if (!fs::remove(p, ec)) removed = false;
    }
    return removed;
}

void RemoveStaleCompanions(const fs::path& document, const fs::path& written) {
    for (const fs::path& p : CompanionCandidates(document, written.extension().string())) {
        if (p.filename() == written.filename() || !SameBase(p, document)) continue;
        std::error_code ec;
        fs::remove(p, ec);
    }
}

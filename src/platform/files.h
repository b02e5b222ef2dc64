#pragma once
// File lookups that ignore the case of names, as companion files are found.
#include <filesystem>
#include <string>

// The existing file whose name equals `wanted`'s without regard to ASCII case, in
// `wanted`'s folder; the exact name wins when present. Empty path when none exists.
std::filesystem::path FindFileNoCase(const std::filesystem::path& wanted);

// `path` with its extension replaced (extension given with its dot, e.g. ".TRI").
std::filesystem::path WithExtension(const std::filesystem::path& path, const std::string& extension);

// The companion of `document` with `extension`, found without regard to case.
inline std::filesystem::path FindCompanion(const std::filesystem::path& document, const std::string& extension) {
    return FindFileNoCase(WithExtension(document, extension));
}

// Removes the companion with `extension` in whatever case it has; true when none remains.
bool RemoveCompanion(const std::filesystem::path& document, const std::string& extension);

// Removes the files in `path`'s folder whose names differ from its name only in case,
// so that a file just written is the one a case-blind lookup finds.
void RemoveOtherCaseVariants(const std::filesystem::path& path);

bool EqualsNoCase(const std::string& a, const std::string& b);

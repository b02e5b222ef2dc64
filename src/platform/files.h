#pragma once
// File lookups that ignore the case of names, as companion files are found.
#include <filesystem>
#include <string>

// The existing file whose name equals `wanted`'s without regard to ASCII case, in
// `wanted`'s folder; the exact name wins when present. Empty path when none exists.
std::filesystem::path FindFileNoCase(const std::filesystem::path& wanted);

// `path` with its extension replaced (extension given with its dot, e.g. ".TRI").
std::filesystem::path WithExtension(const std::filesystem::path& path, const std::string& extension);

// The companion of `document` with `extension`: a file of the document's own base name,
// byte for byte, with the extension in any case (in capitals, as companions are written,
// first). A base name in another case is another document's and is never taken.
std::filesystem::path FindCompanion(const std::filesystem::path& document, const std::string& extension);

// Removes every file FindCompanion could take for this companion, and only those: files
// named in another case stay. True when none remains.
bool RemoveCompanion(const std::filesystem::path& document, const std::string& extension);

// The same, but keeps the companion named exactly as `written` (just saved), so that an
// older copy in another case cannot be read in its place later.
void RemoveStaleCompanions(const std::filesystem::path& document, const std::filesystem::path& written);

bool EqualsNoCase(const std::string& a, const std::string& b);

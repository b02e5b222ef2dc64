#pragma once
// Opening a file with the program the desktop associates with it (xdg-open). The
// program may install another opener; tests install one that records the request.
#include <filesystem>
#include <functional>

// Starts the opener for `file` with `folder` as its working folder; false when it could
// not be started.
bool OpenWithDesktop(const std::filesystem::path& file, const std::filesystem::path& folder);

using DesktopOpener =
    std::function<bool(const std::filesystem::path& file, const std::filesystem::path& folder)>;
// An empty opener restores xdg-open.
void SetDesktopOpener(DesktopOpener opener);

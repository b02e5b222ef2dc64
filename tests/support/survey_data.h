#pragma once
// The real surveys kept in the project's data/ folder, found from any working folder.
#include <filesystem>
#include <string>

inline std::filesystem::path SurveyFile(const std::string& name) {
    return std::filesystem::path(NOSTREL_SOURCE_DIR) / "data/jacksboro" / name;
}

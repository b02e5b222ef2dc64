#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/text_io.h"

namespace {
std::vector<std::string> ReadAll(const std::string& bytes, bool* error = nullptr) {
    std::FILE* f = std::tmpfile();
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::rewind(f);
    TextLineReader reader(f);
    std::vector<std::string> lines;
    std::string_view line;
    while (reader.Next(line)) lines.emplace_back(line);
    if (error) *error = reader.Error();
    std::fclose(f);
    return lines;
}
}  // namespace

// Lines come out whole wherever the reader's blocks happen to cut them.
TEST(TextLineReader, LinesSurviveBlockBoundaries) {
    constexpr size_t kBlock = 1 << 16;
    struct Case {
        const char* what;
        std::vector<std::string> lines;
        std::string end;
    };
    const Case cases[] = {
        {"CR LF across the boundary", {std::string(kBlock - 1, 'a'), "b"}, "\r\n"},
        {"LF only", {std::string(kBlock - 1, 'a'), "", "c"}, "\n"},
        {"line longer than two blocks", {"x", std::string(3 * kBlock + 5, 'y'), "z"}, "\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string bytes;
        for (const std::string& l : c.lines) bytes += l + c.end;
        EXPECT_EQ(ReadAll(bytes), c.lines);
    }
    // A last line without an end, with or without a CR.
    EXPECT_EQ(ReadAll("a\r\nlast"), (std::vector<std::string>{"a", "last"}));
    EXPECT_EQ(ReadAll("a\r\nlast\r"), (std::vector<std::string>{"a", "last"}));
    EXPECT_TRUE(ReadAll("").empty());
}

TEST(Files, OtherCaseVariantsAreRemoved) {
    namespace fs = std::filesystem;
    const fs::path dir =
        fs::temp_directory_path() / ("nostrel_variants_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    for (const char* name : {"a.TRI", "a.tri", "A.Tri", "b.tri"}) WriteFileBytes(dir / name, "x");
    RemoveOtherCaseVariants(dir / "a.TRI");
    EXPECT_TRUE(fs::exists(dir / "a.TRI"));
    EXPECT_FALSE(fs::exists(dir / "a.tri"));
    EXPECT_FALSE(fs::exists(dir / "A.Tri"));
    EXPECT_TRUE(fs::exists(dir / "b.tri"));
    fs::remove_all(dir);
}

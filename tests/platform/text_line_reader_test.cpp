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

// A save removes the stale copies of its own companion in another case, and no file whose
// base name differs in case, whether a document of that name lies beside it or not.
TEST(Files, StaleCompanionsGoAndOtherDocumentsStay) {
    namespace fs = std::filesystem;
    const fs::path dir =
        fs::temp_directory_path() / ("nostrel_variants_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    for (const char* name : {"a.rnd", "a.TRI", "a.tri", "A.Tri", "b.tri", "SITE.RND", "SITE.TRI",
                             "site.rnd", "Site.bnd"})
        WriteFileBytes(dir / name, "x");
    RemoveStaleCompanions(dir / "a.rnd", dir / "a.TRI");
    RemoveStaleCompanions(dir / "site.rnd", dir / "site.TRI");
    for (const char* kept : {"a.rnd", "a.TRI", "b.tri", "SITE.RND", "SITE.TRI", "site.rnd"})
        EXPECT_TRUE(fs::exists(dir / kept)) << kept;
    EXPECT_FALSE(fs::exists(dir / "a.tri"));
    EXPECT_TRUE(fs::exists(dir / "A.Tri"));  // no document "A" lies beside it, yet

    // site.rnd takes nothing named in another case: neither SITE.RND's files nor Site.bnd.
    EXPECT_TRUE(FindCompanion(dir / "site.rnd", ".tri").empty());
    EXPECT_TRUE(FindCompanion(dir / "site.rnd", ".bnd").empty());
    EXPECT_EQ(FindCompanion(dir / "SITE.RND", ".tri").filename(), "SITE.TRI");
    EXPECT_TRUE(RemoveCompanion(dir / "site.rnd", ".TRI"));
    EXPECT_TRUE(RemoveCompanion(dir / "site.rnd", ".BND"));
    EXPECT_TRUE(fs::exists(dir / "SITE.TRI"));
    EXPECT_TRUE(fs::exists(dir / "Site.bnd"));
    fs::remove_all(dir);
}

// Of several spellings of its own companion, the one in capitals (as written) is read.
TEST(Files, CompanionInCapitalsWinsOverOlderSpellings) {
    namespace fs = std::filesystem;
    const fs::path dir =
        fs::temp_directory_path() / ("nostrel_spellings_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    for (const char* name : {"d.ct1", "d.Ct1", "d.CT1", "D.CT1"}) WriteFileBytes(dir / name, name);
    EXPECT_EQ(FindCompanion(dir / "d.RND", ".ct1").filename(), "d.CT1");
    fs::remove(dir / "d.CT1");
    EXPECT_EQ(FindCompanion(dir / "d.RND", ".ct1").filename(), "d.Ct1");  // same base first
    fs::remove_all(dir);
}

// A CR alone ends a line too (files of old Macintosh programs), in both readers.
TEST(TextLineReader, CarriageReturnAloneEndsALine) {
    constexpr size_t kBlock = 1 << 16;
    const std::string cut(kBlock - 1, 'a');  // the CR lands on the last byte of a block
    struct Case {
        const char* what;
        std::string bytes;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"CR only", "one\rtwo\r\rfour\r", {"one", "two", "", "four"}},
        {"mixed ends", "a\r\nb\nc\rd", {"a", "b", "c", "d"}},
        {"CR LF cut by a block", cut + "\r\nz\r\n", {cut, "z"}},
        {"CR alone at a block end", cut + "\ry", {cut, "y"}},
        {"CR at the very end", cut + "\r", {cut}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(ReadAll(c.bytes), c.lines);
        std::FILE* f = std::tmpfile();
        std::fwrite(c.bytes.data(), 1, c.bytes.size(), f);
        std::rewind(f);
        std::vector<std::string> lines;
        std::string line;
        while (ReadTextLine(f, line)) lines.push_back(line);
        std::fclose(f);
        EXPECT_EQ(lines, c.lines);
    }
}

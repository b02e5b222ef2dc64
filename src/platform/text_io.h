#pragma once
// Text files: written with CR LF line ends, every write checked; read line by line
// accepting CR LF, LF, a CR alone and a last line without an end.
#include <cstdarg>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

class TextFileWriter {
public:
    TextFileWriter() = default;
    explicit TextFileWriter(const std::filesystem::path& path, bool append = false) { Open(path, append); }
    ~TextFileWriter();
    TextFileWriter(const TextFileWriter&) = delete;
    TextFileWriter& operator=(const TextFileWriter&) = delete;

    bool Open(const std::filesystem::path& path, bool append = false);
    bool IsOpen() const { return m_file != nullptr; }
    // Writes the text and CR LF.
    void WriteLine(std::string_view text);
    // printf into one line (CR LF is added).
    void PrintLine(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // Bytes as they are, no line end.
    void WriteRaw(std::string_view bytes);
    // Pushes buffered bytes to the file; true when every write so far succeeded.
    bool Flush();
    // Closes; true when the file was opened and every write and the close succeeded.
    bool Close();
    bool Failed() const { return m_failed; }
    // The path given to Open.
    const std::filesystem::path& Path() const { return m_path; }

private:
    std::filesystem::path m_path;
    std::FILE* m_file = nullptr;
    bool m_failed = false;
};

// Reads the next line without its end (CR LF, LF or CR). False at the end of the file.
bool ReadTextLine(std::FILE* file, std::string& line);

// Reads a stream in large blocks and hands out whole lines without their end (CR LF, LF
// or CR), however long they are. For big files where a character-wise read is too slow.
class TextLineReader {
public:
    explicit TextLineReader(std::FILE* file) : m_file(file) {}
    // The next line; valid until the next call. False at the end of the file or on a
    // read error (then Error() tells).
    bool Next(std::string_view& line);
    bool Error() const { return m_error; }

private:
    bool Fill();
    std::FILE* m_file;
    std::string m_buffer;
    size_t m_pos = 0;
    size_t m_nextLf = 0;  // the next LF at or after m_pos, or the buffer's end
    bool m_eof = false;
    bool m_error = false;
};

// Whole file into `bytes`; false when it cannot be read.
bool ReadFileBytes(const std::filesystem::path& path, std::string& bytes);
// Writes `bytes` as the whole file, checked; false on any failure.
bool WriteFileBytes(const std::filesystem::path& path, std::string_view bytes);

// printf into a std::string.
std::string FormatStringV(const char* format, va_list args);
std::string FormatString(const char* format, ...) __attribute__((format(printf, 1, 2)));

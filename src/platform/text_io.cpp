#include "platform/text_io.h"

#include <sys/stat.h>

#include <cstdarg>
#include <cstring>
#include <vector>

TextFileWriter::~TextFileWriter() {
    if (m_file) std::fclose(m_file);
}

bool TextFileWriter::Open(const std::filesystem::path& path, bool append) {
    if (m_file) Close();
    m_failed = false;
    m_path = path;
    m_file = std::fopen(path.c_str(), append ? "ab" : "wb");
    if (!m_file) m_failed = true;
    return m_file != nullptr;
}

void TextFileWriter::WriteRaw(std::string_view bytes) {
    if (!m_file) {
        m_failed = true;
        return;
    }
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), m_file) != bytes.size())
        m_failed = true;
}

void TextFileWriter::WriteLine(std::string_view text) {
    WriteRaw(text);
    WriteRaw("\r\n");
}

void TextFileWriter::PrintLine(const char* format, ...) {
    va_list args;
    va_start(args, format);
    const std::string text = FormatStringV(format, args);
    va_end(args);
    WriteLine(text);
}

bool TextFileWriter::Flush() {
    if (!m_file) return false;
    if (std::fflush(m_file) != 0 || std::ferror(m_file)) m_failed = true;
    return !m_failed;
}

bool TextFileWriter::Close() {
    if (!m_file) return false;
    if (std::fflush(m_file) != 0 || std::ferror(m_file)) m_failed = true;
    if (std::fclose(m_file) != 0) m_failed = true;
    m_file = nullptr;
    return !m_failed;
}

bool ReadTextLine(std::FILE* file, std::string& line) {
    line.clear();
    int c;
    bool any = false;
    while ((c = std::getc(file)) != EOF) {
        any = true;
        if (c == '\n') break;
        if (c == '\r') {
            // CR LF, or a CR alone as the line end of old Macintosh files.
            const int next = std::getc(file);
            if (next != '\n' && next != EOF) std::ungetc(next, file);
            break;
        }
        line.push_back(static_cast<char>(c));
    }
    return any;
}

bool TextLineReader::Fill() {
    if (m_eof || m_error || !m_file) return false;
    m_buffer.erase(0, m_pos);
    m_pos = 0;
    const size_t old = m_buffer.size();
    constexpr size_t kBlock = 1 << 16;
    m_buffer.resize(old + kBlock);
    const size_t n = std::fread(m_buffer.data() + old, 1, kBlock, m_file);
    m_buffer.resize(old + n);
    if (n < kBlock) {
        if (std::ferror(m_file)) m_error = true;
        m_eof = true;
    }
    return n > 0;
}

bool TextLineReader::Next(std::string_view& line) {
    for (;;) {
        const char* data = m_buffer.data();
        const size_t size = m_buffer.size();
        // The next LF, remembered between lines: a file of CR ends has none to find.
        if (m_nextLf < m_pos) m_nextLf = m_pos;
        if (m_nextLf < size && data[m_nextLf] != '\n') {
            const void* lf = std::memchr(data + m_nextLf, '\n', size - m_nextLf);
            m_nextLf = lf ? static_cast<const char*>(lf) - data : size;
        }
        const void* cr = std::memchr(data + m_pos, '\r', m_nextLf - m_pos);
        const size_t end = cr ? static_cast<const char*>(cr) - data : m_nextLf;
        // A CR at the end of the buffer may be the first half of a CR LF.
        const bool undecided = end + 1 == size && data[end] == '\r' && !m_eof;
        if (end < size && !undecided) {
            line = std::string_view(data + m_pos, end - m_pos);
            m_pos = end + 1;
            if (data[end] == '\r' && m_pos < size && data[m_pos] == '\n') ++m_pos;
            return true;
        }
        const size_t before = m_pos;
        const bool filled = Fill();
        m_nextLf -= before - m_pos;  // Fill moves the unread part to 0
        if (!filled && !(undecided && m_eof && !m_error)) break;
    }
    if (m_error || m_pos >= m_buffer.size()) return false;
    // A last line without an end.
    line = std::string_view(m_buffer.data() + m_pos, m_buffer.size() - m_pos);
    m_pos = m_buffer.size();
    return true;
}

bool ReadFileBytes(const std::filesystem::path& path, std::string& bytes) {
    bytes.clear();
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    // One allocation for a regular file instead of a copy at every doubling.
    struct stat info;
    if (::fstat(::fileno(f), &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0)
        bytes.reserve(static_cast<size_t>(info.st_size));
    char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.append(buf, n);
    const bool ok = !std::ferror(f);
    std::fclose(f);
    return ok;
}

bool WriteFileBytes(const std::filesystem::path& path, std::string_view bytes) {
    TextFileWriter w(path);
    w.WriteRaw(bytes);
    return w.Close();
}

std::string FormatStringV(const char* format, va_list args) {
    va_list copy;
    va_copy(copy, args);
    const int n = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string text(n > 0 ? n : 0, '\0');
    if (n > 0) std::vsnprintf(text.data(), n + 1, format, args);
    return text;
}

std::string FormatString(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string text = FormatStringV(format, args);
    va_end(args);
    return text;
}

#include "platform/text_io.h"

#include <cstdarg>
#include <vector>

TextFileWriter::~TextFileWriter() {
    if (m_file) std::fclose(m_file);
}

bool TextFileWriter::Open(const std::filesystem::path& path, bool append) {
    if (m_file) Close();
    m_failed = false;
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
    va_list copy;
    va_copy(copy, args);
    const int n = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string text(n > 0 ? n : 0, '\0');
    if (n > 0) std::vsnprintf(text.data(), n + 1, format, args);
    va_end(args);
    WriteLine(text);
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
        line.push_back(static_cast<char>(c));
    }
    if (!any) return false;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return true;
}

bool ReadFileBytes(const std::filesystem::path& path, std::string& bytes) {
    bytes.clear();
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
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

std::string FormatString(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int n = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string text(n > 0 ? n : 0, '\0');
    if (n > 0) std::vsnprintf(text.data(), n + 1, format, args);
    va_end(args);
    return text;
}

#pragma once
// A forward-only XML reader for the survey exchange files. Elements arrive in document
// order; the reader decodes the declared encoding (Shift_JIS included), never touches
// the network, loads no DTD and refuses entity declarations and references, so a hostile
// file cannot make it fetch or expand anything. Memory stays bounded whatever the file:
// the text an element holds for EndElement is capped, and elements whose text can be
// very long (a grid's tuple list, a long coordinate list) receive it in pieces.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

struct XmlAttribute {
    std::string_view name;   // as written, prefix included
    std::string_view value;  // decoded to UTF-8
};

class XmlStreamHandler {
public:
    virtual ~XmlStreamHandler() = default;
    // Qualified name as written in the file (prefix included).
    virtual void StartElement(std::string_view name) { (void)name; }
    // Each attribute of the element just started, qualified name as written.
    virtual void Attribute(std::string_view element, std::string_view name,
                           std::string_view value) {
        (void)element;
        (void)name;
        (void)value;
    }
    // The same attributes all at once, in the order written, for handlers that read an
    // element's attributes together (WantsAttributes true).
    virtual bool WantsAttributes() const { return false; }
    virtual void Attributes(std::string_view element, const std::vector<XmlAttribute>& attributes) {
        (void)element;
        (void)attributes;
    }
    // True: the element's text goes to TextPiece as it is read, and EndElement gets none.
    virtual bool StreamsText(std::string_view name) const {
        (void)name;
        return false;
    }
    virtual void TextPiece(std::string_view piece) { (void)piece; }
    // The element's own text at its end (text and CDATA joined; dropped once a child
    // element starts, as none of the formats mixes text and elements).
    virtual void EndElement(std::string_view name, std::string_view text) {
        (void)name;
        (void)text;
    }
    // True stops the reading early (ReadXmlStream then reports success).
    virtual bool Done() const { return false; }
};

struct XmlStreamError {
    std::string message;  // UTF-8, without file name
    int32_t line = 0;     // 0 when not known
};

// Most text one element holds for EndElement; a longer one makes the file malformed.
constexpr size_t kXmlMaxHeldText = 16u << 20;

// Reads the file through the handler. False on a missing file or malformed XML,
// with the reason in `error`.
bool ReadXmlStream(const std::filesystem::path& path, XmlStreamHandler& handler,
                   XmlStreamError* error = nullptr);
// The same for bytes in memory.
bool ReadXmlStreamMemory(std::string_view bytes, XmlStreamHandler& handler,
                         XmlStreamError* error = nullptr);

// "name: line N: reason" for messages.
std::string FormatXmlStreamError(const std::filesystem::path& path, const XmlStreamError& error);

// The leading number of an element's text after blanks, as atof reads it; 0 when there
// is none or it is not finite.
double XmlLeadingNumber(std::string_view text);

// Splits text that arrives in pieces into lines (LF, CR LF or CR), the last one given at
// Finish. Bounded: a line longer than `limit` is cut there (its rest is dropped).
class XmlLineSplitter {
public:
    explicit XmlLineSplitter(size_t limit = 4096) : m_limit(limit) {}
    template <class F>
    void Feed(std::string_view piece, F&& onLine) {
        for (char ch : piece) {
            if (ch == '\n' || ch == '\r') {
                onLine(std::string_view(m_line));
                m_line.clear();
            } else if (m_line.size() < m_limit) {
                m_line += ch;
            }
        }
    }
    template <class F>
    void Finish(F&& onLine) {
        if (!m_line.empty()) onLine(std::string_view(m_line));
        m_line.clear();
    }

private:
    size_t m_limit;
    std::string m_line;
};

#pragma once
// A forward-only XML reader for the survey exchange files. Elements arrive in document
// order; the reader decodes the declared encoding (Shift_JIS included), never touches
// the network, loads no DTD and refuses entity references, so a hostile file cannot
// make it fetch or expand anything. Text nodes are bounded by the parser's own limit.
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
    // Right after StartElement, when the handler wants attributes at all: the element's
    // attributes in the order written (namespace declarations left out).
    virtual bool WantsAttributes() const { return false; }
    virtual void Attributes(std::string_view name, const std::vector<XmlAttribute>& attributes) {
        (void)name;
        (void)attributes;
    }
    // The element's own text (text and CDATA children joined), given at its end.
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

// Reads the file through the handler. False on a missing file or malformed XML,
// with the reason in `error`.
bool ReadXmlStream(const std::filesystem::path& path, XmlStreamHandler& handler,
                   XmlStreamError* error = nullptr);
// The same for bytes in memory.
bool ReadXmlStreamMemory(std::string_view bytes, XmlStreamHandler& handler,
                         XmlStreamError* error = nullptr);

// "name: line N: reason" for messages.
std::string FormatXmlStreamError(const std::filesystem::path& path, const XmlStreamError& error);

#include "exchange/xml_stream.h"

#include <libxml/xmlreader.h>

#include <memory>
#include <vector>

namespace {

struct ErrorSink {
    XmlStreamError first;
    bool seen = false;
};

void OnStructuredError(void* ctx, const xmlError* e) {
    auto* sink = static_cast<ErrorSink*>(ctx);
    if (sink->seen || !e || e->level < XML_ERR_ERROR) return;
    sink->seen = true;
    sink->first.line = e->line;
    std::string m = e->message ? e->message : "malformed XML";
    while (!m.empty() && (m.back() == '\n' || m.back() == '\r')) m.pop_back();
    sink->first.message = m;
}

// Neither entity substitution nor DTD loading nor network access.
constexpr int kOptions = XML_PARSE_NONET | XML_PARSE_NOCDATA;

bool Run(xmlTextReaderPtr reader, XmlStreamHandler& handler, XmlStreamError* error) {
    if (!reader) {
        if (error) *error = {"cannot be opened", 0};
        return false;
    }
    std::unique_ptr<xmlTextReader, void (*)(xmlTextReaderPtr)> owner(reader, xmlFreeTextReader);
    ErrorSink sink;
    xmlTextReaderSetStructuredErrorHandler(
        reader, reinterpret_cast<xmlStructuredErrorFunc>(&OnStructuredError), &sink);

    struct Open {
        std::string name;
        std::string text;
    };
    std::vector<Open> stack;
    auto fail = [&](const std::string& why) {
        if (error) {
            *error = sink.seen ? sink.first : XmlStreamError{why, xmlTextReaderGetParserLineNumber(reader)};
            if (error->message.empty()) error->message = why;
        }
        return false;
    };
    int r;
    while ((r = xmlTextReaderRead(reader)) == 1) {
        if (sink.seen) return fail("malformed XML");
        const int type = xmlTextReaderNodeType(reader);
        switch (type) {
        case XML_READER_TYPE_ELEMENT: {
            const char* n = reinterpret_cast<const char*>(xmlTextReaderConstName(reader));
            std::string name = n ? n : "";
            handler.StartElement(name);
            if (xmlTextReaderIsEmptyElement(reader))
                handler.EndElement(name, {});
            else
                stack.push_back({std::move(name), {}});
            break;
        }
        case XML_READER_TYPE_TEXT:
        case XML_READER_TYPE_CDATA:
        case XML_READER_TYPE_SIGNIFICANT_WHITESPACE:
        case XML_READER_TYPE_WHITESPACE:
            if (!stack.empty()) {
                const char* v = reinterpret_cast<const char*>(xmlTextReaderConstValue(reader));
                if (v) stack.back().text += v;
            }
            break;
        case XML_READER_TYPE_END_ELEMENT:
            if (!stack.empty()) {
                Open top = std::move(stack.back());
                stack.pop_back();
                handler.EndElement(top.name, top.text);
            }
            break;
        case XML_READER_TYPE_ENTITY_REFERENCE:
            return fail("entity references are not accepted");
        default:
            break;
        }
        if (handler.Done()) return true;
    }
    if (r != 0 || sink.seen) return fail("malformed XML");
    return true;
}

}  // namespace

bool ReadXmlStream(const std::filesystem::path& path, XmlStreamHandler& handler,
                   XmlStreamError* error) {
    xmlTextReaderPtr reader = xmlReaderForFile(path.c_str(), nullptr, kOptions);
    return Run(reader, handler, error);
}

bool ReadXmlStreamMemory(std::string_view bytes, XmlStreamHandler& handler,
                         XmlStreamError* error) {
    xmlTextReaderPtr reader = xmlReaderForMemory(bytes.data(), static_cast<int>(bytes.size()),
                                                 nullptr, nullptr, kOptions);
    return Run(reader, handler, error);
}

std::string FormatXmlStreamError(const std::filesystem::path& path, const XmlStreamError& error) {
    std::string s = path.filename().string();
    if (error.line > 0) s += ": line " + std::to_string(error.line);
    return s + ": " + error.message;
}

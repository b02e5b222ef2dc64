#include "exchange/xml_stream.h"

#include <libxml/xmlreader.h>

#include <memory>
#include <utility>
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
    std::vector<XmlAttribute> attributes;
    std::string attributeText;
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
            if (handler.WantsAttributes()) {
                attributes.clear();
                attributeText.clear();
                if (xmlTextReaderHasAttributes(reader) == 1) {
                    // Copies first: the reader's strings move as it walks the attributes.
                    std::vector<std::pair<size_t, size_t>> spans;
                    while (xmlTextReaderMoveToNextAttribute(reader) == 1) {
                        if (xmlTextReaderIsNamespaceDecl(reader) == 1) continue;
                        const char* an = reinterpret_cast<const char*>(xmlTextReaderConstName(reader));
                        xmlChar* av = xmlTextReaderValue(reader);
                        const size_t at = attributeText.size();
                        attributeText += an ? an : "";
                        const size_t valueAt = attributeText.size();
                        if (av) attributeText += reinterpret_cast<const char*>(av);
                        xmlFree(av);
                        spans.push_back({at, valueAt});
                        spans.push_back({valueAt, attributeText.size()});
                    }
                    xmlTextReaderMoveToElement(reader);
                    const std::string_view all = attributeText;
                    for (size_t k = 0; k + 1 < spans.size(); k += 2)
                        attributes.push_back({all.substr(spans[k].first, spans[k].second - spans[k].first),
                                              all.substr(spans[k + 1].first, spans[k + 1].second - spans[k + 1].first)});
                }
                if (sink.seen) return fail("malformed XML");
                handler.Attributes(name, attributes);
            }
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

#include "exchange/xml_stream.h"

#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/SAX2.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace {

// The push parser's own tree limits do not apply: it builds no tree, and the callbacks
// below keep at most kXmlMaxHeldText per open element.
struct Reader {
    XmlStreamHandler* handler = nullptr;
    xmlParserCtxtPtr ctxt = nullptr;
    struct Open {
        std::string name;
        std::string text;
        bool streams = false;
        bool hasChild = false;
    };
    std::vector<Open> stack;
    std::string qualified;  // scratch for prefix:name
    XmlStreamError error;
    bool failed = false;
    bool stopped = false;

    int32_t Line() const { return ctxt ? xmlSAX2GetLineNumber(ctxt) : 0; }

    void Fail(const std::string& why, int32_t line) {
        if (failed) return;
        failed = true;
        error = {why, line};
        if (ctxt) xmlStopParser(ctxt);
    }

    void CheckDone() {
        if (!failed && !stopped && handler->Done()) {
            stopped = true;
            xmlStopParser(ctxt);
        }
    }
};

Reader* Of(void* ctx) {
    auto* ctxt = static_cast<xmlParserCtxtPtr>(ctx);
    return static_cast<Reader*>(ctxt->_private);
}

std::string_view Qualified(Reader& r, const xmlChar* localname, const xmlChar* prefix) {
    const char* local = reinterpret_cast<const char*>(localname);
    if (!prefix) return local;
    r.qualified.assign(reinterpret_cast<const char*>(prefix));
    r.qualified += ':';
    r.qualified += local;
    return r.qualified;
}

void OnStart(void* ctx, const xmlChar* localname, const xmlChar* prefix, const xmlChar*, int,
             const xmlChar**, int nbAttributes, int, const xmlChar** attributes) {
    Reader& r = *Of(ctx);
    if (r.failed || r.stopped) return;
    if (!r.stack.empty()) {
        Reader::Open& parent = r.stack.back();
        parent.hasChild = true;
        parent.text.clear();
        parent.text.shrink_to_fit();
    }
    const std::string name(Qualified(r, localname, prefix));
    r.handler->StartElement(name);
    const bool together = r.handler->WantsAttributes();
    std::vector<std::string> names;  // kept while the group is handed over
    std::vector<XmlAttribute> group;
    if (together) {
        names.reserve(size_t(nbAttributes));
        group.reserve(size_t(nbAttributes));
    }
    for (int i = 0; i < nbAttributes; ++i) {
        const xmlChar** a = attributes + 5 * i;  // localname, prefix, URI, value, end
        const std::string attribute(Qualified(r, a[0], a[1]));
        const char* value = reinterpret_cast<const char*>(a[3]);
        const std::string_view text(value, static_cast<size_t>(a[4] - a[3]));
        r.handler->Attribute(name, attribute, text);
        if (together) {
            names.push_back(attribute);
            group.push_back({names.back(), text});
        }
    }
    if (together) r.handler->Attributes(name, group);
    const bool streams = r.handler->StreamsText(name);
    r.stack.push_back({name, {}, streams, false});
    r.CheckDone();
}

void OnEnd(void* ctx, const xmlChar*, const xmlChar*, const xmlChar*) {
    Reader& r = *Of(ctx);
    if (r.failed || r.stopped || r.stack.empty()) return;
    Reader::Open top = std::move(r.stack.back());
    r.stack.pop_back();
    r.handler->EndElement(top.name, top.text);
    r.CheckDone();
}

void OnText(void* ctx, const xmlChar* chars, int len) {
    Reader& r = *Of(ctx);
    if (r.failed || r.stopped || r.stack.empty() || len <= 0) return;
    Reader::Open& top = r.stack.back();
    const std::string_view piece(reinterpret_cast<const char*>(chars), static_cast<size_t>(len));
    if (top.streams) {
        r.handler->TextPiece(piece);
        r.CheckDone();
        return;
    }
    if (top.hasChild) return;
    if (top.text.size() + piece.size() > kXmlMaxHeldText) {
        r.Fail("the text of <" + top.name + "> is too long", r.Line());
        return;
    }
    top.text += piece;
}

// Entities of any kind but the five predefined ones are refused: no expansion bombs and
// no external files.
void OnEntityDecl(void* ctx, const xmlChar* name, int, const xmlChar*, const xmlChar*, xmlChar*) {
    Reader& r = *Of(ctx);
    r.Fail(std::string("entity declarations are not accepted (") +
               reinterpret_cast<const char*>(name) + ")",
           r.Line());
}

xmlEntityPtr OnGetEntity(void* ctx, const xmlChar* name) {
    xmlEntityPtr predefined = xmlGetPredefinedEntity(name);
    if (predefined) return predefined;
    Reader& r = *Of(ctx);
    r.Fail(std::string("entity references are not accepted (") +
               reinterpret_cast<const char*>(name) + ")",
           r.Line());
    return nullptr;
}

void OnReference(void* ctx, const xmlChar* name) { OnGetEntity(ctx, name); }

void OnStructuredError(void* ctx, xmlErrorPtr e) {
    if (!e || e->level < XML_ERR_ERROR) return;
    auto* ctxt = static_cast<xmlParserCtxtPtr>(ctx);
    if (!ctxt || !ctxt->_private) return;
    Reader& r = *static_cast<Reader*>(ctxt->_private);
    if (r.failed || e->code == XML_ERR_USER_STOP) return;
    std::string m = e->message ? e->message : "malformed XML";
    while (!m.empty() && (m.back() == '\n' || m.back() == '\r' || m.back() == ' ')) m.pop_back();
    r.Fail(m, e->line);
}

xmlSAXHandler MakeSax() {
    xmlSAXHandler sax;
    std::memset(&sax, 0, sizeof sax);
    sax.initialized = XML_SAX2_MAGIC;
    sax.startElementNs = OnStart;
    sax.endElementNs = OnEnd;
    sax.characters = OnText;
    sax.cdataBlock = OnText;
    sax.entityDecl = OnEntityDecl;
    sax.getEntity = OnGetEntity;
    sax.getParameterEntity = OnGetEntity;
    sax.reference = OnReference;
    sax.serror = OnStructuredError;
    return sax;
}

using CtxtOwner = std::unique_ptr<xmlParserCtxt, void (*)(xmlParserCtxtPtr)>;

void FreeCtxt(xmlParserCtxtPtr ctxt) {
    if (!ctxt) return;
    if (ctxt->myDoc) xmlFreeDoc(ctxt->myDoc);
    ctxt->myDoc = nullptr;
    xmlFreeParserCtxt(ctxt);
}

// Feeds the bytes `next` delivers (empty at the end) through a push parser.
template <class Next>
bool Parse(Next&& next, const char* name, XmlStreamHandler& handler, XmlStreamError* error) {
    Reader r;
    r.handler = &handler;
    xmlSAXHandler sax = MakeSax();
    std::string_view first = next();
    CtxtOwner ctxt(xmlCreatePushParserCtxt(&sax, nullptr, nullptr, 0, name), FreeCtxt);
    if (!ctxt) {
        if (error) *error = {"the reader cannot start", 0};
        return false;
    }
    r.ctxt = ctxt.get();
    ctxt->_private = &r;
    ctxt->userData = ctxt.get();  // the callbacks find the reader through the context
    xmlCtxtUseOptions(ctxt.get(), XML_PARSE_NONET);
    ctxt->replaceEntities = 0;
    ctxt->loadsubset = 0;
    ctxt->validate = 0;
    std::string_view piece = first;
    while (!r.failed && !r.stopped) {
        const bool last = piece.empty();
        const int rc = xmlParseChunk(ctxt.get(), piece.data(), static_cast<int>(piece.size()), last ? 1 : 0);
        if (r.failed || r.stopped) break;
        if (rc != 0 || !ctxt->wellFormed) {
            r.Fail("malformed XML", r.Line());
            break;
        }
        if (last) break;
        piece = next();
    }
    if (!r.failed && !r.stopped && !r.stack.empty()) r.Fail("the file ends inside <" + r.stack.back().name + ">", r.Line());
    if (r.failed) {
        if (error) *error = r.error;
        return false;
    }
    return true;
}

}  // namespace

bool ReadXmlStream(const std::filesystem::path& path, XmlStreamHandler& handler,
                   XmlStreamError* error) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"), std::fclose);
    if (!file) {
        if (error) *error = {"cannot be opened", 0};
        return false;
    }
    std::vector<char> buffer(1 << 16);
    bool readError = false;
    auto next = [&]() -> std::string_view {
        const size_t n = std::fread(buffer.data(), 1, buffer.size(), file.get());
        if (n == 0 && std::ferror(file.get())) readError = true;
        return std::string_view(buffer.data(), n);
    };
    const bool ok = Parse(next, path.c_str(), handler, error);
    if (ok && readError) {
        if (error) *error = {"cannot be read", 0};
        return false;
    }
    return ok;
}

bool ReadXmlStreamMemory(std::string_view bytes, XmlStreamHandler& handler,
                         XmlStreamError* error) {
    bool given = false;
    auto next = [&]() -> std::string_view {
        if (given) return {};
        given = true;
        return bytes.substr(0, std::min<size_t>(bytes.size(), 1u << 30));
    };
    return Parse(next, "memory", handler, error);
}

double XmlLeadingNumber(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\r' || text[i] == '\n')) ++i;
    if (i < text.size() && text[i] == '+') ++i;
    double v = 0;
    const auto r = std::from_chars(text.data() + i, text.data() + text.size(), v);
    return r.ec == std::errc() && std::isfinite(v) ? v : 0.0;
}

std::string FormatXmlStreamError(const std::filesystem::path& path, const XmlStreamError& error) {
    std::string s = path.filename().string();
    if (error.line > 0) s += ": line " + std::to_string(error.line);
    return s + ": " + error.message;
}

#include "platform/encoding.h"

#include <errno.h>
#include <iconv.h>

namespace {
// Converts with iconv; on an unconvertible sequence writes `replacement` and skips
// `skip` input bytes (one character's worth is guessed by the caller's rule).
std::string Convert(std::string_view in, const char* to, const char* from,
                    const std::string& replacement, bool fromCp932) {
    std::string out;
    iconv_t cd = iconv_open(to, from);
    if (cd == (iconv_t)-1) return std::string(in);
    out.reserve(in.size() * 2);
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    char buf[4096];
    while (srcLeft > 0) {
        char* dst = buf;
        size_t dstLeft = sizeof buf;
        size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        out.append(buf, dst - buf);
        if (r == (size_t)-1) {
            if (errno == E2BIG) continue;
            // EILSEQ or EINVAL: replace one character and go on.
            out += replacement;
            size_t skip = 1;
            const unsigned char c = static_cast<unsigned char>(*src);
            if (fromCp932) {
                if (IsCp932LeadByte(c) && srcLeft >= 2) skip = 2;
            } else {
                if (c >= 0xF0) skip = 4;
                else if (c >= 0xE0) skip = 3;
                else if (c >= 0xC0) skip = 2;
                if (skip > srcLeft) skip = srcLeft;
            }
            src += skip;
            srcLeft -= skip;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
    iconv_close(cd);
    return out;
}
}  // namespace

std::string Cp932ToUtf8(std::string_view cp932) {
    return Convert(cp932, "UTF-8", "CP932", "\xEF\xBF\xBD", true);
}

std::string Utf8ToCp932(std::string_view utf8) {
    return Convert(utf8, "CP932", "UTF-8", "?", false);
}

size_t Cp932PrefixLength(std::string_view text, size_t limit) {
    size_t i = 0;
    while (i < text.size() && i < limit) {
        const size_t width =
            IsCp932LeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
        if (i + width > limit) break;
        i += width;
    }
    return i;
}

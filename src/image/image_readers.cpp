#include "image/image_readers.h"

#include <algorithm>
#include <csetjmp>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include <jpeglib.h>
#include <jerror.h>
#include <png.h>
#include <tiffio.h>


namespace {

uint32_t Bgr(uint8_t r, uint8_t g, uint8_t b) { return b | (g << 8) | (uint32_t{r} << 16); }

// A zero-filled block for `height` rows of `stride` bytes and `spare` bytes more; empty
// when the size is beyond what a reader accepts or the memory is not there.
bool AllocRows(DecodedImage& out, int32_t stride, int32_t height, uint64_t spare) {
    const uint64_t bytes = uint64_t(uint32_t(stride)) * uint64_t(uint32_t(height)) + spare;
    if (stride <= 0 || height <= 0 || bytes > kMaxImageBytes) return false;
    out.handle = AllocImageBlock(size_t(bytes));
    out.stride = stride;
    return !out.handle.Empty();
}

bool SizeAcceptable(int64_t width, int64_t height) {
    return width > 0 && height > 0 && width <= kMaxImageSide && height <= kMaxImageSide &&
           uint64_t(width) * uint64_t(height) * 4 <= kMaxImageBytes;
}

bool Fail(DecodedImage& out) {
    FreeImageBlock(out.handle);
    return false;
}

int32_t MonoStride(int32_t width) { return ((width + 7) / 8 + 3) & ~3; }
int32_t IndexedStride(int32_t width) { return (width + 3) & ~3; }

uint32_t U32(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t{p[3]} << 24); }
uint16_t U16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }

}  // namespace

// ---- BMP -------------------------------------------------------------------------------

bool DecodeBmpImage(std::FILE* file, bool keepIndexed, DecodedImage& out) {
    out = DecodedImage{};
    uint8_t header[54];
    if (std::fseek(file, 0, SEEK_END) != 0) return false;
    const long fileSize = std::ftell(file);
    if (fileSize < 54 || std::fseek(file, 0, SEEK_SET) != 0 || std::fread(header, 1, 54, file) != 54) return false;
    if (header[0] != 'B' || header[1] != 'M') return false;
    const uint32_t pixelOffset = U32(header + 10);
    const uint32_t infoSize = U32(header + 14);
    const int32_t width = int32_t(U32(header + 18));
    const int32_t rawHeight = int32_t(U32(header + 22));
    const uint16_t bits = U16(header + 28);
    const uint32_t compression = U32(header + 30);
    const uint32_t colorsUsed = U32(header + 46);
    if (compression != 0) return false;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24) return false;
    if (infoSize < 40 || rawHeight == INT32_MIN) return false;
    // A negative height stores the rows top-down.
    const bool topDown = rawHeight < 0;
    const int32_t height = topDown ? -rawHeight : rawHeight;
    if (!SizeAcceptable(width, height)) return false;

    const int64_t fileRow = ((int64_t(width) * bits + 7) / 8 + 3) & ~int64_t{3};
    if (pixelOffset < 14 + infoSize || int64_t(pixelOffset) + fileRow * height > fileSize) return false;

    int32_t stride;
    if (bits == 1) {
        stride = MonoStride(width);
        out.isMono = 1;
    } else if (bits == 24 || !keepIndexed) {
        stride = 4 * width;
    } else {
        stride = IndexedStride(width);
        out.isIndexed8 = 1;
    }
    uint32_t palette[256] = {};
    if (bits == 4 || bits == 8) {
        const uint32_t full = 1u << bits;
        const uint32_t count = (colorsUsed > 0 && colorsUsed < full) ? colorsUsed : full;
        const uint64_t paletteEnd = 14 + uint64_t(infoSize) + 4 * uint64_t(count);
        if (paletteEnd > pixelOffset) return false;
        std::vector<uint8_t> raw(4 * count);
        if (std::fseek(file, long(14 + infoSize), SEEK_SET) != 0 || std::fread(raw.data(), 1, raw.size(), file) != raw.size())
            return false;
        for (uint32_t i = 0; i < count; ++i) palette[i] = Bgr(raw[4 * i + 2], raw[4 * i + 1], raw[4 * i]);
        std::memcpy(out.palette, palette, sizeof palette);
        out.paletteCount = int32_t(count);
    }
    out.width = width;
    out.height = height;
    if (!AllocRows(out, stride, height, 8192)) return Fail(out);
    uint8_t* block = out.handle.Lock();
    std::vector<uint8_t> row(static_cast<size_t>(fileRow));
    if (std::fseek(file, long(pixelOffset), SEEK_SET) != 0) return Fail(out);
    for (int32_t i = 0; i < height; ++i) {
        if (std::fread(row.data(), 1, row.size(), file) != row.size()) return Fail(out);
        uint8_t* dst = block + size_t(topDown ? height - 1 - i : i) * size_t(stride);
        switch (bits) {
            case 1:
                std::memcpy(dst, row.data(), size_t(width + 7) / 8);
                break;
            case 24:
                for (int32_t x = 0; x < width; ++x) {
                    std::memcpy(dst + 4 * x, row.data() + 3 * x, 3);
                    dst[4 * x + 3] = 0;
                }
                break;
            default:
                for (int32_t x = 0; x < width; ++x) {
                    const uint8_t index = bits == 8 ? row[x] : (x & 1 ? row[x / 2] & 0x0F : row[x / 2] >> 4);
                    if (keepIndexed)
                        dst[x] = index;
                    else
                        std::memcpy(dst + 4 * x, &palette[index], 4);
                }
                break;
        }
    }
    return true;
}

// ---- TIFF ------------------------------------------------------------------------------

namespace {

// libtiff's own handlers print to the terminal; a damaged file is reported by the caller.
void QuietTiffHandler(const char*, const char*, va_list) {}

struct TiffCloser {
    void operator()(TIFF* t) const { TIFFClose(t); }
};

// Sample `index` of a row of packed samples, most significant bit first; 16-bit samples
// are in the machine's order as libtiff delivers them.
inline uint32_t SampleAt(const uint8_t* row, uint64_t index, int bits) {
    switch (bits) {
        case 8: return row[index];
        case 16: {
            uint16_t v;
            std::memcpy(&v, row + 2 * index, 2);
            return v;
        }
        default: {
            const uint64_t bit = index * bits;
            const uint32_t byte = row[bit / 8];
            const int shift = 8 - bits - int(bit % 8);
            return (byte >> shift) & ((1u << bits) - 1);
        }
    }
}

// Hands out the image's rows top to bottom, one buffer per plane, whatever the file's
// layout: strips row by row, separate planes strip by strip, tiles one tile row at a time.
class TiffRows {
public:
    TiffRows(TIFF* tif, uint32_t width, uint32_t height, uint16_t planes, uint16_t samples)
        : m_tif(tif), m_width(width), m_height(height), m_planes(planes == PLANARCONFIG_SEPARATE ? samples : 1) {}

    bool Init() {
        m_tiled = TIFFIsTiled(m_tif);
        m_rowBytes = TIFFScanlineSize64(m_tif);
        if (m_rowBytes == 0) return false;
        if (m_tiled) {
            uint32_t tw = 0, tl = 0;
            if (!TIFFGetField(m_tif, TIFFTAG_TILEWIDTH, &tw) || !TIFFGetField(m_tif, TIFFTAG_TILELENGTH, &tl) || tw == 0 ||
                tl == 0)
                return false;
            m_tileWidth = tw;
            m_bandRows = tl;
            m_tileBytes = TIFFTileSize64(m_tif);
            if (m_tileBytes == 0) return false;
            m_tile.resize(size_t(m_tileBytes));
        } else if (m_planes > 1) {
            uint32_t rps = 0;
            if (!TIFFGetFieldDefaulted(m_tif, TIFFTAG_ROWSPERSTRIP, &rps) || rps == 0) return false;
            m_bandRows = rps > m_height ? m_height : rps;
        } else {
            m_bandRows = 1;
        }
        const uint64_t bandBytes = uint64_t(m_bandRows) * m_rowBytes * m_planes;
        if (bandBytes > kMaxImageBytes) return false;
        m_band.resize(size_t(bandBytes));
        return true;
    }

    // The buffer of plane `plane` for row `row`; rows come in order. Null when the file
    // cannot give that row.
    bool Row(uint32_t row, const uint8_t* planes[]) {
        if (m_bandRows == 1 && !m_tiled) {
            if (TIFFReadScanline(m_tif, m_band.data(), row, 0) < 0) return false;
            planes[0] = m_band.data();
            return true;
        }
        const uint32_t bandStart = row - row % m_bandRows;
        if (!m_loaded || bandStart != m_bandStart) {
            if (!LoadBand(bandStart)) return false;
        }
        for (uint32_t p = 0; p < m_planes; ++p)
            planes[p] = m_band.data() + (uint64_t(p) * m_bandRows + (row - bandStart)) * m_rowBytes;
        return true;
    }

private:
    bool LoadBand(uint32_t start) {
        m_loaded = false;
        m_bandStart = start;
        const uint32_t rows = std::min(m_bandRows, m_height - start);
        for (uint32_t p = 0; p < m_planes; ++p) {
            uint8_t* base = m_band.data() + uint64_t(p) * m_bandRows * m_rowBytes;
            if (!m_tiled) {
                const tstrip_t strip = TIFFComputeStrip(m_tif, start, uint16_t(p));
                const tmsize_t want = tmsize_t(uint64_t(rows) * m_rowBytes);
                if (TIFFReadEncodedStrip(m_tif, strip, base, want) < want) return false;
                continue;
            }
            const uint64_t tileRow = TIFFTileRowSize64(m_tif);
            for (uint32_t x = 0; x < m_width; x += m_tileWidth) {
                if (TIFFReadTile(m_tif, m_tile.data(), x, start, 0, uint16_t(p)) < 0) return false;
                // Bits of the tile's columns within an image row; tiles start on whole
                // bytes because their width is a multiple of 16.
                const uint64_t offset = tileRow * (x / m_tileWidth);
                const uint64_t span = std::min<uint64_t>(tileRow, m_rowBytes - offset);
                for (uint32_t r = 0; r < rows; ++r)
                    std::memcpy(base + uint64_t(r) * m_rowBytes + offset, m_tile.data() + uint64_t(r) * tileRow, size_t(span));
            }
        }
        m_loaded = true;
        return true;
    }

    TIFF* m_tif;
    uint32_t m_width, m_height, m_planes;
    bool m_tiled = false;
    bool m_loaded = false;
    uint64_t m_rowBytes = 0;
    uint32_t m_bandRows = 1;
    uint32_t m_bandStart = 0;
    uint32_t m_tileWidth = 0;
    uint64_t m_tileBytes = 0;
    std::vector<uint8_t> m_band;
    std::vector<uint8_t> m_tile;
};

}  // namespace

bool DecodeTiffImage(const std::string& path, DecodedImage& out) {
    out = DecodedImage{};
    TIFFSetErrorHandler(QuietTiffHandler);
    TIFFSetWarningHandler(QuietTiffHandler);
    std::unique_ptr<TIFF, TiffCloser> tif(TIFFOpen(path.c_str(), "r"));
    if (!tif) return false;
    TIFF* t = tif.get();
    uint16_t photometric = 0, bits = 1, samples = 1, planar = 1;
    uint32_t width = 0, height = 0;
    if (!TIFFGetField(t, TIFFTAG_PHOTOMETRIC, &photometric)) return false;
    TIFFGetFieldDefaulted(t, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(t, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetFieldDefaulted(t, TIFFTAG_PLANARCONFIG, &planar);
    if (!TIFFGetField(t, TIFFTAG_IMAGEWIDTH, &width) || !TIFFGetField(t, TIFFTAG_IMAGELENGTH, &height)) return false;
    if (!SizeAcceptable(width, height)) return false;
    if (bits != 1 && bits != 2 && bits != 4 && bits != 8 && bits != 16) return false;
    if (samples < 1 || samples > 16) return false;
    uint16_t sampleFormat = SAMPLEFORMAT_UINT;
    TIFFGetFieldDefaulted(t, TIFFTAG_SAMPLEFORMAT, &sampleFormat);
    if (sampleFormat != SAMPLEFORMAT_UINT) return false;

    bool invert = false;
    uint32_t palette[256] = {};
    switch (photometric) {
        case PHOTOMETRIC_MINISWHITE: invert = true; break;
        case PHOTOMETRIC_MINISBLACK: break;
        case PHOTOMETRIC_RGB:
            if (samples != 1 && samples < 3) return false;
            break;
        case PHOTOMETRIC_PALETTE: {
            if (bits > 8 || samples != 1) return false;
            uint16_t *r = nullptr, *g = nullptr, *b = nullptr;
            if (!TIFFGetField(t, TIFFTAG_COLORMAP, &r, &g, &b)) return false;
            const int entries = 1 << bits;
            for (int i = 0; i < entries; ++i) palette[i] = Bgr(uint8_t(r[i] >> 8), uint8_t(g[i] >> 8), uint8_t(b[i] >> 8));
            auto brightness = [&](int i) {
                return 0.6 * ((palette[i] >> 8) & 0xFF) + 0.3 * (((palette[i] >> 16) & 0xFF) + (palette[i] & 0xFF));
            };
            invert = brightness(0) > brightness(1);
            break;
        }
        default: return false;
    }

    out.width = int32_t(width);
    out.height = int32_t(height);
    TiffRows rows(t, width, height, planar, samples);
    if (!rows.Init()) return false;
    const uint8_t* planes[16] = {};
    const bool separate = planar == PLANARCONFIG_SEPARATE && samples > 1;

    if (bits == 1 && samples == 1) {
        out.isMono = 1;
        const int32_t stride = MonoStride(out.width);
        if (!AllocRows(out, stride, out.height, 2 * uint64_t(stride))) return Fail(out);
        uint8_t* block = out.handle.Lock();
        const size_t bytes = (width + 7) / 8;
        for (uint32_t i = 0; i < height; ++i) {
            if (!rows.Row(i, planes)) return Fail(out);
            uint8_t* dst = block + size_t(height - 1 - i) * size_t(stride);
            std::memcpy(dst, planes[0], bytes);
            if (invert)
                for (size_t k = 0; k < bytes; ++k) dst[k] = uint8_t(~dst[k]);
        }
        return true;
    }

    if (!AllocRows(out, 4 * out.width, out.height, 2 * 4 * uint64_t(width))) return Fail(out);
    uint8_t* block = out.handle.Lock();
    const uint32_t maxValue = (1u << bits) - 1;
    auto scale = [&](uint32_t v) -> uint8_t {
        switch (bits) {
            case 1: return v ? 255 : 0;
            case 2: return uint8_t(v * 64);
            case 4: return uint8_t(v * 16);
            case 16: return uint8_t(v >> 8);
            default: return uint8_t(v);
        }
    };
    for (uint32_t i = 0; i < height; ++i) {
        if (!rows.Row(i, planes)) return Fail(out);
        uint32_t* dst = reinterpret_cast<uint32_t*>(block + size_t(height - 1 - i) * size_t(4 * width));
        // The common layouts, byte samples side by side, without the general sampler.
        if (bits == 8 && !separate && photometric == PHOTOMETRIC_RGB && samples >= 3) {
            const uint8_t* src = planes[0];
            for (uint32_t x = 0; x < width; ++x, src += samples) dst[x] = Bgr(src[0], src[1], src[2]);
            continue;
        }
        if (bits == 8 && !separate && photometric == PHOTOMETRIC_MINISBLACK) {
            const uint8_t* src = planes[0];
            for (uint32_t x = 0; x < width; ++x, src += samples) dst[x] = Bgr(src[0], src[0], src[0]);
            continue;
        }
        for (uint32_t x = 0; x < width; ++x) {
            auto sample = [&](uint32_t s) {
                return separate ? SampleAt(planes[s], x, bits) : SampleAt(planes[0], uint64_t(x) * samples + s, bits);
            };
            uint32_t pixel;
            if (photometric == PHOTOMETRIC_PALETTE) {
                pixel = palette[sample(0)];
            } else if (photometric == PHOTOMETRIC_RGB) {
                if (samples >= 3)
                    pixel = Bgr(scale(sample(0)), scale(sample(1)), scale(sample(2)));
                else
                    pixel = Bgr(scale(sample(0)), scale(sample(0)), scale(sample(0)));
            } else {
                const uint32_t v = sample(0);
                const uint8_t grey = uint8_t(uint64_t(invert ? maxValue - v : v) * 255 / maxValue);
                pixel = Bgr(grey, grey, grey);
            }
            dst[x] = pixel;
        }
    }
    return true;
}

// ---- PNG -------------------------------------------------------------------------------

namespace {

struct PngFailure {
    std::jmp_buf jump;
};

void PngError(png_structp png, png_const_charp) {
    auto* failure = static_cast<PngFailure*>(png_get_error_ptr(png));
    std::longjmp(failure->jump, 1);
}
void PngWarning(png_structp, png_const_charp) {}

// The part of the PNG read that may jump back on an error: no objects with destructors.
bool ReadPng(std::FILE* file, DecodedImage& out, png_structp png, png_infop info, PngFailure& failure,
             png_bytep* volatile& rowPointers) {
    if (setjmp(failure.jump)) return false;
    png_init_io(png, file);
    png_set_user_limits(png, kMaxImageSide, kMaxImageSide);
    png_read_info(png, info);
    png_uint_32 width = 0, height = 0;
    int bitDepth = 0, colorType = 0, interlace = 0;
    png_get_IHDR(png, info, &width, &height, &bitDepth, &colorType, &interlace, nullptr, nullptr);
    if (!SizeAcceptable(width, height)) return false;
    const int depth = bitDepth * png_get_channels(png, info);
    const bool hasPalette = colorType == PNG_COLOR_TYPE_PALETTE;
    int32_t stride;
    switch (depth) {
        case 1: stride = MonoStride(int32_t(width)); break;
        case 4:
        case 8: stride = IndexedStride(int32_t(width)); break;
        case 24: stride = 4 * int32_t(width); break;
        default: return false;
    }
    if (colorType == PNG_COLOR_TYPE_GRAY_ALPHA || colorType == PNG_COLOR_TYPE_RGB_ALPHA) return false;
    // Prepared palette: black and white for 1 bit, a grey ramp otherwise (a 4-bit grey
    // image brings none: its 16 levels spread over the ramp), then the file's entries.
    uint32_t palette[256];
    for (int i = 0; i < 256; ++i) palette[i] = Bgr(uint8_t(i), uint8_t(i), uint8_t(i));
    if (depth == 1) palette[1] = Bgr(255, 255, 255);
    if (depth == 4 && !hasPalette)
        for (int i = 0; i < 16; ++i) palette[i] = Bgr(uint8_t(17 * i), uint8_t(17 * i), uint8_t(17 * i));
    int paletteEntries = 0;
    png_colorp plte = nullptr;
    if (png_get_PLTE(png, info, &plte, &paletteEntries) & PNG_INFO_PLTE) {
        for (int i = 0; i < paletteEntries && i < 256; ++i) palette[i] = Bgr(plte[i].red, plte[i].green, plte[i].blue);
    }
    out.width = int32_t(width);
    out.height = int32_t(height);
    out.isMono = depth == 1;
    out.isIndexed8 = depth != 24;
    if (!AllocRows(out, stride, out.height, uint64_t(stride))) return false;
    uint8_t* block = out.handle.Lock();
    rowPointers = static_cast<png_bytep*>(std::malloc(sizeof(png_bytep) * height));
    if (!rowPointers) return false;
    for (png_uint_32 i = 0; i < height; ++i) rowPointers[i] = block + size_t(height - 1 - i) * size_t(stride);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    png_read_image(png, rowPointers);
    png_read_end(png, nullptr);
    for (png_uint_32 i = 0; i < height; ++i) {
        uint8_t* row = rowPointers[i];
        if (depth == 4) {
            for (int32_t x = int32_t(width) - 1; x >= 0; --x) row[x] = (x & 1) ? row[x / 2] & 0x0F : row[x / 2] >> 4;
        } else if (depth == 24) {
            for (int32_t x = int32_t(width) - 1; x >= 0; --x) {
                const uint8_t r = row[3 * x], g = row[3 * x + 1], b = row[3 * x + 2];
                row[4 * x] = b;
                row[4 * x + 1] = g;
                row[4 * x + 2] = r;
                row[4 * x + 3] = 0;
            }
        }
    }
    std::memcpy(out.palette, palette, sizeof palette);
    out.paletteCount = depth == 1 ? 2 : depth == 8 ? 256 : depth == 4 ? (hasPalette ? paletteEntries : 16) : 0;
    return true;
}

}  // namespace

bool DecodePngImage(const std::string& path, DecodedImage& out) {
    out = DecodedImage{};
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    uint8_t signature[8];
    if (std::fread(signature, 1, 8, file) != 8 || png_sig_cmp(signature, 0, 8) != 0) {
        std::fclose(file);
        return false;
    }
    std::rewind(file);
    PngFailure failure;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &failure, PngError, PngWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    png_bytep* volatile rowPointers = nullptr;
    const bool ok = info && ReadPng(file, out, png, info, failure, rowPointers);
    std::free(rowPointers);
    png_destroy_read_struct(png ? &png : nullptr, info ? &info : nullptr, nullptr);
    std::fclose(file);
    if (!ok) return Fail(out);
    return true;
}

// ---- JPEG ------------------------------------------------------------------------------

namespace {

struct JpegFailure {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
    bool cutShort = false;
};

void JpegErrorExit(j_common_ptr cinfo) {
    auto* failure = reinterpret_cast<JpegFailure*>(cinfo->err);
    std::longjmp(failure->jump, 1);
}
void JpegQuietMessage(j_common_ptr) {}
// Warnings go unprinted; a file that ends before its last row is a failure (the library
// would fill the missing rows with grey).
void JpegEmitMessage(j_common_ptr cinfo, int level) {
    auto* failure = reinterpret_cast<JpegFailure*>(cinfo->err);
    if (level < 0 && cinfo->err->msg_code == JWRN_JPEG_EOF) failure->cutShort = true;
}

bool ReadJpeg(std::FILE* file, DecodedImage& out, jpeg_decompress_struct& cinfo, JpegFailure& failure) {
    if (setjmp(failure.jump)) return false;
    jpeg_stdio_src(&cinfo, file);
    jpeg_read_header(&cinfo, TRUE);
    if (cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK) return false;
    if (cinfo.num_components == 1)
        cinfo.out_color_space = JCS_GRAYSCALE;
    else
        cinfo.out_color_space = JCS_RGB;
    if (!SizeAcceptable(cinfo.image_width, cinfo.image_height)) return false;
    jpeg_start_decompress(&cinfo);
    const int32_t width = int32_t(cinfo.output_width), height = int32_t(cinfo.output_height);
    const bool grey = cinfo.output_components == 1;
    if (!grey && cinfo.output_components != 3) return false;
    out.width = width;
    out.height = height;
    out.isIndexed8 = grey;
    const int32_t stride = grey ? IndexedStride(width) : 4 * width;
    if (!AllocRows(out, stride, height, uint64_t(stride))) return false;
    uint8_t* block = out.handle.Lock();
    while (cinfo.output_scanline < cinfo.output_height) {
        uint8_t* row = block + size_t(height - 1 - int32_t(cinfo.output_scanline)) * size_t(stride);
        JSAMPROW rows[1] = {row};
        if (jpeg_read_scanlines(&cinfo, rows, 1) != 1 || failure.cutShort) return false;
        if (!grey) {
            for (int32_t x = width - 1; x >= 0; --x) {
                const uint8_t r = row[3 * x], g = row[3 * x + 1], b = row[3 * x + 2];
                row[4 * x] = b;
                row[4 * x + 1] = g;
                row[4 * x + 2] = r;
                row[4 * x + 3] = 0;
            }
        }
    }
    jpeg_finish_decompress(&cinfo);
    if (failure.cutShort) return false;
    if (grey) {
        for (int i = 0; i < 256; ++i) out.palette[i] = Bgr(uint8_t(i), uint8_t(i), uint8_t(i));
        out.paletteCount = 256;
    }
    return true;
}

}  // namespace

bool DecodeJpegImage(const std::string& path, DecodedImage& out) {
    out = DecodedImage{};
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    jpeg_decompress_struct cinfo;
    JpegFailure failure;
    cinfo.err = jpeg_std_error(&failure.manager);
    failure.manager.error_exit = JpegErrorExit;
    failure.manager.output_message = JpegQuietMessage;
    failure.manager.emit_message = JpegEmitMessage;
    bool ok = false;
    if (setjmp(failure.jump) == 0) {
        jpeg_create_decompress(&cinfo);
        ok = ReadJpeg(file, out, cinfo, failure);
    }
    jpeg_destroy_decompress(&cinfo);
    std::fclose(file);
    if (!ok) return Fail(out);
    return true;
}

// ---- Choosing and committing -----------------------------------------------------------

ImageFileKind ImageFileKindOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return kImageNone;
    std::string ext = path.substr(dot, 5);
    for (char& c : ext)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    if (ext == ".BMP") return kImageBmp;
    if (ext == ".TIF" || ext == ".TIFF") return kImageTiff;
    if (ext == ".PNG") return kImagePng;
    if (ext == ".JPG" || ext == ".JPEG") return kImageJpeg;
    return kImageNone;
}

namespace {

bool Decode(const std::string& path, ImageFileKind kind, bool keepIndexed, DecodedImage& out) {
    switch (kind) {
        case kImageBmp: {
            std::FILE* f = std::fopen(path.c_str(), "rb");
            if (!f) return false;
            const bool ok = DecodeBmpImage(f, keepIndexed, out);
            std::fclose(f);
            return ok;
        }
        case kImageTiff: return DecodeTiffImage(path, out);
        case kImagePng: return DecodePngImage(path, out);
        case kImageJpeg: return DecodeJpegImage(path, out);
        default: return false;
    }
}

void ReplaceBlock(ImageHandle& handle, ImageHandle fresh) {
    if (!handle.Empty() && !(handle == g_imageSlotHandles[0])) FreeImageBlock(handle);
    handle = fresh;
}

void TakePalette(const DecodedImage& d) {
    for (int32_t i = 0; i < d.paletteCount && i < 256; ++i) g_bgImagePalette[i] = d.palette[i];
}

}  // namespace

bool ReadImageFile(const std::string& path, ImageFileKind kind, bool keepIndexed) {
    DecodedImage d;
    if (!Decode(path, kind, keepIndexed, d)) return false;
    ImageHandle handle = g_bgImageHandle;
    ReplaceBlock(handle, d.handle);
    SetActiveImageBlock(handle);
    g_bgImage.width = d.width;
    g_bgImage.height = d.height;
    g_bgImage.isMono = d.isMono;
    g_bgImage.isIndexed8 = d.isIndexed8;
    g_bgImage.keepIndexed = keepIndexed ? 1 : 0;
    g_bgImage.showOnBase = 0;
    g_bgImage.positionKnown = 0;
    g_bgImage.blendMode = BLEND_OVERWRITE;
    g_bgImage.loaded = 1;
    g_bgImage.stride = ImageRowStride(g_bgImage);
    TakePalette(d);
    g_bgImagePath = path;
    return true;
}

int32_t LoadBmpImage(const std::string& path) {
    g_bgImage.positionKnown = 0;
    DecodedImage d;
    if (!Decode(path, kImageBmp, g_bgImage.keepIndexed != 0, d)) return 0;
    ImageHandle handle = g_bgImageHandle;
    ReplaceBlock(handle, d.handle);
    SetActiveImageBlock(handle);
    g_bgImage.width = d.width;
    g_bgImage.height = d.height;
    g_bgImage.isMono = d.isMono;
    g_bgImage.isIndexed8 = d.isIndexed8;
    g_bgImage.stride = d.stride;
    g_bgImage.loaded = 1;
    TakePalette(d);
    return 1;
}

namespace {
int32_t LoadInto(const std::string& path, ImageFileKind kind, ImageHandle& handle, int32_t& width, int32_t& height,
                 int32_t* isMono) {
    DecodedImage d;
    if (!Decode(path, kind, false, d)) return 0;
    ReplaceBlock(handle, d.handle);
    width = d.width;
    height = d.height;
    if (isMono) *isMono = d.isMono;
    g_bgImage.isIndexed8 = d.isIndexed8;
    if (kind != kImageTiff) g_bgImage.loaded = 1;
    TakePalette(d);
    return 1;
}
}  // namespace

int32_t LoadTiffImage(const std::string& path, ImageHandle& handle, int32_t& width, int32_t& height, int32_t& isMono) {
    return LoadInto(path, kImageTiff, handle, width, height, &isMono);
}
int32_t LoadPngImage(const std::string& path, ImageHandle& handle, int32_t& width, int32_t& height, int32_t& isMono) {
    return LoadInto(path, kImagePng, handle, width, height, &isMono);
}
int32_t LoadJpegImage(const std::string& path, ImageHandle& handle, int32_t& width, int32_t& height) {
    return LoadInto(path, kImageJpeg, handle, width, height, nullptr);
}

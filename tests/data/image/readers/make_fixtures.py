"""Makes the reader fixtures in the folder given: BMP and PNG files written here byte by
byte, TIFF and JPEG variants made by GDAL and libtiff's tools, and for each file GDAL's
reading of it as raw band-sequential rows (<file>.raw), the oracle of the reader tests."""
import os, struct, subprocess, sys, zlib

out = sys.argv[1]
W, H = 37, 23


def rgb(x, y):
    return ((x * 7 + y * 3) % 256, (x * x + y * 11) % 256, ((x * 13) ^ (y * 5)) % 256)


def grey(x, y):
    return (x * 9 + y * 5) % 256


def idx8(x, y):
    return (x * 3 + y * 7) % 256


def idx4(x, y):
    return (x + 2 * y) % 16


def bit(x, y):
    return 1 if (x * x + y) % 3 == 0 else 0


PAL8 = [(i, 255 - i, (i * 37) % 256) for i in range(256)]
PAL4 = [(i * 16, 255 - i * 15, (i * 77) % 256) for i in range(16)]


def pack(values, depth):
    if depth == 8:
        return bytes(values)
    per = 8 // depth
    data = bytearray()
    for i in range(0, len(values), per):
        byte = 0
        for k in range(per):
            v = values[i + k] if i + k < len(values) else 0
            byte |= v << (8 - depth * (k + 1))
        data.append(byte)
    return bytes(data)


def path(name):
    return os.path.join(out, name)


def write_bmp(name, bits, pixel, palette=None, top_down=False):
    row = ((W * bits + 31) // 32) * 4
    pal = b''.join(bytes((b, g, r, 0)) for r, g, b in palette) if palette else b''
    rows = []
    for y in range(H - 1, -1, -1):
        if bits == 24:
            data = b''.join(bytes(pixel(x, y)[::-1]) for x in range(W))
        else:
            data = pack([pixel(x, y) for x in range(W)], bits)
        rows.append(data + b'\0' * (row - len(data)))
    if top_down:
        rows.reverse()
    offset = 54 + len(pal)
    size = offset + row * H
    header = b'BM' + struct.pack('<IHHI', size, 0, 0, offset)
    info = struct.pack('<IiiHHIIiiII', 40, W, -H if top_down else H, 1, bits, 0, 0, 0, 0,
                       len(palette) if palette else 0, 0)
    open(path(name), 'wb').write(header + info + pal + b''.join(rows))


def chunk(kind, data):
    return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data) & 0xffffffff)


ADAM7 = [(0, 0, 8, 8), (4, 0, 8, 8), (0, 4, 4, 8), (2, 0, 4, 4), (0, 2, 2, 4), (1, 0, 2, 2), (0, 1, 1, 2)]


def write_png(name, color_type, depth, pixel, palette=None, interlaced=False):
    def rows_of(xs, ys):
        data = b''
        for y in ys:
            if color_type == 2:
                line = b''.join(bytes(pixel(x, y)) for x in xs)
            else:
                line = pack([pixel(x, y) for x in xs], depth)
            data += b'\0' + line
        return data

    if interlaced:
        raw = b''
        for x0, y0, dx, dy in ADAM7:
            xs, ys = list(range(x0, W, dx)), list(range(y0, H, dy))
            if xs and ys:
                raw += rows_of(xs, ys)
    else:
        raw = rows_of(list(range(W)), list(range(H)))
    data = b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', W, H, depth, color_type, 0, 0,
                                                               1 if interlaced else 0))
    if palette:
        data += chunk(b'PLTE', b''.join(bytes(c) for c in palette))
    data += chunk(b'IDAT', zlib.compress(raw)) + chunk(b'IEND', b'')
    open(path(name), 'wb').write(data)


def run(*args):
    subprocess.run(args, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def gdal(src, dst, *options):
    run('gdal_translate', '-q', *options, path(src), path(dst))


write_bmp('bmp24.bmp', 24, rgb)
write_bmp('bmp24_top_down.bmp', 24, rgb, top_down=True)
write_bmp('bmp8.bmp', 8, idx8, PAL8)
write_bmp('bmp4.bmp', 4, idx4, PAL4)
write_bmp('bmp1.bmp', 1, bit, [(255, 255, 255), (0, 0, 0)])

write_png('png24.png', 2, 8, rgb)
write_png('png24_interlaced.png', 2, 8, rgb, interlaced=True)
write_png('png8_palette.png', 3, 8, idx8, PAL8)
write_png('png8_grey.png', 0, 8, grey)
write_png('png4_palette.png', 3, 4, idx4, PAL4)
write_png('png4_interlaced.png', 3, 4, idx4, PAL4, interlaced=True)
write_png('png1_grey.png', 0, 1, bit)
write_png('png1_interlaced.png', 0, 1, bit, interlaced=True)
write_png('bin8.png', 0, 8, bit)
write_png('white_black.png', 3, 8, bit, [(255, 255, 255), (0, 0, 0)])

gdal('png24.png', 'tif_rgb.tif')
gdal('png24.png', 'tif_rgb_lzw.tif', '-co', 'COMPRESS=LZW')
gdal('png24.png', 'tif_rgb_deflate.tif', '-co', 'COMPRESS=DEFLATE')
gdal('png24.png', 'tif_rgb_tiled.tif', '-co', 'TILED=YES', '-co', 'BLOCKXSIZE=16', '-co', 'BLOCKYSIZE=16')
gdal('png24.png', 'tif_rgb_separate.tif', '-co', 'INTERLEAVE=BAND', '-co', 'COMPRESS=LZW')
run('tiffcp', '-c', 'packbits', path('tif_rgb.tif'), path('tif_rgb_packbits.tif'))
run('tiffcp', '-p', 'separate', '-t', '-w', '16', '-l', '16', '-c', 'zip', path('tif_rgb.tif'),
    path('tif_rgb_separate_tiled.tif'))
run('tiffcp', '-s', '-r', '5', path('tif_rgb_separate.tif'), path('tif_rgb_separate_strips.tif'))
gdal('png8_grey.png', 'tif_grey8.tif')
gdal('png8_grey.png', 'tif_grey16.tif', '-ot', 'UInt16', '-scale', '0', '255', '0', '65535')
gdal('png8_palette.png', 'tif_palette8.tif', '-co', 'COMPRESS=PACKBITS')
gdal('png4_palette.png', 'tif_palette4.tif', '-co', 'NBITS=4')
gdal('bin8.png', 'tif_bit_black.tif', '-co', 'NBITS=1')
gdal('bin8.png', 'tif_bit_white.tif', '-co', 'NBITS=1', '-co', 'PHOTOMETRIC=MINISWHITE')
gdal('white_black.png', 'tif_bit_palette.tif', '-co', 'NBITS=1')
run('tiffcp', '-t', '-w', '16', '-l', '16', '-c', 'lzw', path('tif_bit_black.tif'), path('tif_bit_tiled.tif'))
run('tiffcp', '-c', 'packbits', path('tif_bit_white.tif'), path('tif_bit_white_packbits.tif'))
gdal('png24.png', 'jpeg_rgb.jpg', '-of', 'JPEG', '-co', 'QUALITY=90')
gdal('png8_grey.png', 'jpeg_grey.jpg', '-of', 'JPEG', '-co', 'QUALITY=90')

# GDAL's pixels of every file: palettes expanded to colours where the reader makes colours.
expand = {'bmp8.bmp', 'bmp4.bmp', 'png8_palette.png', 'png4_palette.png', 'png4_interlaced.png',
          'tif_palette8.tif', 'tif_palette4.tif', 'tif_bit_palette.tif'}
for name in sorted(os.listdir(out)):
    if name.endswith(('.bmp', '.png', '.tif', '.jpg')):
        options = ['-of', 'ENVI', '-co', 'INTERLEAVE=BSQ'] + (['-expand', 'rgb'] if name in expand else [])
        gdal(name, name + '.raw', *options)

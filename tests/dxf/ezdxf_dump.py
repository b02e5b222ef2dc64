"""Second opinion on a DXF file we wrote: what ezdxf's recover and audit report, and the
modelspace entities as ezdxf reads them with the given encoding.

Output, one record a line, fields separated by '|':
  RECOVER|<errors other than text decoding>|<fixes>
  AUDIT|<errors>|<fixes>
  <kind>|<layer>|<colour>|<numbers separated by spaces>|<text as hex bytes in the encoding>
Numbers: LINE 2 points, POINT 1, 3DFACE 4, POLYLINE and LWPOLYLINE every vertex (x y z;
for LWPOLYLINE z is the elevation), TEXT the insert point, rotation and height.
"""
import sys

import ezdxf
from ezdxf import recover
from ezdxf.audit import AuditError


def numbers(values):
    return " ".join("%.6f" % v for v in values)


def main():
    path, encoding = sys.argv[1], sys.argv[2] if len(sys.argv) > 2 else "cp932"
    doc, auditor = recover.readfile(path)
    errors = [e for e in auditor.errors if e.code != AuditError.DECODING_ERROR]
    print("RECOVER|%d|%d" % (len(errors), len(auditor.fixes)))
    for e in errors + auditor.fixes:
        print("#", e.code, e.message, file=sys.stderr)
    audit = doc.audit()
    print("AUDIT|%d|%d" % (len(audit.errors), len(audit.fixes)))
    for e in audit.errors + audit.fixes:
        print("#", e.code, e.message, file=sys.stderr)
    doc = ezdxf.readfile(path, encoding=encoding)
    for e in doc.modelspace():
        kind = e.dxftype()
        values = []
        text = b""
        if kind == "LINE":
            values = list(e.dxf.start) + list(e.dxf.end)
        elif kind == "POINT":
            values = list(e.dxf.location)
        elif kind == "3DFACE":
            for v in (e.dxf.vtx0, e.dxf.vtx1, e.dxf.vtx2, e.dxf.vtx3):
                values += list(v)
        elif kind == "POLYLINE":
            kind += "3D" if e.is_3d_polyline else "2D"
            for v in e.vertices:
                values += list(v.dxf.location)
        elif kind == "LWPOLYLINE":
            for x, y in e.vertices():
                values += [x, y, e.dxf.elevation]
        elif kind == "TEXT":
            values = list(e.dxf.insert) + [e.dxf.rotation, e.dxf.height]
            text = e.dxf.text.encode(encoding)
        print("%s|%s|%d|%s|%s" % (kind, e.dxf.layer, e.dxf.color, numbers(values), text.hex()))


main()

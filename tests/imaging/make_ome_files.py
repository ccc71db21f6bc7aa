"""Writes the OME-TIFF files of ome_files_test.cpp into the folder given: OME-XML written here
from the published schemas (2016-06 and 2008-02), planes written by tifffile. Every plane of
image size 16x12 holds one value, 1 + 60*t + 20*c + z, so a reader's plane (c, z, t) can be
told from every other and from a blank one (0)."""
import random
import sys
import numpy as np
import tifffile

out = sys.argv[1] + '/'
W, H = 16, 12
NS = {'2016': 'http://www.openmicroscopy.org/Schemas/OME/2016-06',
      '2008': 'http://www.openmicroscopy.org/Schemas/OME/2008-02'}


def value(c, z, t):
    return 1 + 60 * t + 20 * c + z


def plane(v, w=W, h=H):
    return np.full((h, w), v, 'u1')


def raster(order, sc, sz, st):
    """(c, z, t) of every plane in the order DimensionOrder gives, fastest first."""
    sizes = {'C': sc, 'Z': sz, 'T': st}
    a, b, c3 = order[2], order[3], order[4]
    out = []
    for k in range(sizes[c3]):
        for j in range(sizes[b]):
            for i in range(sizes[a]):
                pos = {a: i, b: j, c3: k}
                out.append((pos['C'], pos['Z'], pos['T']))
    return out


def pixels(schema, order, sc, sz, st, tiffdata, w=W, h=H, phys='PhysicalSizeX="0.5" PhysicalSizeY="0.5" PhysicalSizeZ="2"'):
    kind = 'Type="uint8"' if schema == '2016' else 'PixelType="uint8" BigEndian="false"'
    channels = ''.join(f'<Channel ID="Channel:0:{c}" SamplesPerPixel="1"/>' for c in range(sc)) if schema == '2016' else ''
    return (f'<Pixels ID="Pixels:0" DimensionOrder="{order}" {kind} SizeX="{w}" SizeY="{h}" SizeZ="{sz}" '
            f'SizeC="{sc}" SizeT="{st}" {phys}>{channels}{tiffdata}</Pixels>')


def ome(schema, images):
    body = ''.join(f'<Image ID="Image:{i}" Name="{name}">'
                   + ('<CreationDate>2008-02-06T13:43:19</CreationDate>' if schema == '2008' else '') + px + '</Image>'
                   for i, (name, px) in enumerate(images))
    return (f'<?xml version="1.0" encoding="UTF-8"?><OME xmlns="{NS[schema]}" '
            'xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance" '
            f'xsi:schemaLocation="{NS[schema]} {NS[schema]}/ome.xsd">{body}</OME>')


def write(name, planes, xml, **kw):
    with tifffile.TiffWriter(out + name) as tif:
        for i, p in enumerate(planes):
            tif.write(p, description=xml if i == 0 else None, metadata=None, contiguous=False, **kw)


def td(ifd, c, z, t, count=None, file=None, schema='2016'):
    key = 'PlaneCount' if schema == '2016' else 'NumPlanes'
    n = '' if count is None else f' {key}="{count}"'
    uuid = '' if file is None else f'<UUID FileName="{file}">urn:uuid:0000-{file}</UUID>'
    return f'<TiffData IFD="{ifd}" FirstC="{c}" FirstZ="{z}" FirstT="{t}"{n}>{uuid}</TiffData>'


rng = random.Random(7)

# Shuffled pages, one TiffData per plane (2016-06), C=2 Z=3 T=2.
planes = raster('XYZCT', 2, 3, 2)
perm = list(range(len(planes)))
rng.shuffle(perm)
stored = [planes[p] for p in perm]
write('shuffled_2016.ome.tif', [plane(value(*p)) for p in stored],
      ome('2016', [('main', pixels('2016', 'XYZCT', 2, 3, 2, ''.join(td(i, *p, count=1) for i, p in enumerate(stored))))]))

# 2008-02: time points stored in reverse, one TiffData per time point with NumPlanes, XYCZT.
sc, sz, st = 2, 2, 3
stored, tds = [], ''
for k, t in enumerate(reversed(range(st))):
    tds += td(k * sc * sz, 0, 0, t, count=sc * sz, schema='2008')
    stored += [p for p in raster('XYCZT', sc, sz, st) if p[2] == t]
write('reversed_2008.ome.tif', [plane(value(*p)) for p in stored],
      ome('2008', [('old', pixels('2008', 'XYCZT', sc, sz, st, tds))]))

# <TiffData/> alone: every page in dimension order from IFD 0 (XYCTZ, C=2 Z=2 T=3).
write('default_map.ome.tif', [plane(value(*p)) for p in raster('XYCTZ', 2, 2, 3)],
      ome('2016', [('d', pixels('2016', 'XYCTZ', 2, 2, 3, '<TiffData/>'))]))

# IFD 3, PlaneCount 5 (three leading pages not used); the other planes are blank.
write('offset_map.ome.tif', [plane(250)] * 3 + [plane(value(*p)) for p in raster('XYZTC', 3, 4, 2)[:5]],
      ome('2016', [('o', pixels('2016', 'XYZTC', 3, 4, 2, '<TiffData IFD="3" PlaneCount="5"/>'))]))

# An acquisition stopped early: 12 planes described, 9 pages written; PhysicalSizeZ 0 (unknown).
write('short.ome.tif', [plane(value(*p)) for p in raster('XYZCT', 2, 3, 2)[:9]],
      ome('2016', [('s', pixels('2016', 'XYZCT', 2, 3, 2, '<TiffData/>',
                                phys='PhysicalSizeX="0.25" PhysicalSizeY="0.25" PhysicalSizeZ="0.0"'))]))

# A set of two files (channel 0 in set_1, channel 1 in set_2), each with the whole metadata.
tds = ''.join(td(z, c, z, 0, count=1, file=f'set_{c + 1}.ome.tif') for c in range(2) for z in range(3))
xml = ome('2016', [('set', pixels('2016', 'XYZCT', 2, 3, 1, tds))])
for c in range(2):
    write(f'set_{c + 1}.ome.tif', [plane(value(c, z, 0)) for z in range(3)], xml)

# The metadata in the first file only: the second names it in a BinaryOnly element.
tds = ''.join(td(z, c, z, 0, count=1, file=f'part_{c + 1}.ome.tif') for c in range(2) for z in range(3))
write('part_1.ome.tif', [plane(value(0, z, 0)) for z in range(3)], ome('2016', [('part', pixels('2016', 'XYZCT', 2, 3, 1, tds))]))
write('part_2.ome.tif', [plane(value(1, z, 0)) for z in range(3)],
      f'<?xml version="1.0" encoding="UTF-8"?><OME xmlns="{NS["2016"]}" UUID="urn:uuid:0000-part_2">'
      '<BinaryOnly MetadataFile="part_1.ome.tif" UUID="urn:uuid:0000-part_1"/></OME>')

# A set whose second file is missing, and one that names a file outside its folder.
write('gap_1.ome.tif', [plane(value(0, z, 0)) for z in range(3)],
      ome('2016', [('gap', pixels('2016', 'XYZCT', 2, 3, 1,
                                  ''.join(td(z, c, z, 0, count=1, file=f'gap_{c + 1}.ome.tif') for c in range(2) for z in range(3))))]))
write('escape.ome.tif', [plane(value(0, z, 0)) for z in range(3)],
      ome('2016', [('esc', pixels('2016', 'XYZCT', 2, 3, 1,
                                  td(0, 0, 0, 0, count=3, file='escape.ome.tif') + td(0, 1, 0, 0, count=3, file='../set_2.ome.tif')))]))

# Two Images: the main one (C=2 Z=3) and an overview of 8x6 (C=2 Z=1) in the pages after it.
main = raster('XYZCT', 2, 3, 1)
write('two_images.ome.tif', [plane(value(*p)) for p in main] + [plane(100 + c, 8, 6) for c in range(2)],
      ome('2016', [('main', pixels('2016', 'XYZCT', 2, 3, 1, '<TiffData IFD="0" PlaneCount="6"/>')),
                   ('overview', pixels('2016', 'XYZCT', 2, 1, 1, '<TiffData IFD="6" PlaneCount="2"/>', w=8, h=6))]))

# A hostile map: a huge PlaneCount (held at the planes there are), an IFD beyond the file mapped
# over z 1, an unreadable IFD and a position outside the image (both ignored). Z=4, 3 pages.
write('hostile.ome.tif', [plane(value(0, z, 0)) for z in range(3)],
      ome('2016', [('h', pixels('2016', 'XYZCT', 1, 4, 1, '<TiffData IFD="0" PlaneCount="1000000000"/>'
                                '<TiffData IFD="99" FirstZ="1"/><TiffData IFD="-5" FirstZ="2"/>'
                                '<TiffData IFD="0" FirstZ="7"/>'))]))

# A pyramid: three pages of 16x12, each with an 8x6 level (value + 100) in its SubIFDs.
with tifffile.TiffWriter(out + 'pyramid.tif') as tif:
    for z in range(3):
        tif.write(plane(value(0, z, 0)), subifds=1, metadata=None)
        tif.write(plane(value(0, z, 0) + 100, 8, 6), subfiletype=1, metadata=None)

# Resolution tags: 72 per inch is a screen density, 300 per centimetre a calibration.
tifffile.imwrite(out + 'dpi72.tif', plane(7), resolution=(72, 72), resolutionunit='INCH', metadata=None)
tifffile.imwrite(out + 'per_cm300.tif', plane(7), resolution=(300, 300), resolutionunit='CENTIMETER', metadata=None)

# A plain file: three pages of 16x12, then a thumbnail of 4x3.
write('thumb.tif', [plane(value(0, z, 0)) for z in range(3)] + [plane(99, 4, 3)], None)

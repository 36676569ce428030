#!/usr/bin/python3
"""Reading an exchange document into Python: dorvellxsd.read_features with typed values and WKB
geometries beside the GDAL Python loop over the same document (osgeo.ogr: every field of every
feature and ExportToWkb of its geometry), and beside read_features without a schema (the
document's text).

    read_features.py DOCUMENT SCHEMA [--runs R]   each way R times by turns, in processes of
                                                  their own: min, median, max seconds, peak MB,
                                                  and the ratios of the medians to the GDAL loop
    read_features.py --only WAY DOCUMENT SCHEMA   one way once, in this process (bench/run times
                                                  it); WAY is gdal, typed or text

The package imported is the one on PYTHONPATH (bench/run puts build-bench/python there).
"""

import argparse
import os
import statistics
import subprocess
import sys
import time

WAYS = ("typed", "gdal", "text")


def read_with_gdal(document: str, schema: str) -> int:
    """Every field and the WKB of every geometry, as a GDAL Python host reads them."""
    from osgeo import gdal, ogr
    gdal.UseExceptions()
    # GDAL reads the field types from the schema the document names, and writes no .gfs beside it.
    source = gdal.OpenEx(document, gdal.OF_VECTOR, open_options=["WRITE_GFS=NO"])
    count = 0
    for layer in (source.GetLayer(i) for i in range(source.GetLayerCount())):
        fields = range(layer.GetLayerDefn().GetFieldCount())
        for feature in layer:
            values = [feature.GetField(i) for i in fields]
            geometry = feature.GetGeometryRef()
            wkb = geometry.ExportToWkb() if geometry is not None else None
            count += 1 if values is not None and wkb is not None else 0
    return count


def read_with_dorvellxsd(document: str, schema: str, typed: bool) -> int:
    import dorvellxsd
    count = 0
    for feature in dorvellxsd.read_features(document, schema=schema if typed else None):
        count += 1 if feature.geometry is not None else 0
    return count


def run_one(way: str, document: str, schema: str) -> int:
    if way == "gdal":
        return read_with_gdal(document, schema)
    return read_with_dorvellxsd(document, schema, way == "typed")


def measure(way: str, document: str, schema: str) -> tuple[float, float, int]:
    """Wall seconds, peak resident MB and features of one run in a process of its own."""
    start = time.perf_counter()
    process = subprocess.Popen([sys.executable, __file__, "--only", way, document, schema],
                               stdout=subprocess.PIPE, text=True)
    output = process.stdout.read()
    _, status, usage = os.wait4(process.pid, 0)
    seconds = time.perf_counter() - start
    process.returncode = os.waitstatus_to_exitcode(status)
    process.stdout.close()
    if process.returncode != 0:
        sys.exit(f"read_features.py: {way} failed")
    return seconds, usage.ru_maxrss / 1024, int(output.split()[0])


def main() -> None:
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("document")
    parser.add_argument("schema")
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--only", choices=WAYS)
    arguments = parser.parse_args()
    if arguments.only:
        print(run_one(arguments.only, arguments.document, arguments.schema))
        return

    seconds: dict[str, list[float]] = {way: [] for way in WAYS}
    peaks: dict[str, float] = {way: 0.0 for way in WAYS}
    counts: dict[str, int] = {}
    # By turns, so that a slower stretch of a shared machine falls on every way alike.
    for _ in range(arguments.runs):
        for way in WAYS:
            wall, peak, count = measure(way, arguments.document, arguments.schema)
            seconds[way].append(wall)
            peaks[way] = max(peaks[way], peak)
            counts[way] = count
    if len(set(counts.values())) != 1:
        sys.exit(f"read_features.py: the ways read different numbers of features: {counts}")
    print(f"{counts['gdal']} features; {arguments.runs} run(s) each")
    print(f"{'way':<34}{'min s':>8}{'median s':>10}{'max s':>8}{'peak MB':>9}")
    for way in WAYS:
        values = sorted(seconds[way])
        print(f"{LABELS[way]:<34}{values[0]:8.2f}{statistics.median(values):10.2f}{values[-1]:8.2f}"
              f"{peaks[way]:9.0f}")
    gdal_median = statistics.median(seconds["gdal"])
    for way in ("typed", "text"):
        print(f"  {LABELS[way]} / GDAL loop: {statistics.median(seconds[way]) / gdal_median:.2f}")


LABELS = {"typed": "read_features(schema=...)", "gdal": "osgeo.ogr loop + ExportToWkb",
          "text": "read_features() (text)"}

if __name__ == "__main__":
    main()

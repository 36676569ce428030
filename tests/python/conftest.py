"""Shared fixtures: the sample data as a GeoPackage in a folder with a non-ASCII name, and the
document exported from it."""

import os
import pathlib
import re
import shutil
import subprocess

import pytest

import dorvellxsd

TABLES = {"Building": 120, "Parcel": 150, "Rightholder": 30, "Road": 40, "SurveyPoint": 80}


def pytest_configure(config):
    # The package under test is the one of this build, not one installed elsewhere.
    expected = os.environ.get("DORVELLXSD_PACKAGE_DIR")
    if expected and pathlib.Path(dorvellxsd.__file__).parent.resolve() != pathlib.Path(expected).resolve():
        raise pytest.UsageError(f"imported {dorvellxsd.__file__}, expected the package in {expected}")
    # Messages in one language whatever the machine's locale.
    dorvellxsd.set_language("en")


@pytest.fixture(scope="session")
def work(tmp_path_factory) -> pathlib.Path:
    """A folder with Cyrillic letters and a blank, holding the schema beside gml/gml.xsd."""
    folder = tmp_path_factory.mktemp("py") / "обмен данными"
    examples = pathlib.Path(os.environ["DORVELLXSD_EXAMPLES_DIR"])
    shutil.copytree(examples, folder, ignore=shutil.ignore_patterns("data"))
    return folder


@pytest.fixture(scope="session")
def schema(work) -> pathlib.Path:
    return work / "pelmak.xsd"


@pytest.fixture(scope="session")
def source(work) -> pathlib.Path:
    path = work / "исходные.gpkg"
    data = pathlib.Path(os.environ["DORVELLXSD_EXAMPLES_DIR"]) / "data"
    for i, table in enumerate(TABLES):
        mode = ["-update"] if i else []
        ogr2ogr("-f", "GPKG", *mode, path, data / f"{table}.geojson", "-nln", table)
    return path


@pytest.fixture(scope="session")
def document(work, schema, source) -> pathlib.Path:
    path = work / "выгрузка.gml"
    dorvellxsd.export(schema, source, path)
    return path


def shared_catalog() -> pathlib.Path:
    """The catalog of the shared reference data, which maps the official schemas' addresses to
    local copies; skips the test where it is missing."""
    catalog = pathlib.Path(os.environ.get("DORVELLXSD_SHARED_DATA_DIR", "shared data unknown")) / "catalog.xml"
    if not catalog.is_file():
        pytest.skip(f"no shared catalog at {catalog}")
    return catalog


def ogr2ogr(*arguments) -> None:
    subprocess.run([os.environ.get("DORVELLXSD_OGR2OGR", "ogr2ogr"), *map(str, arguments)], check=True)


def feature_count(data_source, layer: str) -> int:
    """The number of features in the layer, as GDAL itself counts them."""
    report = subprocess.run([os.environ.get("DORVELLXSD_OGRINFO", "ogrinfo"), "-ro", "-so", str(data_source), layer],
                            check=True, capture_output=True, text=True).stdout
    return int(re.search(r"^Feature Count: (\d+)$", report, re.MULTILINE).group(1))

"""Reading with the schema: typed values, geometries as WKB with their system, a GeoDataFrame."""

import datetime
import decimal

import pytest

import dorvellxsd
from conftest import TABLES


@pytest.fixture(scope="module")
def typed(schema, document):
    return {(f.table, f.id): f for f in dorvellxsd.read_features(document, schema=schema)}


def test_values_have_the_types_of_their_attributes(typed, document):
    assert len(typed) == sum(TABLES.values())
    as_written = {(f.table, f.id): f for f in dorvellxsd.read_features(document)}
    parcel, text = typed["Parcel", 5], as_written["Parcel", 5]
    # Every digit of a decimal kept; text types as written; gYear has no Python type of its own.
    assert parcel.values["area"] == decimal.Decimal(text.values["area"])
    assert parcel.values["address"] == "д. Берёзовка, улица Ленина, уч. 5"
    building = typed["Building", 1]
    assert type(building.values["floors"]) is int and str(building.values["floors"]) == \
        as_written["Building", 1].values["floors"]
    assert all(f.values["yearBuilt"] is None or isinstance(f.values["yearBuilt"], str)
               for (table, _), f in typed.items() if table == "Building")
    assert all(f.geometry is None for (table, _), f in typed.items() if table == "Rightholder")


def test_geometries_are_wkb_in_the_system_their_srs_name_names(typed):
    geometry = typed["SurveyPoint", 1].geometry
    assert geometry.epsg == 32637 and geometry.srs_name == "urn:ogc:def:crs:EPSG::32637"
    shapely = pytest.importorskip("shapely")
    point = geometry.to_shapely()
    # UTM zone 37N, easting first whatever order the document wrote.
    assert isinstance(point, shapely.geometry.Point) and 300000 < point.x < 700000 < point.y


def test_a_value_not_of_its_type_is_refused_naming_where(work, schema, document):
    text = document.read_text(encoding="utf-8").replace("<area>3533.5</area>", "<area>3 533,5</area>", 1)
    broken = work / "не число.gml"
    broken.write_text(text, encoding="utf-8")
    with pytest.raises(dorvellxsd.RefusedError,
                       match="Table Parcel, feature 5: the value «3 533,5» of attribute area is not a value of "
                             "type decimal"):
        list(dorvellxsd.read_features(broken, schema=schema))


def test_geodataframe_has_typed_columns_and_the_system(schema, document, typed):
    geopandas = pytest.importorskip("geopandas")
    frame = dorvellxsd.to_geodataframe(schema, document, "Parcel")
    assert isinstance(frame, geopandas.GeoDataFrame) and len(frame) == TABLES["Parcel"]
    assert list(frame.columns) == ["cadNumber", "area", "landUse", "address", "holderId", "geometry"]
    assert str(frame.dtypes["area"]) == "float64" and frame.crs.to_epsg() == 32637
    assert frame.loc[5, "area"] == float(typed["Parcel", 5].values["area"])
    assert frame.loc[5, "geometry"].equals(typed["Parcel", 5].geometry.to_shapely())
    buildings = dorvellxsd.to_geodataframe(schema, document, "Building")
    assert str(buildings.dtypes["floors"]) == "Int64" and buildings["material"].isna().any()
    holders = dorvellxsd.to_geodataframe(schema, document, "Rightholder")
    assert len(holders) == TABLES["Rightholder"] and "geometry" not in holders.columns

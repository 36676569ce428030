"""An application schema's related tables, and a document read into them."""

import os
import pathlib

import dorvellxsd
from conftest import feature_count, shared_catalog

RELATED = pathlib.Path(os.environ["DORVELLXSD_TEST_DATA_DIR"]) / "xsd" / "related"
GML, XLINK, PARCELS = "{http://www.opengis.net/gml/3.2}", "{http://www.w3.org/1999/xlink}", "{urn:test:parcels}"


def test_related_tables_and_the_import_into_them(work):
    catalog = shared_catalog()
    related = dorvellxsd.read_related_tables(RELATED / "parcels.xsd", catalog=catalog)
    tables = {table.name: table for table in related.tables}
    contact = tables["Parcel_owner_contact"]
    assert (contact.parent, contact.parent_path) == ("Parcel_owner", (PARCELS + "Owner", PARCELS + "contact"))
    assert tables["Parcel"].key.attribute == GML + "id"
    columns = {column.name: column for column in tables["Parcel"].columns}
    assert columns["inspireId_localId"].path == tuple(PARCELS + step for step in ("inspireId", "Identifier", "localId"))
    assert columns["geometry"] == dorvellxsd.RelatedColumn("geometry", "geometry", (PARCELS + "geometry",), None,
                                                           None, "MultiSurface")
    href = next(column for column in tables["Parcel_unit"].columns if column.attribute == XLINK + "href")
    assert (href.role, href.path, href.value_type) == ("value", (), "anyURI")
    assert related.fragments and related.target_namespace == "urn:test:parcels"
    several = dorvellxsd.read_related_tables(RELATED / "parcels.xsd", catalog=catalog, several_geometries=True)
    assert "Parcel_referencePoint" in tables and "Parcel_referencePoint" not in {t.name for t in several.tables}

    target = work / "связанные.gpkg"
    counts = dorvellxsd.import_document(RELATED / "two-parcels.gml", target, schema=RELATED / "parcels.xsd",
                                        create=True, related=True, catalog=catalog)
    assert counts["Parcel"] == 2 and counts["Parcel_owner_contact"] == 2
    assert feature_count(target, "Parcel_owner") == 2

    document = work / "обратно.gml"
    report = dorvellxsd.export(RELATED / "parcels.xsd", target, document, related=True, validate=True, catalog=catalog)
    assert report.error_count == 0 and document.read_text().count("<p:Parcel ") == 2

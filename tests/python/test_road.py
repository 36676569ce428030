"""The whole road from Python: schema, export, validation, reading, import, export again."""

import json
import os
import pathlib
import subprocess

import pytest

import dorvellxsd
from conftest import TABLES, shared_catalog


def test_schema_describes_tables_and_attributes(schema):
    tables = {table.name: table for table in dorvellxsd.read_schema(schema)}
    assert list(tables) == sorted(TABLES)
    building = tables["Building"]
    assert building.type == "BuildingType"
    assert building.attributes[0] == dorvellxsd.Attribute("address", "plain", 1, "Адрес", "string")
    assert building.attributes[1].value_type == "positiveInteger"
    assert building.attributes[2].min_occurs == 0
    assert building.geometry is not None and building.geometry.kind == "geometry"
    assert building.geometry.value_type is None
    assert tables["Rightholder"].geometry is None


def test_schema_lists_each_table_the_lookups_reach():
    # Two tables named Road, and Zone beside ZONE: the first of each is what export would use.
    patterns = pathlib.Path(os.environ["DORVELLXSD_TEST_DATA_DIR"]) / "xsd" / "patterns.xsd"
    tables = dorvellxsd.read_schema(patterns)
    assert [t.name for t in tables] == ["Marker", "Parcel", "Road", "Zone", "Участок"]


def test_geometry_properties_are_geometries():
    schema = pathlib.Path(os.environ["DORVELLXSD_TEST_DATA_DIR"]) / "xsd" / "geometry-property.xsd"
    (well,) = dorvellxsd.read_schema(schema)
    assert [(a.name, a.kind, a.value_type) for a in well.attributes] == [
        ("number", "plain", "int"), ("position", "geometry", None), ("note", "plain", "string"),
        ("site", "geometry", None)]
    assert well.geometry.name == "position"


def test_export_validate_import_and_export_again(work, schema, source):
    calls = []
    document = work / "дорога.gml"
    result = dorvellxsd.export(schema, source, document, validate=True,
                               progress=lambda *call: calls.append(call))
    assert result == dorvellxsd.ValidationResult(0, [])
    assert calls == [(name, i + 1, len(TABLES)) for i, name in enumerate(sorted(TABLES))]

    # A new GeoPackage, its layers made from the schema, receives every feature.
    target = work / "цель.gpkg"
    assert dorvellxsd.import_document(document, target, create=True, schema=schema) == TABLES

    again = work / "снова.gml"
    dorvellxsd.export(schema, target, again)
    assert again.read_bytes() == document.read_bytes()


@pytest.mark.skipif("DORVELLXSD_TOOL" not in os.environ, reason="the build has no xsdexchange")
@pytest.mark.parametrize("schema_name", ["pelmak.xsd", "pelmak-gml32.xsd"])
def test_the_tool_and_the_module_give_the_same_results(work, source, schema_name):
    # One service behind both hosts: the same document, the same validation, the same import.
    schema, catalog = work / schema_name, shared_catalog()
    tool = lambda *arguments: subprocess.run([os.environ["DORVELLXSD_TOOL"], "--lang", "en", *map(str, arguments)],
                                             capture_output=True, text=True)
    by_tool, by_module = work / f"tool-{schema_name}.gml", work / f"module-{schema_name}.gml"
    assert tool("export", schema, source, by_tool).returncode == 0
    dorvellxsd.export(schema, source, by_module)
    assert by_tool.read_bytes() == by_module.read_bytes()

    by_module.write_bytes(by_module.read_bytes().replace(b"<floors>2</floors>", b"<floors>two</floors>", 1))
    checked = tool("validate", "--format", "json", "--catalog", catalog, schema, by_module)
    (report,) = json.loads(checked.stdout)
    result = dorvellxsd.validate(schema, by_module, catalog=catalog)
    assert report["errors"] == result.error_count > 0
    assert [(d["line"], d["column"], d["message"], d["feature"]) for d in report["diagnostics"]] == \
        [(d.line, d.column, d.message, d.feature) for d in result.diagnostics]

    targets = work / f"tool-{schema_name}.gpkg", work / f"module-{schema_name}.gpkg"
    assert tool("import", "--create", schema, by_tool, targets[0]).returncode == 0
    assert dorvellxsd.import_document(by_tool, targets[1], create=True, schema=schema) == TABLES
    again = [work / f"again-{i}-{schema_name}.gml" for i in range(2)]
    for target, document in zip(targets, again):
        dorvellxsd.export(schema, target, document)
    assert again[0].read_bytes() == again[1].read_bytes() == by_tool.read_bytes()


def test_export_of_chosen_tables_with_a_filter(work, schema, source):
    document = work / "фильтр.gml"
    dorvellxsd.export(str(schema), str(source), str(document), tables=["Road"], where="lanes >= 2")
    features = list(dorvellxsd.read_features(document))
    assert features and {f.table for f in features} == {"Road"}
    assert all(int(f.values["lanes"]) >= 2 for f in features)
    assert len(features) < TABLES["Road"]


def test_import_of_chosen_tables_into_new_layers(work, schema, document):
    # Only the layers of the tables asked for are made; creating them needs the schema.
    target = work / "выбранные.gpkg"
    with pytest.raises(dorvellxsd.RefusedError, match="needs the document's schema"):
        dorvellxsd.import_document(document, target, tables=["Parcel"], create=True)
    counts = dorvellxsd.import_document(document, target, tables=["Rightholder", "Parcel"], create=True,
                                        schema=schema)
    assert counts == {"Parcel": 150, "Rightholder": 30}
    # A second import adds to the layers that now exist.
    assert dorvellxsd.import_document(document, target, tables=["Parcel"]) == {"Parcel": 150}

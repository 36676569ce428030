"""Reading features batch by batch, writing them back, and validation with feature ids and
catalogs."""

import os
import pathlib
import re

import pytest

import dorvellxsd
from conftest import TABLES, shared_catalog


def test_features_are_the_same_in_any_batch_size(document):
    one_batch = list(dorvellxsd.read_features(document, batch_size=100000))
    assert len(one_batch) == sum(TABLES.values())
    # 7 divides no table's size, so batches straddle the tables.
    assert list(dorvellxsd.read_features(document, batch_size=7)) == one_batch
    assert all(f.geometry is None for f in one_batch if f.table == "Rightholder")
    assert {f.table for f in dorvellxsd.read_features(document, tables=["Road"])} == {"Road"}


def test_reader_reads_no_further_than_the_caller_asks(work, document):
    # The document breaks off in its last table: the features before come out, then the refusal.
    text = document.read_text(encoding="utf-8")
    cut = work / "обрыв.gml"
    cut.write_text(text[:text.index('<SurveyPoint gml:id="SurveyPoint.5"')], encoding="utf-8")
    reader = dorvellxsd.read_features(cut, batch_size=3)
    assert [next(reader).id for _ in range(4)] == [1, 2, 3, 4]
    with pytest.raises(dorvellxsd.RefusedError):
        list(reader)


def test_writer_gives_back_the_document_it_was_fed(work, schema, document):
    copy = work / "копия.gml"
    with dorvellxsd.DocumentWriter(schema, copy) as writer:
        writer.write(dorvellxsd.read_features(document, batch_size=50))
    assert writer.feature_count == sum(TABLES.values())
    assert copy.read_bytes() == document.read_bytes()


def test_writer_interrupted_by_an_exception_leaves_the_earlier_file(work, schema):
    path = work / "прежний.gml"
    path.write_bytes(b"earlier content")
    feature = dorvellxsd.Feature("Rightholder", 1, {"holderId": "1", "name": "n", "kind": "k", "inn": "7"})
    with pytest.raises(KeyError):
        with dorvellxsd.DocumentWriter(schema, path) as writer:
            writer.write(feature)
            raise KeyError("interrupted")
    assert writer.feature_count == 1
    assert path.read_bytes() == b"earlier content"
    assert sorted(p.name for p in work.iterdir() if p.name.startswith("прежний")) == ["прежний.gml"]


@pytest.fixture(scope="module")
def broken(work, document):
    """The document with a letter in Parcel.5's area and a Road without its lanes."""
    text = document.read_text(encoding="utf-8")
    text = text.replace("<area>3533.5</area>", "<area>много</area>", 1)
    start = text.index('<Road gml:id="Road.2">')
    lanes = text.index("<lanes>", start)
    text = text[:lanes] + text[text.index("</lanes>", lanes) + len("</lanes>"):]
    path = work / "испорченный.gml"
    path.write_text(text, encoding="utf-8")
    return path


def test_validation_names_the_feature_of_each_diagnostic(schema, document, broken):
    assert list(dorvellxsd.iter_validate(schema, document)) == []
    result = dorvellxsd.validate(schema, broken)
    assert not result.valid and result.error_count == len(result.diagnostics) == 2
    assert [d.feature for d in result.diagnostics] == ["Parcel.5", "Road.2"]
    assert all(d.line > 0 and d.column > 0 and d.message for d in result.diagnostics)
    # The iterator form yields the same diagnostics, one at a time.
    diagnostics = dorvellxsd.iter_validate(schema, broken, catalog=[])
    assert next(diagnostics) == result.diagnostics[0]
    assert list(diagnostics) == result.diagnostics[1:]


@pytest.mark.parametrize("version, address", [
    ("gml311", "http://schemas.opengis.net/gml/3.1.1/base/gml.xsd"),
    ("gml32", "http://schemas.opengis.net/gml/3.2.1/gml.xsd"),
])
def test_schema_importing_gml_by_its_address_loads_through_a_catalog(version, address):
    offline = pathlib.Path(os.environ["DORVELLXSD_TEST_DATA_DIR"]) / "offline"
    schema, document = offline / f"exchange-{version}.xsd", offline / f"wells-{version}.gml"
    # The network stays closed unless asked for: the load stops at the address, which it names,
    # without trying it.
    with pytest.raises(dorvellxsd.RefusedError, match=re.escape(address) + ".*network access is off"):
        dorvellxsd.validate(schema, document)

    result = dorvellxsd.validate(schema, document, catalog=shared_catalog())
    assert result.error_count == len(result.diagnostics) == 1
    assert result.diagnostics[0].feature == "Well.2"

"""The library's failures as Python exceptions, their classes and their messages."""

import pytest

import dorvellxsd
from dorvellxsd import DataSourceError, DorvellxsdError, RefusedError


def test_exception_classes():
    assert issubclass(RefusedError, ValueError) and issubclass(RefusedError, DorvellxsdError)
    assert issubclass(DataSourceError, OSError) and issubclass(DataSourceError, DorvellxsdError)


@pytest.mark.parametrize("call, error, message_part", [
    # The library's own messages arrive whole, in its source language, each class through the one
    # translator every call shares: from a plain call, an iterator and a writer.
    (lambda w, s, d: dorvellxsd.export(s, w / "нет.gpkg", w / "x.gml"), DataSourceError, "нет.gpkg"),
    (lambda w, s, d: list(dorvellxsd.read_features(w / "нет.gml")), DataSourceError, "нет.gml"),
    (lambda w, s, d: dorvellxsd.export(s, w / "исходные.gpkg", w / "нет" / "x.gml"), DataSourceError, "x.gml"),
    (lambda w, s, d: dorvellxsd.export(s, w / "исходные.gpkg", w / "x.gml", tables=["Нет"]),
     RefusedError, "The schema declares no table Нет"),
    (lambda w, s, d: dorvellxsd.read_features(d, batch_size=0).__next__(), RefusedError, "batch"),
    # A table asked for that the document lacks, found out once the document is read.
    (lambda w, s, d: list(dorvellxsd.read_features(d, tables=["Road", "Нет"])), RefusedError,
     "has no table Нет"),
    (lambda w, s, d: dorvellxsd.import_document(d, w / "исходные.gpkg", tables=["Нет"]), RefusedError,
     "has no table Нет"),
])
def test_failures_raise_the_right_class_with_the_message(work, schema, source, document, call, error,
                                                         message_part):
    with pytest.raises(error) as raised:
        call(work, schema, document)
    assert message_part in str(raised.value)


ACCEPTED = dorvellxsd.Feature("Rightholder", 1, {"holderId": "1", "name": "n", "kind": "k", "inn": "7"})


@pytest.mark.parametrize("feature, message", [
    # (Attributes the table lacks, or lacks a value for: the exchange writer's tests.)
    (dorvellxsd.Feature("Road", 5, {"name": "n", "roadClass": "c", "lanes": "2"}),
     "Table Road, feature 5: no value for the geometry, which the schema requires"),
    (dorvellxsd.Feature("Нет", 8, {}), "The schema declares no table Нет"),
])
def test_writer_refuses_what_it_cannot_write_exactly(tmp_path, schema, feature, message):
    path = tmp_path / "отказ.gml"
    writer = dorvellxsd.DocumentWriter(schema, path)
    with pytest.raises(RefusedError, match=message):
        writer.write([feature])
    assert writer.feature_count == 0 and not path.exists()
    # The refused run left nothing in the document, which takes the next features as before.
    writer.write(ACCEPTED)
    writer.commit()
    assert list(dorvellxsd.read_features(path)) == [ACCEPTED]
    with pytest.raises(RefusedError, match="committed or discarded already"):
        writer.write(ACCEPTED)


@pytest.mark.parametrize("call, message", [
    # Arguments of a wrong type are refused in the library's words, before anything is read.
    (lambda w, s, d: dorvellxsd.export(1, w / "исходные.gpkg", w / "x.gml"), "Argument schema must be a path, not int"),
    (lambda w, s, d: dorvellxsd.read_features(d, tables=["Road", 2]),
     "Argument tables must be a string or a list of strings, not int"),
    (lambda w, s, d: dorvellxsd.validate(s, d, allow_network="no"), "Argument allow_network must be a boolean, not str"),
    (lambda w, s, d: dorvellxsd.read_features(d, batch_size="10"), "Argument batch_size must be an integer, not str"),
    (lambda w, s, d: dorvellxsd.import_document(d, w / "x.gpkg", schema=3.5),
     "Argument schema must be a path, not float"),
    # The order before the schema came first: the document's path names the schema.
    (lambda w, s, d: dorvellxsd.DocumentWriter(w / "x.gml", s),
     "Argument path names the schema .*pelmak.xsd, not a document: the schema comes first"),
    (lambda w, s, d: dorvellxsd.DocumentWriter(s, w / "x.gml").write(ACCEPTED._replace(values={"holderId": 1})),
     "Table Rightholder, feature 1: the value of attribute holderId must be a string, not int"),
])
def test_wrong_argument_types_raise_type_error_in_the_librarys_words(work, schema, document, call, message):
    with pytest.raises(TypeError, match=message):
        call(work, schema, document)


def test_refusals_follow_the_language_of_messages(document):
    dorvellxsd.set_language("ru")
    try:
        with pytest.raises(TypeError, match="Аргумент batch_size должен быть целым числом, а не float"):
            dorvellxsd.read_features(document, batch_size=1.5)
    finally:
        dorvellxsd.set_language("en")

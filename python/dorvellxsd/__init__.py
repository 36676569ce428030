"""Moves vector features between GDAL/OGR data sources and schema-bound GML 3 exchange documents,
and validates such documents against their XSD.

Paths are str or os.PathLike; texts are str. Errors of the library arrive as
:class:`RefusedError` (a ValueError: an input it refused) or :class:`DataSourceError` (an
OSError: a data source it could not open), both :class:`DorvellxsdError`, with the library's
message unchanged. GDAL's drivers are registered on import unless the host has done so.

Arguments of a wrong type raise TypeError, worded by the library. A schema a function needs
is its first argument; every option is a keyword, in one order across functions: schema, tables,
where, create, related, allow_partial, allow_dropping, validate, catalog, allow_network, max_diagnostics,
progress, batch_size.

Documents and layers are read and written a batch of features at a time, so memory does not
grow with their size. Validation reaches the network for no schema unless the caller passes
``allow_network=True``: give catalog files that map the imported schemas' addresses to local
copies instead.
"""

from __future__ import annotations

import os
from dataclasses import dataclass, field
from itertools import groupby
from typing import Any, Callable, Iterable, Iterator, NamedTuple, Optional, Sequence, Union

from ._errors import DataSourceError, DorvellxsdError, RefusedError
from . import _core

__all__ = [
    "Attribute", "DataSourceError", "Diagnostic", "DocumentWriter", "DorvellxsdError", "Feature",
    "FeatureReader", "Geometry", "RefusedError", "RelatedColumn", "RelatedTable", "RelatedTables", "Table",
    "ValidationResult", "export", "import_document", "iter_validate", "read_features", "read_related_tables",
    "read_schema", "set_language", "to_geodataframe", "validate",
]

__version__: str = _core.__version__

PathArg = Union[str, "os.PathLike[str]"]
Catalog = Union[None, PathArg, Sequence[PathArg]]

#: Features the reader converts at a time.
DEFAULT_BATCH_SIZE = 1000

#: Diagnostics of one document a validation keeps; the rest are counted.
DEFAULT_MAX_DIAGNOSTICS = 1000

# Plain, a geometry in the feature itself, a geometry wrapped in its property element.
_KINDS = ("plain", "geometry", "geometry")


@dataclass(frozen=True)
class Attribute:
    """One column of a table: ``kind`` is "plain" or "geometry"; ``min_occurs`` 0 marks an
    optional one; ``annotation`` is the user-facing name the schema gives it, or None;
    ``value_type`` is the XML Schema built-in type a plain column's simple type derives from
    ("int", "decimal", "date", "string", ...), None for a geometry."""

    name: str
    kind: str
    min_occurs: int
    annotation: Optional[str]
    value_type: Optional[str] = None


@dataclass(frozen=True)
class Table:
    """A table the schema declares: its element name, its type and its attributes in order."""

    name: str
    type: str
    attributes: tuple[Attribute, ...]

    @property
    def geometry(self) -> Optional[Attribute]:
        """The geometry attribute, or None for a table without geometry."""
        return next((a for a in self.attributes if a.kind == "geometry"), None)


# The roles of a related column (pelmak::XsdRelatedColumn::Role), by their values.
_ROLES = ("value", "geometry", "fragment", "key", "parent_key", "position", "link")


@dataclass(frozen=True)
class RelatedColumn:
    """One column of a related table and where its value stands below the element a row is read
    from: down ``path`` (element names, outermost first; empty for that element itself), in the
    text of the last one or in its XML ``attribute``. Names are in Clark notation,
    "{namespace}local". ``role`` is "value", "geometry" (GML text), "fragment" (the element kept
    whole as XML text), "key" (the row's key), "parent_key" (the key of its parent's row),
    "position" (among the rows of one parent row, from 1) or "link" (the key of the row a feature
    inline at ``path`` starts in its own table). ``value_type`` is the XML Schema
    built-in type of a value, ``geometry_type`` the GML elements a geometry may be ("Point",
    "Polygon|MultiSurface"); None where they do not apply."""

    name: str
    role: str
    path: tuple[str, ...]
    attribute: Optional[str]
    value_type: Optional[str]
    geometry_type: Optional[str]


@dataclass(frozen=True)
class RelatedTable:
    """A table of the relational reading of a schema: a feature type's (``parent`` None), or a
    child table of what repeats in a row of ``parent``, at ``parent_path`` below the parent's row
    element. ``row_element`` is the element each row is read from."""

    name: str
    columns: tuple[RelatedColumn, ...]
    parent: Optional[str]
    parent_path: tuple[str, ...]
    row_element: str

    @property
    def key(self) -> Optional[RelatedColumn]:
        """The column of the row's own key."""
        return next((c for c in self.columns if c.role == "key"), None)


@dataclass(frozen=True)
class RelatedTables:
    """The related tables of a schema, parents before their children; what the reading keeps as
    XML text rather than in typed columns, a line each; the schema's target namespace."""

    tables: tuple[RelatedTable, ...]
    fragments: tuple[str, ...]
    target_namespace: Optional[str]


@dataclass(frozen=True)
class Diagnostic:
    """A validator message with its position and the gml:id of the feature it lies in, if any."""

    line: int
    column: int
    message: str
    feature: Optional[str] = None


@dataclass(frozen=True)
class ValidationResult:
    """The first diagnostics of a document (``max_diagnostics`` of them at most), the number of
    errors among all it has (warnings do not count), and how many diagnostics were only counted."""

    error_count: int
    diagnostics: list[Diagnostic] = field(default_factory=list)
    diagnostics_not_kept: int = 0

    @property
    def valid(self) -> bool:
        """True when the document has no error."""
        return self.error_count == 0


class Geometry(NamedTuple):
    """A geometry as ISO WKB (little-endian, x or longitude first) with the EPSG code of the system
    its srsName names and that srsName as written (None where the document gives none)."""

    wkb: bytes
    epsg: Optional[int] = None
    srs_name: Optional[str] = None

    def to_shapely(self) -> Any:
        """The geometry as a shapely geometry; needs shapely (Debian: python3-shapely)."""
        import shapely.wkb
        return shapely.wkb.loads(self.wkb)


class Feature(NamedTuple):
    """One feature: its table, its id, its values by attribute name and its geometry (None for a
    table without geometry or a feature without one).

    Read with a schema, the values are typed (see :func:`read_features`) and the geometry is a
    :class:`Geometry`; read without one, and as :class:`DocumentWriter` takes them, values are
    the document's text and the geometry is GML 3 text. A table's first geometry is the feature's
    geometry; any further geometry property is among the values."""

    table: str
    id: int
    values: dict[str, Any]
    geometry: Union[None, str, Geometry] = None


# The library's host refusals (pelmak::XsdHostRefusal), by their values.
_NOT_PATH, _NOT_TEXT, _NOT_TEXTS, _NOT_INTEGER, _NOT_BOOLEAN, _VALUE_NOT_TEXT, _PATH_IS_SCHEMA = range(7)
_SYSTEMS_MIXED = 8


def _refusal(refusal: int, *arguments: object) -> str:
    """The library's message of one of the package's refusals, in its language."""
    return _core.host_refusal(refusal, [str(argument) for argument in arguments])


def _type_error(refusal: int, name: str, given: object) -> TypeError:
    return TypeError(_refusal(refusal, name, type(given).__name__))


def _path(path: PathArg, name: str) -> str:
    """A path argument as the str the native part takes."""
    if not isinstance(path, (str, bytes, os.PathLike)):
        raise _type_error(_NOT_PATH, name, path)
    return os.fsdecode(os.fspath(path))


def _optional_path(path: Optional[PathArg], name: str) -> str:
    """An optional path as str, "" for None."""
    return "" if path is None else _path(path, name)


def _text(text: Optional[str], name: str) -> str:
    """An optional str argument, "" for None."""
    if text is not None and not isinstance(text, str):
        raise _type_error(_NOT_TEXT, name, text)
    return text or ""


def _names(tables: Union[None, str, Iterable[str]], name: str = "tables") -> list[str]:
    """Table names as a list; None (all tables) becomes the empty list."""
    if tables is None:
        return []
    if isinstance(tables, str):
        return [tables]
    try:
        names = list(tables)
    except TypeError:
        raise _type_error(_NOT_TEXTS, name, tables) from None
    for entry in names:
        if not isinstance(entry, str):
            raise _type_error(_NOT_TEXTS, name, entry)
    return names


def _integer(number: int, name: str) -> int:
    if isinstance(number, bool) or not isinstance(number, int):
        raise _type_error(_NOT_INTEGER, name, number)
    return number


def _boolean(flag: bool, name: str) -> bool:
    if not isinstance(flag, bool):
        raise _type_error(_NOT_BOOLEAN, name, flag)
    return flag


def _catalog_files(catalog: Catalog) -> list[str]:
    """One catalog path or several, as a list of str."""
    if catalog is None:
        return []
    if isinstance(catalog, (str, bytes, os.PathLike)):
        return [_path(catalog, "catalog")]
    if not isinstance(catalog, Iterable):
        raise _type_error(_NOT_PATH, "catalog", catalog)
    return [_path(entry, "catalog") for entry in catalog]


def set_language(language: str) -> None:
    """Chooses the language of every message the package raises: "ru" or "en"; "" follows the
    locale (LC_ALL, LC_MESSAGES, LANG), as on import: Russian in a Russian locale, English in
    every other. Texts of the XML parser and of GDAL inside a message stay as they word them.

    Raises RefusedError for another language.
    """
    _core.set_language(_text(language, "language"))


def read_schema(path: PathArg, *, catalog: Catalog = None) -> list[Table]:
    """Reads an exchange schema; returns its tables sorted by name. Of tables whose names are
    equal or differ only in letter case, the library reaches only the first the schema declares,
    and only that one is returned. ``catalog``: OASIS XML catalog files through which the
    locations of the schema's includes and imports are resolved (see :func:`validate`).

    Raises RefusedError for a schema that cannot be read or that declares nothing usable.
    """
    return [
        Table(name, type_, tuple(Attribute(a, _KINDS[kind], min_occurs, annotation or None, value_type or None)
                                 for a, kind, min_occurs, annotation, value_type in attributes))
        for name, type_, attributes in _core.describe_schema(_path(path, "path"), _catalog_files(catalog))
    ]


def read_related_tables(path: PathArg, *, catalog: Catalog = None,
                        several_geometries: bool = False) -> RelatedTables:
    """Reads an application schema (INSPIRE, a cadastre's) into related tables: a table per
    concrete feature type with its single values, nested data types flattened into prefixed
    columns, and a child table per property that may repeat, nested as the properties nest.
    The schema is loaded as :func:`validate` loads it, its imports through ``catalog``, never
    from the network. With ``several_geometries``, the tables as a target whose tables take
    several geometry columns (PostgreSQL, SQLite) holds them: every geometry property that occurs
    once in a column of its feature's table, where otherwise a second goes into a child table.

    Raises RefusedError for a schema the validating parser refuses or that declares no concrete
    feature type, DataSourceError for one that cannot be read.
    """
    tables, fragments, namespace = _core.describe_related_tables(_path(path, "path"), _catalog_files(catalog),
                                                                  _boolean(several_geometries, "several_geometries"))
    return RelatedTables(
        tuple(RelatedTable(name, tuple(RelatedColumn(column, _ROLES[role], tuple(steps), attribute or None,
                                                     value_type or None, geometry_type or None)
                                       for column, role, steps, attribute, value_type, geometry_type in columns),
                           parent or None, tuple(parent_path), row_element)
              for name, columns, parent, parent_path, row_element in tables),
        tuple(fragments), namespace or None)


def export(schema: PathArg, source: PathArg, output: PathArg, *, tables: Optional[Iterable[str]] = None,
           where: Optional[str] = None, validate: bool = False, catalog: Catalog = None,
           allow_network: bool = False, max_diagnostics: int = DEFAULT_MAX_DIAGNOSTICS,
           progress: Optional[Callable[[str, int, int], None]] = None,
           related: bool = False) -> Optional[ValidationResult]:
    """Writes tables of a data source into one exchange document at ``output``.

    ``tables``: the tables to write, each declared by the schema (names ignore letter case, and a
    table named twice is written once); None writes every table of the schema that has a layer in
    the source. ``where``: an attribute filter for every layer.
    ``progress(table, done, total)`` is called after each table. The features go to the
    document a batch at a time; the file is replaced only once the whole document is written,
    and an export that fails leaves the earlier file as it was. With ``validate`` the saved
    document is checked against the schema (with ``catalog``, ``allow_network`` and
    ``max_diagnostics``, as :func:`validate` does) and the result returned; otherwise None.
    Ctrl-C stops the export between batches, leaving the earlier file. With ``related``, the
    related tables that ``import_document(related=True)`` made are written back as the features of
    the schema (``tables`` then names feature tables, ``where`` does not apply); with ``validate``
    a document the schema does not take is refused before it replaces the earlier file.

    Raises DataSourceError when the source cannot be opened, RefusedError for anything the
    library refuses (an unknown table, a value it cannot write, an unwritable output).
    """
    report = _core.export_document(_path(schema, "schema"), _path(source, "source"), _path(output, "output"),
                                   _names(tables), _text(where, "where"), _catalog_files(catalog),
                                   _boolean(allow_network, "allow_network"), _boolean(validate, "validate"),
                                   _integer(max_diagnostics, "max_diagnostics"), _boolean(related, "related"),
                                   progress)
    return _result(report) if report is not None else None


def import_document(document: PathArg, target: PathArg, *, schema: Optional[PathArg] = None,
                    tables: Optional[Iterable[str]] = None, create: bool = False, related: bool = False,
                    allow_partial: bool = False, allow_dropping: bool = False, catalog: Catalog = None,
                    allow_network: bool = False) -> dict[str, int]:
    """Inserts the features of an exchange document into a data source, in one transaction.

    The document is read a batch of features at a time and each batch inserted inside that one
    transaction, so a failure in any batch leaves none of the document's features stored.
    ``tables``: the document's tables to insert, each of which the document must hold; None
    inserts all. With ``create``, which needs the document's ``schema``, the target gets the
    layers it lacks (a new GeoPackage when the target does not exist): a field per attribute,
    typed from its XML Schema type (integers, reals for decimal and double, boolean, date, date
    and time, text for any other), and a geometry column in the system of the table's first
    geometry. Returns the number of features created per table. On failure nothing is inserted,
    and the layers (or the GeoPackage) the call created are removed again.

    With ``related``, which needs the ``schema`` too, the document is read into the related tables
    of the schema (:func:`read_related_tables`): each feature with what it nests and repeats, in
    its table and their child tables; ``tables`` then names feature tables, each bringing its
    child tables along.

    A value the target has no place for (a field its layer lacks, a geometry where it has no
    geometry column) is refused, naming each table and attribute, unless ``allow_dropping``.
    ``catalog`` serves the schema's includes and imports; ``allow_network`` lets GDAL fetch what
    the target names.

    A target whose driver has no transactions (a folder of shapefiles, say) is refused unless
    ``allow_partial`` is true: then every table's layer and fields are checked before the first
    feature is written, but a failure later on leaves the features inserted before it.

    Raises DataSourceError when the target cannot be opened or created, RefusedError for a
    document or a value the library refuses, a table the document lacks, or a target without
    transactions.
    """
    return _core.import_document(_path(document, "document"), _path(target, "target"), _names(tables),
                                 _boolean(create, "create"), _boolean(related, "related"),
                                 _optional_path(schema, "schema"),
                                 _boolean(allow_partial, "allow_partial"), _boolean(allow_dropping, "allow_dropping"),
                                 _catalog_files(catalog), _boolean(allow_network, "allow_network"))


def iter_validate(schema: PathArg, document: PathArg, *, catalog: Catalog = None,
                  allow_network: bool = False,
                  max_diagnostics: int = DEFAULT_MAX_DIAGNOSTICS) -> Iterator[Diagnostic]:
    """Validates a document against a schema and yields its diagnostics one by one, in the order
    the validator found them, each with the feature it lies in; the arguments are those of
    :func:`validate`.

    Raises RefusedError when the schema cannot be loaded.
    """
    return iter(validate(schema, document, catalog=catalog, allow_network=allow_network,
                         max_diagnostics=max_diagnostics).diagnostics)


def validate(schema: PathArg, document: PathArg, *, catalog: Catalog = None,
             allow_network: bool = False, max_diagnostics: int = DEFAULT_MAX_DIAGNOSTICS) -> ValidationResult:
    """Validates a document against a schema: the first ``max_diagnostics`` diagnostics (line,
    column, message, and the gml:id of the feature they lie in, found in the same pass), the error
    count of the whole document, and how many diagnostics were only counted.

    ``catalog``: OASIS XML catalog files (one path or several) through which every schema
    location the exchange schema imports or includes is resolved first. A location no catalog
    maps is read from its address; a network address (http, https, ftp) only with
    ``allow_network``, which is off by default, as in the command-line tool.

    Raises RefusedError when the schema cannot be loaded (a schema at a network address without
    ``allow_network`` among the reasons, named in the message) or a catalog cannot be read.
    """
    return _result(_core.validate_document(_path(schema, "schema"), _path(document, "document"),
                                           _catalog_files(catalog), _boolean(allow_network, "allow_network"),
                                           _integer(max_diagnostics, "max_diagnostics")))


def _result(report: tuple) -> ValidationResult:
    """The native report as a ValidationResult."""
    errors, diagnostics, not_kept = report
    return ValidationResult(errors, [Diagnostic(*row) for row in diagnostics], not_kept)


class FeatureReader:
    """An iterator of the :class:`Feature` records of a document, read and converted
    ``batch_size`` at a time, in document order, table by table: one batch is in memory."""

    def __init__(self, document: PathArg, *, schema: Optional[PathArg] = None,
                 tables: Optional[Iterable[str]] = None, catalog: Catalog = None,
                 batch_size: int = DEFAULT_BATCH_SIZE):
        """Opens the document (and reads the schema); raises RefusedError for one the library
        cannot open. Reading starts with the first feature asked for."""
        self._batches = _core.FeatureBatches(_path(document, "document"), _names(tables),
                                             _optional_path(schema, "schema"), _catalog_files(catalog),
                                             Feature, Geometry)
        self._batch_size = _integer(batch_size, "batch_size")
        self._pending: Iterator[Feature] = iter(())

    def __iter__(self) -> "FeatureReader":
        """The reader is its own iterator."""
        return self

    def __next__(self) -> Feature:
        """The next feature, converting the next batch when the last one is used up."""
        for feature in self._pending:
            return feature
        if self._batches.at_end():
            raise StopIteration
        self._pending = iter(self._batches.next(self._batch_size))
        return next(self)


def read_features(document: PathArg, *, schema: Optional[PathArg] = None, tables: Optional[Iterable[str]] = None,
                  catalog: Catalog = None, batch_size: int = DEFAULT_BATCH_SIZE) -> FeatureReader:
    """The features of an exchange document (of ``tables`` only, when given) as an iterator.

    With the document's ``schema`` (its includes and imports through ``catalog``) each value has
    the Python type of its attribute's XML Schema type: int for the integer types, decimal.Decimal
    for decimal (every digit kept), float for double and float, bool, datetime.date,
    datetime.datetime and datetime.time (with their time zone where the value names one), str for
    every other type; None where a value of a type other than text is empty or nil. Geometries
    are :class:`Geometry` values, WKB with their system. Without a schema, values and geometries
    are the document's text, which :class:`DocumentWriter` takes back unchanged; an empty element
    and a nil one then both read as "".

    Raises RefusedError for a document the library cannot read, while iterating where the
    document turns out to be broken after its start or a value is not of its type (naming table,
    feature and attribute), and at the end for a table of ``tables`` the document lacks.
    """
    return FeatureReader(document, schema=schema, tables=tables, catalog=catalog, batch_size=batch_size)


def to_geodataframe(schema: PathArg, document: PathArg, table: str, *, catalog: Catalog = None) -> Any:
    """The features of one table of a document as a geopandas GeoDataFrame, indexed by feature
    id; needs geopandas (Debian: python3-geopandas).

    A column per plain attribute, in the schema's order, typed as :func:`read_features` types its
    values and held in the pandas type that holds every value exactly: Int64 for integers,
    float64 for double and float and for decimals of at most 15 significant digits, boolean,
    datetime64 for dates and for date-times without a zone or all with the same one; Python objects
    where the values do not fit one (a decimal of more digits, date-times in several zones), and
    for times and text. The table's first geometry is the active "geometry" column, any other a
    geometry column of its own name, each with the system its geometries name (None where they
    name none). Raises RefusedError as :func:`read_features` does, and where one geometry
    column's geometries are in several systems.
    """
    import geopandas
    import pandas

    table_name = _text(table, "table")
    declared = next((t for t in read_schema(schema, catalog=catalog) if t.name.lower() == table_name.lower()),
                    None)
    features = list(read_features(document, schema=schema, tables=[table_name], catalog=catalog))
    name = declared.name if declared is not None else table_name
    frame = pandas.DataFrame(index=pandas.Index([f.id for f in features], name="id"))
    geometries: dict[str, Any] = {}
    for attribute in declared.attributes if declared is not None else ():
        column_name = "geometry" if attribute is declared.geometry else attribute.name
        if attribute is declared.geometry:
            values = [f.geometry for f in features]
        else:
            values = [f.values.get(attribute.name) for f in features]
        if attribute.kind == "geometry":
            geometries[column_name] = geopandas.GeoSeries.from_wkb(
                [g.wkb if g is not None else None for g in values], index=frame.index,
                crs=_system_of(name, values))
        else:
            frame[column_name] = _column(_core.value_kind(attribute.value_type), values, frame.index)
    for column_name, series in geometries.items():
        frame[column_name] = series
    return geopandas.GeoDataFrame(frame, geometry="geometry" if "geometry" in geometries else None)


def _system_of(table: str, geometries: list) -> Optional[str]:
    """The one system that a column's geometries name, as "EPSG:n"; None where they name none."""
    systems = sorted({g.epsg for g in geometries if g is not None and g.epsg is not None})
    if len(systems) > 1:
        raise RefusedError(_refusal(_SYSTEMS_MIXED, table, ", ".join(f"EPSG:{code}" for code in systems)))
    return f"EPSG:{systems[0]}" if systems else None


# A double gives back every decimal of at most this many significant digits unchanged.
_DOUBLE_DIGITS = 15


def _column(kind: str, values: list, index: Any) -> Any:
    """A column of typed values in the pandas type that holds them all exactly, else of objects."""
    import pandas

    present = [v for v in values if v is not None]
    if kind == "integer" and all(-2**63 <= v < 2**63 for v in present):
        return pandas.array(values, dtype="Int64")
    if kind == "real":
        return pandas.Series(values, index=index, dtype="float64")
    if kind == "decimal" and all(len(v.normalize().as_tuple().digits) <= _DOUBLE_DIGITS for v in present):
        return pandas.Series([float(v) if v is not None else None for v in values], index=index, dtype="float64")
    if kind == "boolean":
        return pandas.array(values, dtype="boolean")
    if kind in ("date", "datetime") and len({getattr(v, "tzinfo", None) for v in present}) <= 1:
        try:
            return pandas.Series(pandas.to_datetime(values), index=index)
        except (OverflowError, ValueError):
            pass
    return pandas.Series(values, index=index, dtype=object)


def _check_values(feature: Feature) -> None:
    """Refuses a value that is not text: the writer writes the text it is given."""
    for attribute, value in feature.values.items():
        if value is not None and not isinstance(value, str):
            raise TypeError(_refusal(_VALUE_NOT_TEXT, feature.table, feature.id, attribute, type(value).__name__))
    if feature.geometry is not None and not isinstance(feature.geometry, str):
        raise TypeError(_refusal(_VALUE_NOT_TEXT, feature.table, feature.id, "geometry",
                                 type(feature.geometry).__name__))


class DocumentWriter:
    """Writes features of a schema's tables into a new exchange document.

    The features go to a file beside ``path`` as they are written, so memory does not grow with
    the document; commit() puts it in place of ``path``. Used as a context manager the writer
    commits on a normal exit and, when the block raises, discards the document and leaves any
    earlier file at ``path`` as it was::

        with DocumentWriter("pelmak.xsd", "out.gml") as writer:
            writer.write(read_features("in.gml"))

    The schema comes first, as in :func:`export` and :func:`validate`; a ``path`` that names an
    .xsd file, as the order before version 0.1 gave it, is refused with TypeError before any file
    is touched.
    """

    def __init__(self, schema: PathArg, path: PathArg, *, catalog: Catalog = None):
        """Reads the schema (its includes and imports through ``catalog``) and opens the file
        beside ``path``; nothing replaces ``path`` before commit(). Raises RefusedError for a
        schema it cannot read, a path that is the schema, or a path it cannot write."""
        document = _path(path, "path")
        if document.lower().endswith(".xsd"):
            raise TypeError(_refusal(_PATH_IS_SCHEMA, "path", document))
        self._native = _core.DocumentWriter(_path(schema, "schema"), document, _catalog_files(catalog))

    @property
    def feature_count(self) -> int:
        """Features written so far."""
        return self._native.feature_count

    def write(self, features: Iterable[Feature]) -> None:
        """Appends features; each value a str, each table declared by the schema. A name the table
        lacks, a missing value of a required attribute or a geometry that is no XML is refused
        (RefusedError) and nothing of that table's run of features is written. One Feature
        may be given alone."""
        if isinstance(features, Feature):
            features = [features]
        for table, run in groupby(features, key=lambda f: f.table):
            rows = []
            for feature in run:
                _check_values(feature)
                rows.append((feature.id, dict(feature.values), feature.geometry))
            self._native.write(table, rows)

    def commit(self) -> None:
        """Ends the document and puts it in place of the file at the path. A document without
        features is an empty collection. Raises RefusedError when the file cannot be saved (the
        earlier file stays) or the document was committed or discarded already."""
        self._native.commit()

    def discard(self) -> None:
        """Drops the document written so far; any earlier file at the path stays. The writer can
        then neither write nor commit."""
        self._native.discard()

    def __enter__(self) -> "DocumentWriter":
        """The writer itself."""
        return self

    def __exit__(self, exc_type, exc, traceback) -> None:
        """Commits the document unless the block raised; then discards it, and the block's
        exception goes on."""
        if exc_type is None:
            self.commit()
        else:
            self.discard()

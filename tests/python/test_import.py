"""The import's consents, asked for in the module's words."""

import pytest

import dorvellxsd
from dorvellxsd import RefusedError
from conftest import TABLES, feature_count, ogr2ogr


def test_consents_are_asked_for_by_their_arguments(work, source, document):
    # Shapefiles have no transactions, and this layer has no field for most attributes.
    folder = work / "шейпы"
    ogr2ogr("-f", "ESRI Shapefile", "-lco", "ENCODING=UTF-8", "-select", "name", folder, source, "Rightholder")
    with pytest.raises(RefusedError, match="(?s)has no transactions.*allow_partial=True"):
        dorvellxsd.import_document(document, folder, tables=["Rightholder"])
    with pytest.raises(RefusedError, match="(?s)holderId.*allow_dropping=True"):
        dorvellxsd.import_document(document, folder, tables=["Rightholder"], allow_partial=True)
    counts = dorvellxsd.import_document(document, folder, tables=["Rightholder"], allow_partial=True,
                                        allow_dropping=True)
    assert counts == {"Rightholder": TABLES["Rightholder"]}
    assert feature_count(folder, "Rightholder") == 2 * TABLES["Rightholder"]

"""Import is all or nothing across its batches, and asks before writing where it cannot be."""

import re
import shutil

import pytest

import dorvellxsd
from dorvellxsd import RefusedError
from conftest import TABLES, feature_count, ogr2ogr

# More features than one batch of the import holds, so that a failure in the last batch comes
# after earlier batches went to the target.
MANY = 1500


@pytest.fixture(scope="module")
def failing_at_the_end(work, schema, document):
    """Every Road, then MANY survey points, the last with a position of one coordinate."""
    features = list(dorvellxsd.read_features(document, tables=["Road", "SurveyPoint"]))
    roads = [f for f in features if f.table == "Road"]
    points = [f for f in features if f.table == "SurveyPoint"]
    path = work / "сбой в конце.gml"
    with dorvellxsd.DocumentWriter(schema, path) as writer:
        writer.write(roads)
        writer.write(points[i % len(points)]._replace(id=i + 1) for i in range(MANY - 1))
        last = points[0]._replace(id=MANY, geometry=re.sub(r"<gml:pos>[^<]*</gml:pos>",
                                                           "<gml:pos>412000</gml:pos>", points[0].geometry))
        writer.write(last)
    return path


def test_failure_in_the_last_batch_leaves_the_target_as_it_was(work, source, failing_at_the_end):
    target = work / "целое.gpkg"
    shutil.copyfile(source, target)
    with pytest.raises(RefusedError):
        dorvellxsd.import_document(failing_at_the_end, target)
    assert [feature_count(target, t) for t in ("Road", "SurveyPoint")] == [TABLES["Road"], TABLES["SurveyPoint"]]

    # Without the broken feature every batch goes in.
    counts = dorvellxsd.import_document(failing_at_the_end, target, tables=["Road"])
    assert counts == {"Road": TABLES["Road"]} and feature_count(target, "Road") == 2 * TABLES["Road"]


@pytest.fixture(scope="module")
def holders_then_roads(work, schema, document):
    """MANY rightholders, then every Road: the roads come in a later batch of the import."""
    holders = list(dorvellxsd.read_features(document, tables=["Rightholder"]))
    path = work / "владельцы и дороги.gml"
    with dorvellxsd.DocumentWriter(schema, path) as writer:
        writer.write(holders[i % len(holders)]._replace(id=i + 1) for i in range(MANY))
        writer.write(dorvellxsd.read_features(document, tables=["Road"]))
    return path


def test_target_without_transactions_needs_consent_and_is_checked_first(work, source, holders_then_roads):
    folder = work / "шейпы"
    ogr2ogr("-f", "ESRI Shapefile", "-lco", "ENCODING=UTF-8", folder, source, "Rightholder")
    with pytest.raises(RefusedError, match="(?s)has no transactions.*allow_partial=True"):
        dorvellxsd.import_document(holders_then_roads, folder, tables=["Rightholder"])
    # Road has no layer there: refused before the first batch of rightholders is written.
    with pytest.raises(RefusedError, match="Road"):
        dorvellxsd.import_document(holders_then_roads, folder, allow_partial=True)
    assert feature_count(folder, "Rightholder") == TABLES["Rightholder"]

    counts = dorvellxsd.import_document(holders_then_roads, folder, tables=["Rightholder"], allow_partial=True)
    assert counts == {"Rightholder": MANY}
    assert feature_count(folder, "Rightholder") == TABLES["Rightholder"] + MANY


def test_layer_is_made_only_in_a_system_known_without_reading_files(work, schema, document):
    # A srsName naming a file of the machine is not read: the layer would be in a system the
    # document only points at.
    system = work / "система.wkt"
    system.write_text('GEOGCS["WGS 84",DATUM["WGS_1984",SPHEROID["WGS 84",6378137,298.257223563]],'
                      'PRIMEM["Greenwich",0],UNIT["degree",0.0174532925199433]]')
    point = next(dorvellxsd.read_features(document, tables=["SurveyPoint"]))
    path = work / "система.gml"
    with dorvellxsd.DocumentWriter(schema, path) as writer:
        writer.write(point._replace(geometry=re.sub(r'srsName="[^"]*"', f'srsName="{system}"', point.geometry)))
    with pytest.raises(RefusedError, match="is not one GDAL knows offline"):
        dorvellxsd.import_document(path, work / "система.gpkg", create=True, schema=schema)

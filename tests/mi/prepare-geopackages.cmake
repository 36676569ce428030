# Builds the GeoPackages of the facade tests from the sample data: SOURCE with the layers
# Parcel, Road and SurveyPoint, TARGET with the same layers and no features.
# Variables: OGR2OGR, EXAMPLES, SOURCE, TARGET.
include(${CMAKE_CURRENT_LIST_DIR}/../package/run.cmake)

file(REMOVE ${SOURCE} ${TARGET})
get_filename_component(folder ${SOURCE} DIRECTORY)
file(MAKE_DIRECTORY ${folder})
set(mode)
foreach(layer Parcel Road SurveyPoint)
    set(input ${EXAMPLES}/data/${layer}.geojson)
    run(${OGR2OGR} -f GPKG ${mode} ${SOURCE} ${input} -nln ${layer})
    run(${OGR2OGR} -f GPKG ${mode} ${TARGET} ${input} -nln ${layer} -where "0=1")
    set(mode -update) # the first layer creates the files, the others join them
endforeach()

# Builds the Debian packages of the build tree, has lintian check them, unpacks them into a fresh
# root with dpkg-deb and uses them from there: the consumer builds against the development package,
# the tool runs its demo, the Python package reads a schema. Each program must load the library of
# that root.
#
# Variables: BUILD_DIR, WORK_DIR, CONSUMER_DIR, SCHEMA, EXPECTED_TABLES, PYTHON_TABLES (the tables
#            read_schema gives), CXX, CPACK, DPKG_DEB, LINTIAN, PYTHON, PYTHON_DIR (the package folder under the prefix), VERSION, SONAME_VERSION.

include(${CMAKE_CURRENT_LIST_DIR}/run.cmake)

function(expect condition_text)
    if(NOT ${ARGN})
        message(FATAL_ERROR "${condition_text}")
    endif()
endfunction()

file(REMOVE_RECURSE ${WORK_DIR})
run(${CPACK} -G DEB --config ${BUILD_DIR}/CPackConfig.cmake -B ${WORK_DIR}/packages)
# Debian's own checks: the maintainer's address, the copyright file, the manual page...
file(GLOB debs ${WORK_DIR}/packages/*.deb)
run(${LINTIAN} --fail-on error ${debs})

set(lib_package libdorvellxsd${SONAME_VERSION})
set(root ${WORK_DIR}/root)
foreach(package ${lib_package} libdorvellxsd-dev xsdexchange python3-dorvellxsd)
    file(GLOB deb ${WORK_DIR}/packages/${package}_${VERSION}_*.deb)
    expect("no package ${package} in ${WORK_DIR}/packages" deb)
    run(${DPKG_DEB} --field ${deb} Depends)
    set(depends "${RUN_OUTPUT}")
    if(NOT package STREQUAL lib_package)
        string(FIND "${depends}" "${lib_package} (= ${VERSION})" at)
        expect("${package} does not depend on ${lib_package} ${VERSION}: ${depends}" at GREATER -1)
    endif()
    if(package STREQUAL lib_package OR package STREQUAL xsdexchange)
        # Computed from the binaries, not written by hand.
        string(FIND "${depends}" "libqt5core5a" at)
        expect("${package} lacks its computed dependencies: ${depends}" at GREATER -1)
    endif()
    run(${DPKG_DEB} -x ${deb} ${root})
endforeach()

file(GLOB deb ${WORK_DIR}/packages/${lib_package}_*.deb)
run(${DPKG_DEB} --info ${deb} shlibs)
expect("shlibs of ${lib_package}: ${RUN_OUTPUT}"
    RUN_OUTPUT STREQUAL "libdorvellxsd ${SONAME_VERSION} ${lib_package} (>= ${VERSION})\n")

# The consumer against the development package.
run(${CMAKE_COMMAND} -S ${CONSUMER_DIR} -B ${WORK_DIR}/consumer -DCMAKE_PREFIX_PATH=${root}/usr
    -DCMAKE_CXX_COMPILER=${CXX})
run(${CMAKE_COMMAND} --build ${WORK_DIR}/consumer)
run(${WORK_DIR}/consumer/list-tables ${SCHEMA})
expect("the consumer printed \"${RUN_OUTPUT}\", expected \"${EXPECTED_TABLES}\""
    RUN_OUTPUT STREQUAL EXPECTED_TABLES)

# The tool finds the library and its sample data in the root, and its manual page is there.
set(tool ${root}/usr/bin/xsdexchange)
set(ENV{LD_TRACE_LOADED_OBJECTS} 1)
run(${tool})
unset(ENV{LD_TRACE_LOADED_OBJECTS})
string(REGEX MATCH "libdorvellxsd[.]so[.][0-9.]+ => ([^ ]+)" loaded "${RUN_OUTPUT}")
get_filename_component(loaded "${CMAKE_MATCH_1}" REALPATH)
get_filename_component(packaged "${root}/usr/lib/libdorvellxsd.so.${SONAME_VERSION}" REALPATH)
expect("the tool loads \"${loaded}\", not the library of the root" loaded STREQUAL packaged)
run(${tool} demo ${WORK_DIR}/demo)
expect("no manual page in the tool's package" EXISTS ${root}/usr/share/man/man1/xsdexchange.1.gz)

# The Python package imports from the root and loads the library of the root.
set(ENV{PYTHONPATH} ${root}/usr/${PYTHON_DIR})
run(${PYTHON} -c "
import sys, dorvellxsd
assert dorvellxsd.__file__.startswith(sys.argv[1]), dorvellxsd.__file__
maps = open('/proc/self/maps').read()
assert sys.argv[1] + '/usr/lib/libdorvellxsd.so.' in maps, 'the library of the root is not loaded'
print(*(t.name for t in dorvellxsd.read_schema(sys.argv[2])), sep=chr(10))
" ${root} ${SCHEMA})
expect("the Python package read \"${RUN_OUTPUT}\", expected \"${PYTHON_TABLES}\""
    RUN_OUTPUT STREQUAL PYTHON_TABLES)

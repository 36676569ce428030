# Debian packages through CPack (`cpack -G DEB` in the build folder, `make package` at the top):
#   libdorvellxsd0.1     the shared library and its translations (named after the SONAME)
#   libdorvellxsd-dev    headers, CMake package and pkg-config file
#   xsdexchange          the command-line tool, its manual page and the sample data
#   python3-dorvellxsd   the Python package
# Dependencies on other Debian packages are computed by dpkg-shlibdeps from the binaries.

set(DORVELLXSD_SONAME_VERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR})
# The project, not a person: the address names no mailbox of anyone's.
set(DORVELLXSD_MAINTAINER "dorvellxsd developers <dorvellxsd@users.noreply.invalid>" CACHE STRING
    "Maintainer field of the Debian packages")

set(CPACK_PACKAGE_NAME dorvellxsd)
set(CPACK_PACKAGE_VENDOR "dorvellxsd developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
# Empty, so that each package's description begins with a synopsis of its own.
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "")
set(CPACK_GENERATOR DEB)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL lib dev)
if(DORVELLXSD_BUILD_TOOLS)
    list(APPEND CPACK_COMPONENTS_ALL tool)
endif()
if(DORVELLXSD_BUILD_PYTHON)
    list(APPEND CPACK_COMPONENTS_ALL python)
endif()

set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${DORVELLXSD_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The tool and the Python module need the library of the same build; dpkg-shlibdeps finds it
# here and its dependency information in the shlibs file of libdorvellxsd0.1.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${PROJECT_BINARY_DIR}/src/dorvellxsd)

set(lib_package libdorvellxsd${DORVELLXSD_SONAME_VERSION})
set(exact_lib "${lib_package} (= ${PROJECT_VERSION})")

# Descriptions: a synopsis, then the long text, each line under 80 columns.
set(CPACK_DEBIAN_LIB_PACKAGE_NAME ${lib_package})
set(CPACK_DEBIAN_LIB_PACKAGE_SECTION libs)
set(CPACK_COMPONENT_LIB_DESCRIPTION "GML 3 exchange between GDAL/OGR data sources and XSD schemas
A shared library that reads an XSD exchange schema into tables and attributes,
reads the features of any GDAL/OGR data source, writes them as a schema-bound
GML 3 document and reads such documents back, inserts features into data
sources in one transaction, and validates documents against their schema.")
# The shlibs file lets packages built against the library depend on it; the trigger runs
# ldconfig once for all packages installed together.
set(control_dir ${PROJECT_BINARY_DIR}/debian-control)
file(WRITE ${control_dir}/shlibs
    "libdorvellxsd ${DORVELLXSD_SONAME_VERSION} ${lib_package} (>= ${PROJECT_VERSION})\n")
file(WRITE ${control_dir}/triggers "activate-noawait ldconfig\n")
set(CPACK_DEBIAN_LIB_PACKAGE_CONTROL_EXTRA ${control_dir}/shlibs ${control_dir}/triggers)
set(CPACK_DEBIAN_LIB_PACKAGE_CONTROL_STRICT_PERMISSION ON)

set(CPACK_DEBIAN_DEV_PACKAGE_NAME libdorvellxsd-dev)
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEV_PACKAGE_DEPENDS "${exact_lib}, qtbase5-dev")
set(CPACK_COMPONENT_DEV_DESCRIPTION "development files of the dorvellxsd library
Headers of the Qt-typed API and of the standard-type facade, the CMake
package (find_package(dorvellxsd)) and the pkg-config file of the library
that moves features between GDAL/OGR data sources and GML 3 documents.")

set(CPACK_DEBIAN_TOOL_PACKAGE_NAME xsdexchange)
set(CPACK_DEBIAN_TOOL_PACKAGE_SECTION science)
set(CPACK_DEBIAN_TOOL_PACKAGE_DEPENDS ${exact_lib})
set(CPACK_COMPONENT_TOOL_DESCRIPTION "exchange of GIS features through schema-bound GML 3 documents
A command-line tool that lists the tables of an exchange schema and the
layers of a data source, exports layers to a GML exchange document,
validates documents against their schema, imports documents into a data
source, and runs a demonstration on bundled sample data.")

set(CPACK_DEBIAN_PYTHON_PACKAGE_NAME python3-dorvellxsd)
set(CPACK_DEBIAN_PYTHON_PACKAGE_SECTION python)
if(DORVELLXSD_BUILD_PYTHON)
    # The native module is built for one minor version of the interpreter.
    math(EXPR next_minor "${Python3_VERSION_MINOR} + 1")
    set(CPACK_DEBIAN_PYTHON_PACKAGE_DEPENDS "${exact_lib}, python3 (>= ${Python3_VERSION_MAJOR}.${Python3_VERSION_MINOR}), python3 (<< ${Python3_VERSION_MAJOR}.${next_minor})")
endif()
set(CPACK_COMPONENT_PYTHON_DESCRIPTION "Python 3 package of the dorvellxsd GML exchange library
The Python package dorvellxsd: reads exchange schemas, exports data sources
to exchange documents, validates and imports them, and iterates over or
writes their features.")

# Every package carries its copyright and changelog, as Debian's policy asks. The copyright file
# is the licence of LICENSE in Debian's machine-readable form, so the two cannot disagree.
set(doc_source ${PROJECT_SOURCE_DIR}/cmake/debian)
set(doc_build ${PROJECT_BINARY_DIR}/debian-doc)
file(READ ${PROJECT_SOURCE_DIR}/LICENSE licence)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/LICENSE)
if(NOT licence MATCHES "^MIT License\n\nCopyright \\(c\\) ([^\n]+)\n\n(.+)$")
    message(FATAL_ERROR "LICENSE does not begin with \"MIT License\" and its copyright line")
endif()
set(DORVELLXSD_COPYRIGHT "${CMAKE_MATCH_1}")
# Each line indented by a space, an empty one written as " .".
string(STRIP "${CMAKE_MATCH_2}" licence_text)
string(REPLACE "\n\n" "\n.\n" licence_text "${licence_text}")
string(REPLACE "\n" "\n " DORVELLXSD_LICENSE_TEXT " ${licence_text}")
configure_file(${doc_source}/copyright.in ${doc_build}/copyright @ONLY)
configure_file(${doc_source}/changelog.in ${doc_build}/changelog @ONLY)
find_program(DORVELLXSD_GZIP gzip)
if(DORVELLXSD_GZIP)
    add_custom_command(OUTPUT ${doc_build}/changelog.gz
        COMMAND ${DORVELLXSD_GZIP} -9n -c ${doc_build}/changelog > ${doc_build}/changelog.gz
        DEPENDS ${doc_build}/changelog)
    add_custom_target(dorvellxsd_debian_changelog ALL DEPENDS ${doc_build}/changelog.gz)
endif()
foreach(component IN LISTS CPACK_COMPONENTS_ALL)
    string(TOUPPER ${component} upper)
    set(doc_dir ${CMAKE_INSTALL_DATADIR}/doc/${CPACK_DEBIAN_${upper}_PACKAGE_NAME})
    install(FILES ${doc_build}/copyright DESTINATION ${doc_dir} COMPONENT ${component})
    install(FILES ${doc_build}/changelog.gz DESTINATION ${doc_dir} COMPONENT ${component} OPTIONAL)
endforeach()

include(CPack)

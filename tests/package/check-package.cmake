# Installs the build tree into a fresh prefix and builds a consumer against the installed
# package twice: through find_package(dorvellxsd) and through pkg-config.
#
# Variables: BUILD_DIR, WORK_DIR, CONSUMER_DIR, SCHEMA, EXPECTED_TABLES, CXX, CONSUMER_FLAGS (optional).

include(${CMAKE_CURRENT_LIST_DIR}/run.cmake)

set(prefix ${WORK_DIR}/prefix)
file(REMOVE_RECURSE ${WORK_DIR})
run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})

# The installed headers show nothing of the private dependencies.
file(GLOB_RECURSE headers ${prefix}/include/dorvellxsd/*.h)
list(LENGTH headers header_count)
if(header_count LESS 5)
    message(FATAL_ERROR "only ${header_count} headers were installed")
endif()
foreach(header IN LISTS headers)
    file(STRINGS ${header} private_includes REGEX "#[ \t]*include[ \t]*[<\"](gdal|ogr|cpl_|xercesc)")
    if(private_includes)
        message(FATAL_ERROR "${header} includes a private dependency: ${private_includes}")
    endif()
endforeach()

file(GLOB_RECURSE sonamed ${prefix}/*/libdorvellxsd.so.0.1)
if(NOT sonamed)
    message(FATAL_ERROR "no libdorvellxsd.so.0.1 under ${prefix}")
endif()

# CMake package
run(${CMAKE_COMMAND} -S ${CONSUMER_DIR} -B ${WORK_DIR}/consumer-build
    -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_CXX_COMPILER=${CXX} "-DCMAKE_CXX_FLAGS=${CONSUMER_FLAGS}")
run(${CMAKE_COMMAND} --build ${WORK_DIR}/consumer-build)
run(${WORK_DIR}/consumer-build/list-tables ${SCHEMA})
if(NOT RUN_OUTPUT STREQUAL EXPECTED_TABLES)
    message(FATAL_ERROR "find_package consumer printed \"${RUN_OUTPUT}\", expected \"${EXPECTED_TABLES}\"")
endif()

# pkg-config
file(GLOB_RECURSE pc_file ${prefix}/*/dorvellxsd.pc)
get_filename_component(pc_dir "${pc_file}" DIRECTORY)
set(ENV{PKG_CONFIG_PATH} ${pc_dir})
run(pkg-config --cflags --libs dorvellxsd)
string(STRIP "${RUN_OUTPUT}" pc_flags)
separate_arguments(pc_flags UNIX_COMMAND "${pc_flags}")
separate_arguments(extra_flags UNIX_COMMAND "${CONSUMER_FLAGS}")
run(${CXX} -std=c++17 -fPIC ${extra_flags} ${CONSUMER_DIR}/main.cpp ${pc_flags} -o ${WORK_DIR}/list-tables-pc)
file(GLOB_RECURSE libraries ${prefix}/*/libdorvellxsd.so)
get_filename_component(lib_dir "${libraries}" DIRECTORY)
set(ENV{LD_LIBRARY_PATH} ${lib_dir})
run(${WORK_DIR}/list-tables-pc ${SCHEMA})
if(NOT RUN_OUTPUT STREQUAL EXPECTED_TABLES)
    message(FATAL_ERROR "pkg-config consumer printed \"${RUN_OUTPUT}\", expected \"${EXPECTED_TABLES}\"")
endif()

# A static consumer links what the library links: each library it needs, but the C and C++
# runtime and the sanitizers' runtimes that a sanitizing build's flags bring, is named by the package's own requirements and libraries, not merely by a library
# that a requirement links in turn (libxerces-c-3.2.so is named by -lxerces-c).
run(pkg-config --print-requires --print-requires-private dorvellxsd)
string(REGEX REPLACE "[ \t]*[<>=]+[^\n]*" "" modules "${RUN_OUTPUT}")
string(REPLACE "\n" ";" modules "${modules}")
run(pkg-config --libs-only-l ${modules})
file(STRINGS ${pc_file} own_libraries REGEX "^Libs(\\.private)?:")
string(REGEX MATCHALL "-l[^ \n;]+" named "${RUN_OUTPUT} ${own_libraries}")
run(readelf -d ${sonamed})
string(REGEX MATCHALL "\\[lib[-+._A-Za-z0-9]+\\]" needed "${RUN_OUTPUT}")
foreach(library IN LISTS needed)
    string(REGEX REPLACE "^\\[lib|\\.so[.0-9]*\\]$" "" library "${library}")
    set(found NO)
    foreach(flag IN LISTS named)
        string(SUBSTRING "${flag}" 2 -1 name)
        string(FIND "${library}-" "${name}-" at)
        if(at EQUAL 0)
            set(found YES)
        endif()
    endforeach()
    if(NOT found AND NOT library MATCHES "^(c|m|dl|rt|pthread|stdc\\+\\+|gcc_s|asan|ubsan)$")
        message(FATAL_ERROR "libdorvellxsd needs lib${library}, which dorvellxsd.pc does not name (${named})")
    endif()
endforeach()

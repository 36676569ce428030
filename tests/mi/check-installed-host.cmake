# Installs the build tree into a fresh prefix, builds the Qt-free host against the installed
# package alone and runs the whole road with it.
# Variables: BUILD_DIR, WORK_DIR, HOST_DIR, CXX, CONSUMER_FLAGS, HOST_ARGUMENTS (a list).
include(${CMAKE_CURRENT_LIST_DIR}/../package/run.cmake)

set(prefix ${WORK_DIR}/prefix)
file(REMOVE_RECURSE ${WORK_DIR})
run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})
run(${CMAKE_COMMAND} -S ${HOST_DIR} -B ${WORK_DIR}/build -DCMAKE_PREFIX_PATH=${prefix}
    -DCMAKE_CXX_COMPILER=${CXX} "-DCMAKE_CXX_FLAGS=${CONSUMER_FLAGS}")
run(${CMAKE_COMMAND} --build ${WORK_DIR}/build)
file(MAKE_DIRECTORY ${WORK_DIR}/road)
run(${WORK_DIR}/build/qtfree_host ${HOST_ARGUMENTS} ${WORK_DIR}/road)

# Thin entry points over the dependency script, CMake and CTest.
BUILD_DIR ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all deps build test demo package clean

all: build

deps:
	./scripts/install-deps

build: deps
	cmake -S . -B $(BUILD_DIR) $(CMAKE_FLAGS)
	cmake --build $(BUILD_DIR) -j $(JOBS)

# The whole test suite.
test: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

# The main job: the whole road on the bundled sample data.
demo: build
	$(BUILD_DIR)/bin/xsdexchange demo

# Debian packages of the library, its development files, the tool and the Python package,
# written to $(BUILD_DIR)/packages; install them with `apt install ./$(BUILD_DIR)/packages/*.deb`.
package: build
	cd $(BUILD_DIR) && cpack -G DEB -B packages

clean:
	rm -rf $(BUILD_DIR)

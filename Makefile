# Thin entry points over the dependency script, CMake and CTest.
BUILD_DIR ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=
# The folder the demo works in, kept for the README's examples.
DEMO_DIR ?= demo

# The whole project: the Python package is built where its dependencies are present, as its
# option's default says, whatever an earlier `make demo` set.
FULL_OPTIONS = -DDORVELLXSD_BUILD_TESTS=ON -UDORVELLXSD_BUILD_PYTHON
DEMO_OPTIONS = -DDORVELLXSD_BUILD_TESTS=OFF -DDORVELLXSD_BUILD_PYTHON=OFF

.PHONY: all deps configure build test demo docs package clean

all: build

deps:
	./scripts/install-deps test

configure: deps
	cmake -S . -B $(BUILD_DIR) $(FULL_OPTIONS) $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

# The whole test suite.
test: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

# The first look: only what the library and the tool need is installed and built, then the
# whole road runs on the bundled sample data in $(DEMO_DIR).
demo:
	./scripts/install-deps demo
	cmake -S . -B $(BUILD_DIR) $(DEMO_OPTIONS) $(CMAKE_FLAGS)
	cmake --build $(BUILD_DIR) -j $(JOBS) --target xsdexchange
	$(BUILD_DIR)/bin/xsdexchange demo $(DEMO_DIR)
	@echo "The tool is $(BUILD_DIR)/bin/xsdexchange; README.md shows what else it does."

# The API reference of the public headers, in $(BUILD_DIR)/docs/html; a Doxygen warning fails it.
docs: configure
	cmake --build $(BUILD_DIR) --target docs

# Debian packages of the library, its development files, the tool and the Python package,
# written to $(BUILD_DIR)/packages; install them with `apt install ./$(BUILD_DIR)/packages/*.deb`.
package: build
	cd $(BUILD_DIR) && cpack -G DEB -B packages

clean:
	rm -rf $(BUILD_DIR)

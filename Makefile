# Thin entry points over the dependency script, CMake and CTest.
BUILD_DIR ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all deps build test demo clean

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

clean:
	rm -rf $(BUILD_DIR)

# The two commands of README.md:
#   make run     install what is missing, build, check the sample motion
#   make check   install what is missing, build, run the whole test suite
BUILD ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?=

.PHONY: run check build deps-build deps-test clean

run: deps-build
	cmake -S . -B $(BUILD) -DKINETRACE_TESTS=OFF $(CMAKE_FLAGS)
	cmake --build $(BUILD) -j$(JOBS) --target kinetrace
	$(BUILD)/bin/kinetrace --print samples/sample.vmd

check: deps-test
	cmake -S . -B $(BUILD) -DKINETRACE_TESTS=ON -DKINETRACE_WERROR=ON $(CMAKE_FLAGS)
	cmake --build $(BUILD) -j$(JOBS)
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j$(JOBS)

build: deps-build
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)
	cmake --build $(BUILD) -j$(JOBS)

deps-build:
	@tools/deps.sh build

deps-test:
	@tools/deps.sh test

clean:
	rm -rf $(BUILD)

# The two commands of README.md:
#   make run     install what is missing, build, show the sample motion's report
#   make check   install what is missing, build, run the whole test suite
# and for CI (.ci/run):
#   make asan    the test suite built with AddressSanitizer and UndefinedBehaviorSanitizer
#   make fuzz    build the fuzz targets with clang and run each for FUZZ_SECONDS
#   make console-only   build the program without Qt (console modes only), in build-console
#   make package  the Debian package kinetrace_<version>_<arch>.deb, built in build-package
#   make check-package  build, check, install and remove that package (tools/check_package.sh)
#   make windows  cross-build the Windows program with mingw-w64 (build-windows) and pack
#                 dist/kinetrace-<version>-win64.zip
#   make windows-check  the test suite cross-built in build-windows and run under Wine, and
#                 the Windows console output compared with the Linux build's
#   make format-check  fails on a source or test file that is not as .clang-format says
#   make format   rewrites them so
BUILD ?= build
ASAN_BUILD ?= build-asan
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?=
FUZZ_SECONDS ?= 30
PACKAGE_BUILD ?= build-package
WINDOWS_BUILD ?= build-windows
WINDOWS_TESTS ?= OFF
# A finding stops the test at once (no recovery), with a stack trace.
SANITIZE = -fsanitize=address,undefined,float-cast-overflow -fno-sanitize-recover=all \
	-fno-omit-frame-pointer -D_GLIBCXX_ASSERTIONS
SANITIZE_ENV = ASAN_OPTIONS=detect_leaks=1:check_initialization_order=1:strict_string_checks=1 \
	UBSAN_OPTIONS=print_stacktrace=1 LSAN_OPTIONS=suppressions=$(CURDIR)/tools/lsan.supp

.PHONY: run check asan fuzz console-only package check-package windows windows-check format \
	format-check build deps-build \
	deps-test deps-fuzz deps-package deps-windows deps-windows-test deps-format clean

# The report window when a display answers; otherwise kinetrace says why (status 1) and
# the report goes to the terminal instead.
run: deps-build
	cmake -S . -B $(BUILD) -DKINETRACE_TESTS=OFF $(CMAKE_FLAGS)
	cmake --build $(BUILD) -j$(JOBS) --target kinetrace
	@$(BUILD)/bin/kinetrace samples/sample.vmd || { status=$$?; [ $$status -eq 1 ] || exit $$status; \
		echo "make run: no report window; the report follows as text"; \
		$(BUILD)/bin/kinetrace --print samples/sample.vmd; }

check: deps-test
	cmake -S . -B $(BUILD) -DKINETRACE_TESTS=ON -DKINETRACE_WERROR=ON $(CMAKE_FLAGS)
	cmake --build $(BUILD) -j$(JOBS)
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j$(JOBS)

asan: deps-test
	cmake -S . -B $(ASAN_BUILD) -DKINETRACE_TESTS=ON -DKINETRACE_WERROR=ON -DKINETRACE_STATIC_RUNTIME=OFF \
		"-DCMAKE_CXX_FLAGS=$(SANITIZE)" "-DCMAKE_EXE_LINKER_FLAGS=$(SANITIZE)" $(CMAKE_FLAGS)
	cmake --build $(ASAN_BUILD) -j$(JOBS)
	cd $(ASAN_BUILD) && QT_QPA_PLATFORM=offscreen $(SANITIZE_ENV) ctest --output-on-failure -j$(JOBS)

fuzz: deps-fuzz
	fuzz/run.sh -t $(FUZZ_SECONDS) -j $(JOBS)

# A server build: no Qt among the program's libraries; the window program says it is absent.
console-only: deps-build
	cmake -S . -B build-console -DKINETRACE_QT=OFF -DKINETRACE_TESTS=OFF -DKINETRACE_WERROR=ON $(CMAKE_FLAGS)
	cmake --build build-console -j$(JOBS) --target kinetrace
	build-console/bin/kinetrace --summary samples/sample.vmd

# Debian's hardening flags (all of them); installed under /usr; the .deb lands at the top
# of the tree.
package: export DEB_BUILD_MAINT_OPTIONS = hardening=+all
package: deps-package
	cmake -S . -B $(PACKAGE_BUILD) -DKINETRACE_TESTS=OFF -DKINETRACE_WERROR=ON \
		-DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr \
		"-DCMAKE_CXX_FLAGS=$$(dpkg-buildflags --get CXXFLAGS) $$(dpkg-buildflags --get CPPFLAGS)" \
		"-DCMAKE_EXE_LINKER_FLAGS=$$(dpkg-buildflags --get LDFLAGS)" \
		"-DCMAKE_MODULE_LINKER_FLAGS=$$(dpkg-buildflags --get LDFLAGS)" $(CMAKE_FLAGS)
	cmake --build $(PACKAGE_BUILD) -j$(JOBS)
	cd $(PACKAGE_BUILD) && cpack
	cp $(PACKAGE_BUILD)/kinetrace_*.deb .

check-package: package
	tools/check_package.sh $(PACKAGE_BUILD)

# FreeType and GoogleTest are built for the target once, into $(WINDOWS_BUILD)/deps.
windows: deps-windows
	JOBS=$(JOBS) tools/windows_deps.sh $(WINDOWS_BUILD)/deps
	cmake -S . -B $(WINDOWS_BUILD) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
		-DKINETRACE_WINDOWS_DEPS=$(CURDIR)/$(WINDOWS_BUILD)/deps -DCMAKE_BUILD_TYPE=Release \
		-DKINETRACE_QT=OFF -DKINETRACE_TESTS=$(WINDOWS_TESTS) -DKINETRACE_WERROR=ON $(CMAKE_FLAGS)
	cmake --build $(WINDOWS_BUILD) -j$(JOBS) --target kinetrace kinetrace_console
	tools/windows_dist.sh $(WINDOWS_BUILD) dist

# The same build folder as make windows, with the tests; the Linux program (built in
# $(BUILD), configured without tests when that folder is new) for the comparison of the
# console output. Wine runs in a private Xvfb, with its prefix in $(WINDOWS_BUILD)/wine
# (tools/wine_check.sh).
windows-check: deps-build deps-windows-test
	[ -f $(BUILD)/CMakeCache.txt ] || cmake -S . -B $(BUILD) -DKINETRACE_TESTS=OFF $(CMAKE_FLAGS)
	cmake --build $(BUILD) -j$(JOBS) --target kinetrace
	$(MAKE) windows WINDOWS_TESTS=ON \
		CMAKE_FLAGS="-DKINETRACE_LINUX_PROGRAM=$(CURDIR)/$(BUILD)/bin/kinetrace $(CMAKE_FLAGS)"
	cmake --build $(WINDOWS_BUILD) -j$(JOBS)
	tools/wine_check.sh $(WINDOWS_BUILD) $(JOBS)

# Every C and C++ file the repository holds (the generated ones turn formatting off).
FORMAT_FILES = $(shell git ls-files '*.cpp' '*.h' '*.c')

format-check: deps-format
	clang-format --dry-run --Werror $(FORMAT_FILES)

format: deps-format
	clang-format -i $(FORMAT_FILES)

build: deps-build
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)
	cmake --build $(BUILD) -j$(JOBS)

deps-build:
	@tools/deps.sh build

deps-test:
	@tools/deps.sh test

deps-fuzz:
	@tools/deps.sh fuzz

deps-package:
	@tools/deps.sh package

deps-windows:
	@tools/deps.sh windows

deps-windows-test:
	@tools/deps.sh windows-test

deps-format:
	@tools/deps.sh format

clean:
	rm -rf $(BUILD) $(PACKAGE_BUILD) $(WINDOWS_BUILD) dist kinetrace_*.deb

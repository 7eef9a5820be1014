# Short commands around CMake. Every target first makes sure the Debian packages in
# packages.txt are installed.
BUILD_DIR ?= build
BENCH_DIR ?= build-bench
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
PACKAGES := $(shell grep -v '^\s*\#' packages.txt | grep -v '^\s*$$')

.PHONY: all deps configure build test bench format format-check clean

all: build

deps:
	@missing=""; \
	for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  if [ "$$(id -u)" = "0" ]; then \
	    echo "Installing:$$missing"; \
	    apt-get update && DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $$missing; \
	  else \
	    echo "Missing packages. Run:"; echo "  sudo apt-get install$$missing"; exit 1; \
	  fi; \
	fi

configure: deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=Debug -DKITROVA_WERROR=ON

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

test: build
	cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

bench: deps
	cmake -S . -B $(BENCH_DIR) -DCMAKE_BUILD_TYPE=Release -DKITROVA_WERROR=ON
	cmake --build $(BENCH_DIR) -j $(JOBS)
	@for b in $(BENCH_DIR)/bench/kitrova_bench_*; do \
	  [ -f "$$b" ] && [ -x "$$b" ] || continue; \
	  echo "== $$b"; QT_QPA_PLATFORM=offscreen "$$b" --benchmark_min_time=0.2 || exit 1; \
	done; exit 0

SOURCES = $(shell find core platform settings ui app cli describe tests bench tools -name '*.cpp' -o -name '*.h')

format:
	clang-format -i $(SOURCES)

format-check: deps
	@clang-format --dry-run --Werror $(SOURCES)

clean:
	rm -rf $(BUILD_DIR) $(BENCH_DIR) $(RELEASE_DIR) $(GATE_DIRS)

# --- Optimised build, packages and screenshots -------------------------------------------
# `make test` stays the Debug build with warnings as errors; what a user runs or installs is
# the optimised build in its own folder.
RELEASE_DIR ?= build-release

.PHONY: release run package check-package screenshot

release: deps
	cmake -S . -B $(RELEASE_DIR) -DCMAKE_BUILD_TYPE=Release -DKITROVA_BUILD_TESTS=OFF \
	  -DKITROVA_BUILD_BENCH=OFF
	cmake --build $(RELEASE_DIR) -j $(JOBS)

run: release
	$(RELEASE_DIR)/app/kitrova

# A Debian package and a portable .tar.gz in $(RELEASE_DIR).
package: release
	cd $(RELEASE_DIR) && cpack
	@ls -1 $(RELEASE_DIR)/*.deb $(RELEASE_DIR)/*.tar.gz

# lintian, hardening-check (devscripts) and desktop-file-validate come from packages-dev.txt.
check-package: package dev-deps
	bash tools/check_package.sh $(RELEASE_DIR)

screenshot: release
	bash tools/screenshot.sh $(RELEASE_DIR)


# --- Gates: sanitizers, fuzzing, the Windows build of the core, static analysis ----------
# Their extra Debian packages (clang, MinGW-w64, Wine) are in packages-dev.txt, installed
# only by these targets so that `make run` stays light.
SANITIZE_DIR ?= build-sanitize
FUZZ_DIR ?= build-fuzz
WINDOWS_DIR ?= build-windows
TIDY_DIR ?= build-tidy
GATE_DIRS = $(SANITIZE_DIR) $(FUZZ_DIR) $(WINDOWS_DIR) $(TIDY_DIR)
FUZZ_SECONDS ?= 180
FUZZ_TARGETS = fuzz_catalog fuzz_ini fuzz_cp1251 fuzz_pe fuzz_msi fuzz_archive
SOURCES += $(shell find fuzz -name '*.cpp' -o -name '*.h')
DEV_PACKAGES := $(shell grep -v '^\s*\#' packages-dev.txt | grep -v '^\s*$$')

.PHONY: dev-deps test-sanitize fuzz test-windows tidy

dev-deps: deps
	@$(MAKE) --no-print-directory deps PACKAGES="$(DEV_PACKAGES)"

test-sanitize: dev-deps
	cmake --preset sanitize -B $(SANITIZE_DIR)
	cmake --build $(SANITIZE_DIR) -j $(JOBS)
	cd $(SANITIZE_DIR) && QT_QPA_PLATFORM=offscreen \
	  ASAN_OPTIONS=halt_on_error=1:abort_on_error=1:detect_leaks=1 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 \
	  ctest --output-on-failure -j $(JOBS)

fuzz: dev-deps
	cmake -S fuzz -B $(FUZZ_DIR) -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(FUZZ_DIR) -j $(JOBS)
	@for t in $(FUZZ_TARGETS); do \
	  echo "== $$t for $(FUZZ_SECONDS) s"; \
	  mkdir -p $(FUZZ_DIR)/corpus/$$t && \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  $(FUZZ_DIR)/$$t -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 \
	    -artifact_prefix=$(FUZZ_DIR)/$$t- $(FUZZ_DIR)/corpus/$$t fuzz/corpus/$$t \
	    > $(FUZZ_DIR)/$$t.log 2>&1; rc=$$?; \
	  grep -E '^(#[0-9]+ +DONE|stat::number_of_executed_units|==[0-9]+==ERROR|SUMMARY)' $(FUZZ_DIR)/$$t.log; \
	  [ $$rc -eq 0 ] || { tail -n 60 $(FUZZ_DIR)/$$t.log; exit 1; }; \
	done

test-windows: dev-deps
	cmake -S tests/windows -B $(WINDOWS_DIR) -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-w64-x86_64.cmake \
	  -DCMAKE_BUILD_TYPE=Release
	cmake --build $(WINDOWS_DIR) -j $(JOBS)
	bash tests/windows/run-under-wine.sh $(WINDOWS_DIR)

tidy: dev-deps
	cmake -S . -B $(TIDY_DIR) -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug \
	  -DKITROVA_BUILD_BENCH=OFF -DCMAKE_EXPORT_COMPILE_COMMANDS=ON
	run-clang-tidy -quiet -p $(TIDY_DIR) -j $(JOBS) '^$(CURDIR)/(core|platform/IniFile)' \
	  > $(TIDY_DIR)/tidy.log 2>&1 || { grep -E 'warning:|error:' $(TIDY_DIR)/tidy.log; exit 1; }
	@echo "clang-tidy: no findings"
# --- end of gates ------------------------------------------------------------------------

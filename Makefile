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

SOURCES = $(shell find core platform settings ui app tests bench -name '*.cpp' -o -name '*.h')

format:
	clang-format -i $(SOURCES)

format-check: deps
	@clang-format --dry-run --Werror $(SOURCES)

clean:
	rm -rf $(BUILD_DIR) $(BENCH_DIR)

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

check-package: package
	bash tools/check_package.sh $(RELEASE_DIR)

screenshot: release
	bash tools/screenshot.sh $(RELEASE_DIR)

# Korvel运单助手: one Makefile drives both builds.
#   make test   set up, build both, run every test (native, Wine, end-to-end)
#   make run    set up, build, start korvel.exe under Wine
#   make format format the C++ sources by .clang-format
# B=dir picks another build folder; T=regex runs only the matching tests.

B ?= build
BUILD := $(abspath $(B))
NATIVE := $(BUILD)/native
CROSS := $(BUILD)/cross
PREFIX := $(BUILD)/wineprefix
JOBS ?= $(shell nproc)
export WINEPREFIX := $(PREFIX)

.PHONY: all setup cross native prefix test unit run bench fuzz screenshots format clean

all: cross native

setup:
	@scripts/setup.sh

cross: setup
	@cmake -S . -B $(CROSS) -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-i686.cmake \
		-DCMAKE_BUILD_TYPE=Release $(CROSS_FLAGS) >/dev/null
	@cmake --build $(CROSS) -j$(JOBS)

native: setup
	@cmake -S . -B $(NATIVE) -DCMAKE_BUILD_TYPE=Debug -DKORVEL_SANITIZE=ON \
		-DKORVEL_CROSS_DIR=$(CROSS) -DKORVEL_WINEPREFIX=$(PREFIX) >/dev/null
	@cmake --build $(NATIVE) -j$(JOBS)

prefix: setup
	@scripts/wine-prefix.sh $(PREFIX)

# Only the native unit tests: seconds, no Wine.
unit: native
	@ctest --test-dir $(NATIVE) --output-on-failure -j$(JOBS) -R '^unit/.*$(T)'

test: cross native prefix
	@xvfb-run -a -s "-screen 0 1280x1024x24" \
		ctest --test-dir $(NATIVE) --output-on-failure -j2 --timeout 600 $(if $(T),-R '$(T)')

run: cross prefix
	@scripts/run.sh $(CROSS)/korvel.exe $(BUILD)

# Benchmarks: release builds, run side by side with their baselines.
bench: cross prefix
	@cmake -S . -B $(BUILD)/bench-native -DCMAKE_BUILD_TYPE=Release -DKORVEL_SANITIZE=OFF \
		-DKORVEL_BENCH=ON >/dev/null
	@cmake --build $(BUILD)/bench-native -j$(JOBS)
	@scripts/bench.sh $(BUILD)

# The README's pictures of the real program under Xvfb, written to docs/.
screenshots: cross prefix
	@python3 scripts/screenshots.py $(CROSS) docs

# Formats every C++ source by the tree's .clang-format (make test checks it).
format: setup
	@scripts/format.sh

# Fuzzing: each target for FUZZ_SECONDS (default 60) under ASan and UBSan.
FUZZ_SECONDS ?= 60
fuzz: setup
	@scripts/fuzz.sh $(BUILD)/fuzz $(FUZZ_SECONDS)

clean:
	rm -rf $(BUILD)

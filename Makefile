JOBS ?= $(shell nproc)
# Extra configure options for a new build folder, e.g. CMAKE_ARGS=-DKESTRION_STRICT=ON (as CI does).
CMAKE_ARGS ?=
# Extra ctest options for make test, e.g. CTEST_ARGS="-LE realpacing" to leave out the tests with real pauses.
CTEST_ARGS ?=
# QT=6 builds against Qt 6 instead of Qt 5.15, in a folder of its own so that both builds can stay.
QT ?= 5
ifeq ($(QT),6)
BUILD_DIR ?= build-qt6
override CMAKE_ARGS += -DKESTRION_QT_MAJOR=6
else
BUILD_DIR ?= build
endif
FORMATTED := find src tests sim bench scripts fuzz -name '*.cpp' -o -name '*.h'

.PHONY: all deps configure build run test format check-format demo clean test-sanitize test-clang fuzz package test-unprivileged translations

all: build

deps:
	@QT=$(QT) scripts/install-deps.sh

$(BUILD_DIR)/CMakeCache.txt: | deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_ARGS)

configure: deps $(BUILD_DIR)/CMakeCache.txt

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	$(BUILD_DIR)/src/kestrion

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS) $(CTEST_ARGS)

# The whole suite under ASan and UBSan, in build-sanitize.
test-sanitize: deps
	JOBS=$(JOBS) scripts/test-sanitize.sh

# The whole suite built with clang, in build-clang.
test-clang: deps
	cmake -S . -B build-clang -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++
	cmake --build build-clang -j $(JOBS)
	cd build-clang && ctest --output-on-failure -j $(JOBS)

# Every libFuzzer target for FUZZ_SECONDS each, in build-fuzz (clang).
FUZZ_SECONDS ?= 60
fuzz: deps
	FUZZ_SECONDS=$(FUZZ_SECONDS) JOBS=$(JOBS) scripts/fuzz.sh

# The end-to-end tests with the tool side running as "nobody" (root needed for the harness).
test-unprivileged: build
	scripts/test-unprivileged.sh $(BUILD_DIR)

# The Debian package, in $(BUILD_DIR).
package: build
	cd $(BUILD_DIR) && cpack -G DEB

# Refreshes translations/kestrion_*.ts from the sources (lupdate); translate what is new, then build.
translations: deps
	scripts/update-translations.sh

format:
	@$(FORMATTED) | xargs clang-format -i

# Fails on any file that clang-format would change.
check-format:
	@$(FORMATTED) | xargs clang-format --dry-run --Werror

# A sample simulated lab and the tool inside the namespace harness (root needed).
demo: configure
	scripts/demo.sh

clean:
	rm -rf $(BUILD_DIR)
bench-firmware: build ; scripts/netns-lab.sh --sim $(BUILD_DIR)/sim/kestrion-sim --lab bench/firmware/lab.json -- $(BUILD_DIR)/bench/firmware/bench_firmware

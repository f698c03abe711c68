BUILD_DIR ?= build
JOBS ?= $(shell nproc)
# Extra configure options for a new build folder, e.g. CMAKE_ARGS=-DKESTRION_STRICT=ON (as CI does).
CMAKE_ARGS ?=
FORMATTED := find src tests sim bench scripts -name '*.cpp' -o -name '*.h'

.PHONY: all deps configure build run test format check-format demo clean

all: build

deps:
	@scripts/install-deps.sh

$(BUILD_DIR)/CMakeCache.txt: | deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_ARGS)

configure: deps $(BUILD_DIR)/CMakeCache.txt

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	$(BUILD_DIR)/src/kestrion

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

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

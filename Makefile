BUILD_DIR ?= build
JOBS ?= $(shell nproc)

.PHONY: all deps configure build run test format demo clean

all: build

deps:
	@scripts/install-deps.sh

$(BUILD_DIR)/CMakeCache.txt: | deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo

configure: deps $(BUILD_DIR)/CMakeCache.txt

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	$(BUILD_DIR)/src/kestrion

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

format:
	@find src tests sim bench -name '*.cpp' -o -name '*.h' | xargs clang-format -i

# A sample simulated lab and the tool inside the namespace harness (root needed).
demo: configure
	scripts/demo.sh

clean:
	rm -rf $(BUILD_DIR)

# The two commands of the quick start are `make demo` and `make test`. Both
# install missing Debian packages first (as root, only what is missing).
BUILD ?= build
JOBS ?= 2
CMAKE_FLAGS ?=

.PHONY: all deps configure build test demo sanitize bench clean

all: build

deps:
	@scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS) > /dev/null

build: configure
	@cmake --build $(BUILD) -j$(JOBS) -- --no-print-directory

test: build
	@cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j$(JOBS)

demo: build
	@scripts/demo.sh $(BUILD)/bin

# The whole suite again under AddressSanitizer and UndefinedBehaviorSanitizer.
sanitize:
	@$(MAKE) test BUILD=build-asan CMAKE_FLAGS="-DSANITIZE=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo"

bench: build
	@bench/run.sh $(BUILD)/bin

clean:
	rm -rf $(BUILD) build-asan

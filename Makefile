# Front of the CMake build: `make demo` and `make test` set up everything they need.
BUILD   ?= build
JOBS    ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all setup configure build test demo bench fuzz clean

all: build

setup:
	@scripts/setup.sh

configure: setup
	@cmake -S . -B $(BUILD) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j$(JOBS) -- --no-print-directory

test: build
	@scripts/run-tests.sh $(BUILD)

demo: build
	@scripts/demo.sh $(BUILD)

bench: build
	@scripts/bench.sh $(BUILD)

# make fuzz [CASES=n | SECONDS=s] [SEED=x] [KIND=devmode,quicksettings,...]
fuzz: build
	@scripts/fuzz.sh $(BUILD) $(if $(SECONDS),--seconds $(SECONDS),--cases $(or $(CASES),2000)) \
		$(if $(SEED),--seed $(SEED)) $(if $(KIND),--kind $(KIND))

clean:
	rm -rf $(BUILD)

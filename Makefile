# Front of the CMake build: `make demo` and `make test` set up everything they need.
BUILD   ?= build
JOBS    ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all setup configure build test demo docs-pictures bench fuzz clean

all: build

setup:
	@scripts/setup.sh

configure: setup
	@cmake -S . -B $(BUILD) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j$(JOBS) -- --no-print-directory

test: build
	@scripts/run-tests.sh $(BUILD)

# The demo and the benchmark build only their programs and what the Wine
# session's boot installs (the plug-in, its language module, the test printer).
demo: configure
	@cmake --build $(BUILD) -j$(JOBS) --target bq_demo bq_install -- --no-print-directory
	@scripts/demo.sh $(BUILD)

# The README's pictures: the demo on the virtual X server, its pictures copied to docs/.
DOCS_PICTURES = demo-basic.png demo-advanced.png demo-device.png demo-custom-paper.png
docs-pictures: configure
	@cmake --build $(BUILD) -j$(JOBS) --target bq_demo bq_install -- --no-print-directory
	@DEMO_HEADLESS=1 scripts/demo.sh $(BUILD)
	@mkdir -p docs && for p in $(DOCS_PICTURES); do \
	    if [ -f $(BUILD)/$$p ]; then cp $(BUILD)/$$p docs/$$p && echo "docs-pictures: docs/$$p"; \
	    else echo "docs-pictures: no $$p (that window is not pictured yet)"; fi; done

bench: configure
	@cmake --build $(BUILD) -j$(JOBS) --target bq_bench bq_install -- --no-print-directory
	@scripts/bench.sh $(BUILD)

# make fuzz [CASES=n | SECONDS=s] [SEED=x] [KIND=devmode,quicksettings,...]
# CASES and SECONDS are per kind; without SEED the run takes a fresh seed and prints it.
fuzz: build
	@scripts/fuzz.sh $(BUILD) $(if $(SECONDS),--seconds $(SECONDS),--cases $(or $(CASES),2000)) \
		$(if $(SEED),--seed $(SEED)) $(if $(KIND),--kind $(KIND))

clean:
	rm -rf $(BUILD)

# Entry points: make deps | build | install | test | demo | fuzz | bench | format | clean
SHELL := /bin/bash
.DEFAULT_GOAL := build

BUILD    := build
NATIVE   := $(BUILD)/native
RELEASE  := $(BUILD)/host-release
WINTESTS := $(BUILD)/windows-tests
WINPROD  := $(BUILD)/windows-product
BENCH    := $(BUILD)/bench
FUZZ     := $(BUILD)/fuzz
PREFIX_TEMPLATE := $(BUILD)/wineprefix-template
JOBS     ?= $(shell nproc)
CTEST_JOBS ?= 2
FUZZ_SECONDS ?= 60
PREFIX   ?= /usr/local
DESTDIR  ?=

.PHONY: deps build native host-release install windows-product windows-tests dist test demo fuzz bench format clean prefix

deps:
	@bash cmake/bootstrap.sh

native:
	@cmake -S . -B $(NATIVE) -DVELK_TREE=native -DVELK_SANITIZE=ON \
	  -DCMAKE_CXX_FLAGS="-O1 -g" -DCMAKE_C_FLAGS="-O1 -g" >/dev/null
	@cmake --build $(NATIVE) -j $(JOBS)

# The velkpack that dist/ ships: optimised and stripped (the native tree's is the sanitizer build
# the tests run).
host-release:
	@cmake -S . -B $(RELEASE) -DVELK_TREE=host-release -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" -DCMAKE_C_FLAGS_RELEASE="-O2 -DNDEBUG" >/dev/null
	@cmake --build $(RELEASE) -j $(JOBS) --target velkpack

windows-product:
	@cmake -S . -B $(WINPROD) -DVELK_TREE=windows-product \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686-win32.cmake >/dev/null
	@cmake --build $(WINPROD) -j $(JOBS)
	@bash cmake/print-sizes.sh $(WINPROD)

windows-tests: windows-product
	@cmake -S . -B $(WINTESTS) -DVELK_TREE=windows-tests \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686-posix.cmake \
	  -DVELK_PRODUCT_DIR=$(abspath $(WINPROD)) >/dev/null
	@cmake --build $(WINTESTS) -j $(JOBS)

dist: native host-release windows-product windows-tests
	@mkdir -p dist/linux dist/windows/plugins
	@cp $(RELEASE)/tools/velkpack/velkpack dist/linux/
	@cp $(WINTESTS)/tools/velkpack/velkpack.exe dist/windows/
	@cp $(WINPROD)/setup/setup.exe dist/windows/
	@cp $(WINPROD)/unpack/unpack.dll dist/windows/
	@cp $(WINPROD)/uninstall/Uninstall.exe dist/windows/
	@cp $(WINPROD)/wizard/wizard.dll dist/windows/plugins/
	@cp $(WINTESTS)/demo/korvx_demo.exe dist/windows/
	@echo "dist: $$(cd dist && find . -type f | sort | tr '\n' ' ')"

build: deps dist

# Installs what `make build` gathered in dist/: velkpack into PREFIX/bin, the Windows binaries
# into PREFIX/share/velk, where velkpack finds setup.exe for a main package built without --stub
# and the Uninstall.exe and plugins/wizard.dll beside it.
DIST_FILES := dist/linux/velkpack dist/windows/setup.exe dist/windows/unpack.dll \
  dist/windows/velkpack.exe dist/windows/Uninstall.exe dist/windows/plugins/wizard.dll
install:
	@for f in $(DIST_FILES); do \
	  [ -f "$$f" ] || { echo "install: $$f is missing: run make build first" >&2; exit 1; }; \
	done
	@install -d "$(DESTDIR)$(PREFIX)/bin" "$(DESTDIR)$(PREFIX)/share/velk/plugins"
	@install -m 755 dist/linux/velkpack "$(DESTDIR)$(PREFIX)/bin/velkpack"
	@install -m 644 dist/windows/setup.exe dist/windows/unpack.dll dist/windows/velkpack.exe \
	  dist/windows/Uninstall.exe "$(DESTDIR)$(PREFIX)/share/velk/"
	@install -m 644 dist/windows/plugins/wizard.dll "$(DESTDIR)$(PREFIX)/share/velk/plugins/"
	@echo "installed: $(DESTDIR)$(PREFIX)/bin/velkpack, $(DESTDIR)$(PREFIX)/share/velk/{setup.exe,unpack.dll,velkpack.exe,Uninstall.exe,plugins/wizard.dll}"

prefix:
	@bash tests/harness/make-prefix.sh $(PREFIX_TEMPLATE)

# One CTest run over both trees, so the summary line closes the output.
test: build prefix
	@printf 'subdirs("native" "windows-tests")\n' > $(BUILD)/CTestTestfile.cmake
	@cd $(BUILD) && VELK_PREFIX_TEMPLATE=$(abspath $(PREFIX_TEMPLATE)) \
	  xvfb-run -a -s "-screen 0 1024x768x24" ctest -j $(CTEST_JOBS) --output-on-failure

demo: build prefix
	@VELK_PREFIX_TEMPLATE=$(abspath $(PREFIX_TEMPLATE)) bash examples/run-demo.sh

fuzz: deps
	@cmake -S . -B $(FUZZ) -DVELK_TREE=fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang >/dev/null
	@cmake --build $(FUZZ) -j $(JOBS)
	@bash tests/fuzz/run-all.sh $(FUZZ) $(FUZZ_SECONDS)

bench: deps
	@cmake -S . -B $(BENCH) -DVELK_TREE=bench -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build $(BENCH) -j $(JOBS)
	@bash bench/run-all.sh $(BENCH)

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD) dist

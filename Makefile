# The README's commands. Everything else is CMake's.
#   make run     install what is missing, build, start the editor on the sample document
#   make test    install what is missing, build, run every test through CTest
#   make bench   build in Release and run the benchmarks, the editor's memory in a virtual screen, then the
#                exported page's in headless Chromium
#   make fuzz    run every fuzz target for a minute (FUZZ_SECONDS=...)
#   make screenshot  the editor on the sample document in a virtual screen, the cell editor and the about
#                    window, in Chinese and in English, saved as PNGs
#   make translations  scan the sources again into translations/quillet_en.ts (new texts to translate)
#   make tidy    clang-tidy's naming check over the libraries and the editor (.clang-tidy)
#   make deps    only install the Debian packages

BUILD       ?= build
BENCH_BUILD ?= build-bench
JOBS        ?= $(shell nproc)
FUZZ_SECONDS      ?= 60
FUZZ_TEST_SECONDS ?= 6

# Debian 12 packages the build, the tests and the editor need.
DEB_PACKAGES := build-essential cmake ninja-build pkg-config \
	qt6-base-dev qt6-base-dev-tools qt6-svg-dev libqt6svg6 libgl-dev qt6-webengine-dev qt6-translations-l10n \
	qt6-l10n-tools qt6-tools-dev \
	zlib1g-dev libgif-dev libwebp-dev libimagequant-dev apngdis \
	libgtest-dev libgmock-dev libbenchmark-dev clang clang-tidy libclang-rt-14-dev \
	fonts-arphic-uming fonts-wqy-zenhei \
	xvfb xauth x11-apps xdotool imagemagick chromium \
	shared-mime-info desktop-file-utils xdg-utils libfile-mimeinfo-perl nodejs

SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: run test bench fuzz deps configure build screenshot translations tidy clean

deps:
	@missing=$$(for p in $(DEB_PACKAGES); do \
		dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q '^install ok installed' || echo $$p; done); \
	if [ -n "$$missing" ]; then \
		echo "Installing:" $$missing; \
		$(SUDO) apt-get update -q && \
		DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y --no-install-recommends $$missing; \
	fi

configure: deps
	# The benchmarks are built with the tests, so a change that breaks them is seen at once.
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLET_BUILD_BENCH=ON

build: configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	$(BUILD)/bin/quillet $(BUILD)/samples/demo.mmt

# Every fuzz target briefly over its corpus, the headless libraries' tests under the sanitizers,
# then the whole suite; CTest's summary of that suite is the last line.
test: build
	tools/fuzz.sh $(FUZZ_TEST_SECONDS)
	tools/sanitize-tests.sh
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen QTWEBENGINE_DISABLE_SANDBOX=1 ctest --output-on-failure -j $(JOBS) --timeout 300

fuzz: deps
	tools/fuzz.sh $(FUZZ_SECONDS)

# The window in a virtual screen, then the cell editor drawn off screen by a program of the tests,
# then the about window in a virtual screen; each in Chinese, then in English.
screenshot: build
	tools/screenshot.sh $(BUILD)/screenshot.png $(BUILD)/samples/demo.mmt
	QUILLET_LANGUAGE=English tools/screenshot.sh $(BUILD)/screenshot-en.png $(BUILD)/samples/demo.mmt
	QT_QPA_PLATFORM=offscreen $(BUILD)/bin/celleditor_screenshot $(BUILD)/samples/demo.mmt $(BUILD)/screenshot-celleditor.png
	QT_QPA_PLATFORM=offscreen $(BUILD)/bin/celleditor_screenshot $(BUILD)/samples/demo.mmt $(BUILD)/screenshot-celleditor-en.png English
	xvfb-run -a -s "-screen 0 1280x800x24" $(BUILD)/bin/about_screenshot $(BUILD)/screenshot-about.png
	xvfb-run -a -s "-screen 0 1280x800x24" $(BUILD)/bin/about_screenshot $(BUILD)/screenshot-about-en.png English

# New texts of the sources into translations/quillet_en.ts, to be given their English there.
translations: configure
	cmake --build $(BUILD) --target update_translations

bench: deps
	cmake -S . -B $(BENCH_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLET_BUILD_BENCH=ON -DQUILLET_BUILD_TESTS=OFF -DQUILLET_BUILD_EDITOR=ON -DQUILLET_BUILD_FUZZ=OFF
	cmake --build $(BENCH_BUILD) -j $(JOBS)
	cd $(BENCH_BUILD) && for b in bin/bench_*; do QT_QPA_PLATFORM=offscreen ./$$b; done
	tools/editor-memory.sh $(BENCH_BUILD)
	@if command -v node >/dev/null && command -v chromium >/dev/null; then \
		node bench/browser/pagebench.mjs $(BENCH_BUILD)/bin/make_page resources/Script.txt "$$(command -v chromium)"; \
	else echo "page benchmark skipped: it needs node and chromium (make deps installs them)"; fi

tidy: configure
	ls document/*.cpp webexport/*.cpp imageexport/*.cpp shell/*.cpp app/*.cpp editor/*.cpp editor/celleditor/*.cpp | xargs -P $(JOBS) -n 8 clang-tidy -p $(BUILD) --quiet --warnings-as-errors='*'

clean:
	rm -rf $(BUILD) $(BENCH_BUILD) build-asan build-fuzz

# The two commands of the quick start are `make demo` and `make test`. Both
# install missing Debian packages first (as root, only what is missing).
BUILD ?= build
JOBS ?= 2
CMAKE_FLAGS ?=
# CI builds with WERROR=ON: a warning of the compiler fails the build. Off by
# default, so a newer compiler's new warning never stops `make demo`. Passed
# on every configure, so a build folder never keeps an earlier choice.
WERROR ?= OFF

.PHONY: all deps configure build test demo docs sanitize tsan fuzz bench bench-tabdump clean windows \
  test-windows test-clients format check-format check-includes

all: build

deps:
	@scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DWARNINGS_AS_ERRORS=$(WERROR) $(CMAKE_FLAGS) \
	  > /dev/null

build: configure
	@cmake --build $(BUILD) -j$(JOBS) -- --no-print-directory

test: build
	@cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j$(JOBS)

# The shipped sample in every shipped style and file type, opened in the
# program a user opens it with (the HTML parsed, the RTF read by LibreOffice,
# the LaTeX compiled with upLaTeX and read back from the PDF), must show the
# entries of the plain-text list. LibreOffice and TeX are installed here only.
test-clients: build
	@scripts/install-deps-clients.sh
	@tests/clients/check_clients.py $(BUILD)/bin

demo: build
	@scripts/demo.sh $(BUILD)/bin

# The screenshots of refdesk in docs/, rendered offscreen.
docs: build
	@dpkg-query -W -f='$${Status}' fonts-noto-cjk 2>/dev/null | grep -q 'install ok installed' || \
	  (apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends fonts-noto-cjk)
	@cmake --build $(BUILD) --target docs -- --no-print-directory

# The whole suite again under AddressSanitizer and UndefinedBehaviorSanitizer.
sanitize:
	@$(MAKE) test BUILD=build-asan CMAKE_FLAGS="-DSANITIZE=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo"

# The whole suite again under ThreadSanitizer, in a build folder of its own.
# A race report fails the test it happens in; tests/tsan.supp names what
# is deliberately not reported. refdesk's tests start processes while Qt's
# threads run; ThreadSanitizer would end such a child (die_after_fork).
tsan: deps
	@cmake -S . -B build-tsan -DTSAN=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DWARNINGS_AS_ERRORS=$(WERROR) > /dev/null
	@cmake --build build-tsan -j$(JOBS) -- --no-print-directory
	@cd build-tsan && QT_QPA_PLATFORM=offscreen \
	  TSAN_OPTIONS="suppressions=$(CURDIR)/tests/tsan.supp halt_on_error=1 second_deadlock_stack=1 die_after_fork=0" \
	  ctest --output-on-failure -j$(JOBS)

# The libFuzzer targets of tests/fuzz, built with clang into build-fuzz and
# run for FUZZ_SECONDS each (what they learn stays in build-fuzz).
FUZZ_SECONDS ?= 30
FUZZ_TARGETS = split_fields_fuzz profile_fuzz sjis_text_fuzz kana2romaji_fuzz format_entry_fuzz \
  utf8_round_trip_fuzz xlsx_workbook_fuzz xls_workbook_fuzz \
  bibtex_reader_fuzz ris_reader_fuzz csl_json_reader_fuzz
fuzz: deps
	@cmake -S . -B build-fuzz -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DFUZZ=ON \
	  -DBUILD_REFDESK=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo -DWARNINGS_AS_ERRORS=$(WERROR) > /dev/null
	@cmake --build build-fuzz -j$(JOBS) --target $(FUZZ_TARGETS) -- --no-print-directory
	@tests/fuzz/run.sh build-fuzz $(FUZZ_SECONDS) $(FUZZ_TARGETS)

bench: build
	@bench/run.sh $(BUILD)/bin

# tabdump against LibreOffice's own CSV conversion on a workbook LibreOffice
# wrote; LibreOffice is installed here only.
bench-tabdump: build
	@command -v soffice > /dev/null || (apt-get update -qq && \
	  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends libreoffice-calc-nogui)
	@bench/tabdump_soffice.sh $(BUILD)/bin

# The layout of our sources by .clang-format: `make format` rewrites them in
# place, `make check-format` lists the files that differ and fails if any do.
format: deps
	@scripts/check-format.sh -i

check-format: deps
	@scripts/check-format.sh

# Includes go one way: driver -> format -> text -> platform, refdesk ->
# controls -> platform, tabdump -> platform, refimport -> tabdump -> platform;
# and each outside library's headers stay in its one folder.
check-includes:
	@scripts/check-includes.py

clean:
	rm -rf $(BUILD) build-asan build-tsan build-fuzz

# The Windows program folder, cross-built with mingw-w64 into
# $(WIN_BUILD)/bin (and zipped beside it), and its tests under wine. The
# Windows tools are installed here only, so `make test` never pulls in wine.
WIN_BUILD ?= build-win
WIN_FILES = refdesk.exe refmill.exe tabdump.exe refimport.exe refdesk-help.html *.dat *.ini *.trl *.csv

windows:
	@scripts/install-deps-windows.sh
	@cmake -S . -B $(WIN_BUILD) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
	  -DCMAKE_BUILD_TYPE=Release -DBUILD_REFDESK=ON -DLINUX_PROGRAM_DIR=$(CURDIR)/$(BUILD)/bin \
	  -DWARNINGS_AS_ERRORS=$(WERROR) > /dev/null
	@cmake --build $(WIN_BUILD) -j$(JOBS) -- --no-print-directory
	@rm -f $(WIN_BUILD)/refmill-windows.zip
	@cd $(WIN_BUILD)/bin && zip -q -X ../refmill-windows.zip $(WIN_FILES)

# tabdump.exe and refimport.exe are compared with the Linux tabdump and
# refimport on the Linux tests' workbooks and exports. A test that fails is
# run once more before it counts: now and then a program fails to start
# under wine, in a few hundredths of a second ("wine client error:0:
# recvmsg: ..."), which a second start does not repeat.
test-windows: windows configure
	@cmake --build $(BUILD) -j$(JOBS) --target tabdump tabdump_test refimport -- --no-print-directory
	@cd $(WIN_BUILD) && ctest --output-on-failure -j$(JOBS) --repeat until-pass:2

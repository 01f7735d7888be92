# Quorel: `make run` to see it, `make test` to check it (see README.md).
#
#   make run      build quorel.exe and scan the demo file server in it under
#                 Wine on $DISPLAY: the volume file build/demo.qvol (a working
#                 copy of samples/demo.qvol, copied again only when the sample
#                 is newer, so edits made in quorel.exe persist between runs
#                 until the sample changes) at its first root \\FS01\Projects;
#                 `make run DIR=folder` scans a real folder instead
#   make test     bootstrap, layout and format checks, native build + tests,
#                 NT ACL scenarios on Samba and the simulated volume,
#                 sanitizer build + tests, fuzzers (scripts/run-fuzzers),
#                 Windows cross build + tests under Wine, the packages
#                 installed, upgraded and removed under Wine (scripts/dist-test)
#   make native   configure, build and test the native preset
#   make asan     the same for native-asan (AddressSanitizer + UBSan)
#   make fuzz     build the libFuzzer programs (preset fuzz) and run each briefly
#   make windows  the same for windows (mingw-w64, tests under Wine)
#   make check    layout and format checks only
#   make mutate   plant faults in the domain and editing code and print the
#                 scores, on a fresh random seed each run (SEED=N repeats a
#                 sample, COUNT=N mutants per group, DOMAIN=N / EDITING=N
#                 one group's count; not part of make test)
#   make sample   write samples/sample.acl and samples/demo.qvol again
#                 (samples/make_sample.cpp, samples/make_demo_volume.cpp)
#   make dist     the packages for users under build/dist: the installer
#                 Quorel-VERSION-x64.msi, the zip Quorel-VERSION-x64.zip and
#                 SHA256SUMS (scripts/dist; signed when QUOREL_SIGN_PFX and
#                 QUOREL_SIGN_PASSWORD name a PKCS#12 file and its password)
#   make format   apply clang-format to our sources
#   make clean    remove build/

SHELL := /bin/bash
.SHELLFLAGS := -euo pipefail -c

STAGE := scripts/stage
STAGES := build/stage-times.txt

DIR ?=
DPI ?= 96
# The first root of the demo volume, which `make run` scans.
DEMO_ROOT := \\FS01\Projects

.PHONY: run test bootstrap check native asan fuzz windows dist format clean mutate sample

run: $(if $(DIR),,build/demo.qvol)
	@if [ -z "$${DISPLAY:-}" ]; then \
	    echo "make run: no display (DISPLAY is not set). To get a screenshot instead:"; \
	    echo "    Xvfb :91 -screen 0 1280x800x24 &"; \
	    echo "    DISPLAY=:91 make run SHOT=build/screenshots/main.png"; \
	    echo "and open build/screenshots/main.png."; \
	    exit 1; \
	fi
	scripts/bootstrap
	cmake --preset windows
	cmake --build --preset windows --target quorel -j2
	scripts/run-gui --dpi $(DPI) $(if $(SHOT),--screenshot $(SHOT)) build/windows/src/quorel.exe \
	    $(if $(DIR),"$(DIR)",--volume build/demo.qvol '$(DEMO_ROOT)')

# The working copy of the demo volume: quorel.exe writes every edit into it.
# Copied from the sample when missing or older than the sample, so edits
# stay from one `make run` to the next until samples/demo.qvol changes.
build/demo.qvol: samples/demo.qvol
	mkdir -p build
	cp samples/demo.qvol $@

test:
	@mkdir -p build && rm -rf $(STAGES) build/logs
	@$(STAGE) bootstrap scripts/bootstrap
	@$(STAGE) check-layout scripts/check-layout
	@$(STAGE) check-format scripts/check-format
	@$(STAGE) native-configure cmake --preset native
	@$(STAGE) native-build cmake --build --preset native
	@$(STAGE) native-test ctest --preset native
	@$(STAGE) nt-conformance scripts/nt-conformance
	@$(STAGE) asan-configure cmake --preset native-asan
	@$(STAGE) asan-build cmake --build --preset native-asan
	@$(STAGE) asan-test ctest --preset native-asan
	@$(STAGE) fuzz scripts/run-fuzzers
	@$(STAGE) windows-configure cmake --preset windows
	@$(STAGE) windows-build cmake --build --preset windows
	@$(STAGE) windows-test scripts/with-wineserver ctest --preset windows
	@$(STAGE) dist-test scripts/dist-test
	@echo && echo "All stages passed:" && cat $(STAGES) && echo
	@scripts/test-summary build/logs/native-test.log build/logs/asan-test.log \
	    build/logs/windows-test.log

bootstrap:
	scripts/bootstrap

check:
	scripts/check-layout
	scripts/check-format

native:
	cmake --preset native && cmake --build --preset native && ctest --preset native

asan:
	cmake --preset native-asan && cmake --build --preset native-asan && ctest --preset native-asan

fuzz:
	scripts/run-fuzzers

windows:
	cmake --preset windows && cmake --build --preset windows
	scripts/with-wineserver ctest --preset windows

dist:
	scripts/bootstrap
	cmake --preset windows
	cmake --build --preset windows --target quorel quorel-cli -j2
	scripts/dist

mutate:
	cmake --preset native >/dev/null
	scripts/mutate $(if $(SEED),--seed $(SEED)) $(if $(COUNT),--count $(COUNT)) \
	    $(if $(DOMAIN),--domain $(DOMAIN)) $(if $(EDITING),--editing $(EDITING))

sample:
	cmake --preset native >/dev/null
	cmake --build --preset native --target make_sample make_demo_volume
	build/native/samples/make_sample samples/sample.acl
	build/native/samples/make_demo_volume samples/demo.qvol

format:
	scripts/check-format --fix

clean:
	if [ -d build/windows/wineprefix ]; then \
	    WINEPREFIX="$(CURDIR)/build/windows/wineprefix" wineserver -k 2>/dev/null || true; \
	fi
	rm -rf build

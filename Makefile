# The commands a user types. Each one installs the Debian packages it needs first.
#   make demo   build, then update a simulated console and sign through the real main window
#   make run    build and start Tarvex2 (needs a display)
#   make try    Tarvex2 with a simulated console and sign in a try-out folder (needs a display)
#   make screenshot  draw the windows into docs/ without a display
#   make test   build and run every test
#   make asan   every test under AddressSanitizer and UndefinedBehaviorSanitizer
#   make tsan   the tests without Qt under ThreadSanitizer
#   make fuzz   the libFuzzer targets, each for FUZZ_SECONDS
#   make package  the Debian package, checked inside
#   make windows       the Windows programs (mingw-w64): tarvex2.exe, tarvex2-demo.exe, the tests
#   make test-windows  their tests, run as Windows programs under Wine
#   make demo-windows  the Windows program's window updating a simulated console and sign (Wine)
#   make screenshot-windows  the Windows program's windows drawn on Wine's virtual desktop
#   make installer-windows   the Windows installer under Wine: over an earlier version, started, uninstalled
#   make bench-windows the Windows benches under Wine (worker, start-up, markers, size)
#   make test-drivers  the jobs over the Linux kernel's UART and USB-serial drivers (QEMU)
#   make bench-drivers the console job against cat over the UART and USB-serial drivers (QEMU)

PACKAGES := cmake ninja-build g++ clang pkg-config libgtest-dev libgmock-dev \
            qt6-base-dev libserialport-dev libcurl4-openssl-dev python3-pyftpdlib curl \
            fonts-dejavu-core dpkg-dev locales
SUDO := $(shell [ "$$(id -u)" -eq 0 ] || echo sudo)
JOBS ?= $(shell nproc)
CTEST := ctest --output-on-failure -j $(JOBS)
SANITIZE_ASAN := -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer
SANITIZE_TSAN := -fsanitize=thread

.PHONY: deps demo run try screenshot test asan tsan fuzz bench package format clean \
        windows test-windows demo-windows screenshot-windows installer-windows bench-windows \
        test-drivers bench-drivers

# Installs those of the Debian packages $(1) that are missing, saying which.
define INSTALL_MISSING
	@missing=$$(for p in $(1); do dpkg -s $$p >/dev/null 2>&1 || echo $$p; done); \
	if [ -n "$$missing" ]; then \
		echo "Installing Debian packages:" $$missing; \
		$(SUDO) apt-get update && \
		$(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $$missing; \
	fi
endef

deps:
	$(call INSTALL_MISSING,$(PACKAGES))

# The program and its package are built with the distribution's build flags, hardening included.
DEB_FLAGS = $(shell DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get $(1) 2>/dev/null)
build/build.ninja: | deps
	cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DCMAKE_CXX_FLAGS="$(call DEB_FLAGS,CPPFLAGS) $(call DEB_FLAGS,CXXFLAGS)" \
		-DCMAKE_EXE_LINKER_FLAGS="$(call DEB_FLAGS,LDFLAGS)"

build-asan/build.ninja: | deps
	cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTARVEX_BENCHMARKS=OFF \
		-DCMAKE_CXX_FLAGS="$(SANITIZE_ASAN)" -DCMAKE_EXE_LINKER_FLAGS="$(SANITIZE_ASAN)"

build-tsan/build.ninja: | deps
	cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTARVEX_BENCHMARKS=OFF \
		-DTARVEX_WITH_QT=OFF \
		-DCMAKE_CXX_FLAGS="$(SANITIZE_TSAN)" -DCMAKE_EXE_LINKER_FLAGS="$(SANITIZE_TSAN)"

# Windows: Debian's mingw-w64 (posix threads) and Wine, with a prefix of the build's own.
WINDOWS_PACKAGES := cmake ninja-build g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 \
                    googletest wine wine64 python3-pyftpdlib nsis
WINE_ENV := WINEPREFIX=$(CURDIR)/build-windows/wine-prefix WINEDEBUG=-all \
            WINEDLLOVERRIDES="mscoree,mshtml=" DISPLAY= WAYLAND_DISPLAY=

build-windows/build.ninja:
	$(call INSTALL_MISSING,$(WINDOWS_PACKAGES))
	cmake -S . -B build-windows -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
		-DTARVEX_LINUX_DEVSIM=$(CURDIR)/build/tools/devsim/tarvex2-devsim

# The test list is read by running each test program under Wine, so even the build needs it.
windows: build-windows/build.ninja
	$(call INSTALL_MISSING,$(WINDOWS_PACKAGES))
	sh tools/windows/wine_prefix.sh $(CURDIR)/build-windows/wine-prefix
	$(WINE_ENV) cmake --build build-windows; rc=$$?; $(WINE_ENV) wineserver -k 2>/dev/null; exit $$rc

# The Windows benches under Wine, beside the Linux build: the worker's wake-up and idle CPU on
# both systems, tarvex2.exe's start-up to first paint against a minimal dialog, marker to reply
# through the Win32 window against a bare echo (the simulator's side is the Linux build's), and
# the programs' sizes.
bench-windows: windows build/build.ninja
	cmake --build build --target worker_bench wine_marker_bench tarvex2
	($(WINE_ENV) sh bench/worker_on_both_systems.sh ./build/bench/worker_bench \
		./build-windows/bench/worker_bench.exe 2 && \
	 $(WINE_ENV) wine ./build-windows/bench/first_paint_bench.exe ./build-windows/tarvex2.exe \
		./build-windows/bench/minimal_dialog.exe 10 && \
	 $(WINE_ENV) ./build/bench/wine_marker_bench ./build-windows/bench/marker_responders.exe 10 && \
	 sh bench/program_size.sh ./build/tarvex2 ./build-windows/tarvex2.exe) \
		> build-windows/bench-results.txt 2>&1; rc=$$?; cat build-windows/bench-results.txt; \
		$(WINE_ENV) wineserver -k; exit $$rc

# The Windows window under Wine, the Linux simulators at the far end of its COM ports.
demo-windows: windows build/build.ninja
	cmake --build build --target tarvex2-devsim
	$(WINE_ENV) sh tools/windows/demo_windows.sh ./build/tools/devsim/tarvex2-devsim \
		./build-windows/tarvex2-demo.exe; rc=$$?; $(WINE_ENV) wineserver -k; exit $$rc

# The pictures in docs/windows-*.png, drawn on Wine's virtual desktop in an X server of their own.
screenshot-windows: windows
	$(call INSTALL_MISSING,xvfb fonts-wine)
	sh tools/windows/screenshots.sh $(CURDIR)/build-windows $(CURDIR)/docs

# The installer, and its round trip in a Wine prefix and a home of its own: an upgrade from an
# earlier version's setup (the same program under an earlier version number), then an uninstall.
VERSION := $(shell grep -m1 -o 'Tarvex2 VERSION [0-9.]*' CMakeLists.txt | cut -d' ' -f3)
installer-windows: windows
	$(WINE_ENV) cmake --build build-windows --target installer installer-earlier; rc=$$?; \
		$(WINE_ENV) wineserver -k 2>/dev/null; exit $$rc
	sh tools/windows/installer_round_trip.sh build-windows/tarvex2-$(VERSION)-setup.exe \
		build-windows/tarvex2-earlier-setup.exe tools/windows/wine_prefix.sh

# Under load Wine now and then fails to start a test program at all (no output, within
# milliseconds): a test that fails is started once more, so only one that fails twice counts.
test-windows: windows build/build.ninja
	cmake --build build --target tarvex2-devsim
	cd build-windows && $(WINE_ENV) $(CTEST) --repeat until-pass:2
	$(WINE_ENV) wineserver -k 2>/dev/null || true  # none is left when the last test has ended

test: build/build.ninja
	cmake --build build
	cd build && $(CTEST)

# A small virtual machine with Debian's kernel (unpacked into build/drivers, never installed)
# whose serial ports lead to the simulators on this machine.
DRIVER_PACKAGES := qemu-system-x86 busybox-static kmod xz-utils
test-drivers: build/build.ninja
	$(call INSTALL_MISSING,$(DRIVER_PACKAGES))
	cmake --build build --target tarvex2-demo tarvex2-devsim
	sh tests/drivers/test_drivers.sh build

# Not a test: the figures of bench/driver_figures.py over both drivers (about 4 minutes).
bench-drivers: build/build.ninja
	$(call INSTALL_MISSING,$(DRIVER_PACKAGES))
	cmake --build build --target tarvex2-demo tarvex2-devsim
	sh tests/drivers/test_drivers.sh build figures

# The layering is the same in every build: the plain build's tests check it, these do not.
asan: build-asan/build.ninja
	cmake --build build-asan
	cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 $(CTEST) -E '^Layers\.'

# ThreadSanitizer needs the address space laid out without full randomisation.
tsan: build-tsan/build.ninja
	cmake --build build-tsan
	cd build-tsan && TSAN_OPTIONS=halt_on_error=1 setarch "$$(uname -m)" -R $(CTEST) -E '^Layers\.'

# The fuzz targets, built with clang, each run for a while (FUZZ_SECONDS).
FUZZ_SECONDS ?= 60
build-fuzz/build.ninja: | deps
	cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ \
		-DTARVEX_WITH_QT=OFF -DTARVEX_BENCHMARKS=OFF -DTARVEX_FUZZ=ON \
		-DCMAKE_CXX_FLAGS="-fsanitize=address,undefined" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined"

fuzz: build-fuzz/build.ninja
	cmake --build build-fuzz --target reply_text_fuzz settings_fuzz
	./build-fuzz/tests/reply_text_fuzz -max_total_time=$(FUZZ_SECONDS) -max_len=4096 -artifact_prefix=build-fuzz/
	./build-fuzz/tests/settings_fuzz -max_total_time=$(FUZZ_SECONDS) -max_len=1024 -malloc_limit_mb=64 \
		-artifact_prefix=build-fuzz/

run: build/build.ninja
	cmake --build build
	@if [ -z "$$DISPLAY$$WAYLAND_DISPLAY$$QT_QPA_PLATFORM" ]; then \
		echo "Tarvex2 is a desktop program and needs a display (DISPLAY or WAYLAND_DISPLAY)."; \
		echo "Without one, 'make test' runs every test and 'make screenshot' draws the window."; \
		exit 1; \
	fi
	cd build && ./tarvex2

# A try-out folder, a simulated console and sign, and Tarvex2 started there (needs a display).
try: build/build.ninja
	cmake --build build
	@if [ -z "$$DISPLAY$$WAYLAND_DISPLAY$$QT_QPA_PLATFORM" ]; then \
		echo "Tarvex2 is a desktop program and needs a display (DISPLAY or WAYLAND_DISPLAY)."; \
		echo "Without one, 'make demo' runs whole jobs offscreen and 'make test' every test."; \
		exit 1; \
	fi
	sh tools/try/try.sh build

demo: build/build.ninja
	cmake --build build --target tarvex2-demo
	./build/tarvex2-demo

# Run in build/, where the licence text lies beside the program. The ports picture lists the
# simulator through the user's runtime folder; a session without one gets a folder of its own.
screenshot: build/build.ninja
	cmake --build build --target tarvex2-screenshot
	cd build && runtime=$${XDG_RUNTIME_DIR:-$$(mktemp -d)} && \
	for window in main about system help ports try; do \
		XDG_RUNTIME_DIR=$$runtime QT_QPA_PLATFORM=offscreen ./tools/screenshot/tarvex2-screenshot \
			../docs/$$window-window.png $$window || exit 1; \
	done

# Every figure against its reference of the same run; the whole output also goes to
# build/bench-results.txt, which bench/README.md is written from.
bench: build/build.ninja
	cmake --build build
	bash -o pipefail -c '{ ./build/bench/worker_bench && ./build/bench/window_bench && \
	  ./build/bench/transfer_bench && ./build/bench/download_bench && \
	  ./build/bench/devsim_bench; } 2>&1 | grep -v XDG_RUNTIME_DIR | tee build/bench-results.txt'

# The Debian package, then a look inside it (and the validators that are installed).
# The validators a distribution applies, which the package's check needs.
PACKAGE_CHECKS := lintian appstream desktop-file-utils
package: build/build.ninja
	$(call INSTALL_MISSING,$(PACKAGE_CHECKS))
	cmake --build build
	cd build && cpack -G DEB
	./packaging/check_package.sh build/tarvex2_2.0.0-*.deb

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build build-asan build-tsan build-fuzz

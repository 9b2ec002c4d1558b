# The package tree's configuration, one place for tests/package/run and
# scripts/test-ci-reach (which reuses the tree's Python module). Debian's
# hardening: stack protector, checked string functions, read-only
# relocations bound at start-up. The Python module is built for Debian's
# own interpreter, whatever python3 comes first on PATH.
configure_package_tree() {
    cmake -S . -B "$1" -DCMAKE_BUILD_TYPE=Release -DORVEX_WERROR=ON -DCMAKE_INSTALL_PREFIX=/usr \
        -DORVEX_BUILD_TESTS=OFF -DORVEX_BUILD_SELFCHECK=OFF -DORVEX_BUILD_PYTHON=ON \
        -DPython3_EXECUTABLE=/usr/bin/python3 \
        "-DCMAKE_CXX_FLAGS=-fstack-protector-strong -D_FORTIFY_SOURCE=2" \
        "-DCMAKE_EXE_LINKER_FLAGS=-Wl,-z,relro -Wl,-z,now" \
        "-DCMAKE_SHARED_LINKER_FLAGS=-Wl,-z,relro -Wl,-z,now" \
        "-DCMAKE_MODULE_LINKER_FLAGS=-Wl,-z,relro -Wl,-z,now" >/dev/null
}

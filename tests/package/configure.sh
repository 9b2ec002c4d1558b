# The two Release trees' configurations, one place for scripts/test,
# tests/package/run, scripts/test-ci-reach and scripts/test-wasm. Both build
# with Debian's hardening (stack protector, checked string functions,
# read-only relocations bound at start-up), so that the package tree finds
# the plain tree's objects in ccache and only links anew.
release_flags=(-DCMAKE_BUILD_TYPE=Release -DORVEX_WERROR=ON
    "-DCMAKE_CXX_FLAGS=-fstack-protector-strong -D_FORTIFY_SOURCE=2"
    "-DCMAKE_EXE_LINKER_FLAGS=-Wl,-z,relro -Wl,-z,now"
    "-DCMAKE_SHARED_LINKER_FLAGS=-Wl,-z,relro -Wl,-z,now"
    "-DCMAKE_MODULE_LINKER_FLAGS=-Wl,-z,relro -Wl,-z,now")

# The tool as a source build installs it (static), with the tests: the
# out-of-memory tests, the WebAssembly module's and the CI reach's runs use it.
configure_plain_tree() {
    cmake -S . -B "$1" "${release_flags[@]}" >/dev/null
}

# The packages' tree, installed under /usr. The Python module is built for
# Debian's own interpreter, whatever python3 comes first on PATH.
configure_package_tree() {
    cmake -S . -B "$1" "${release_flags[@]}" -DCMAKE_INSTALL_PREFIX=/usr \
        -DORVEX_BUILD_TESTS=OFF -DORVEX_BUILD_SELFCHECK=OFF -DORVEX_BUILD_PYTHON=ON \
        -DPython3_EXECUTABLE=/usr/bin/python3 >/dev/null
}

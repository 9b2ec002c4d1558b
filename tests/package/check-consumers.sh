# shellcheck shell=bash disable=SC2154  # work, source, version, codes: set by tests/package/run
# Sourced by tests/package/run: programs build against the installed -dev
# package through pkg-config and through CMake's find_package, and run.
consumer=$source/tests/install/consumer
flags=$(pkg-config --cflags --libs orvexconfigvalidate) || fail "pkg-config does not know orvexconfigvalidate"
pkg-config --modversion orvexconfigvalidate | grep -qxF "$version" || fail "pkg-config version is not $version"
echo "pkg-config --cflags --libs orvexconfigvalidate: $flags"
# shellcheck disable=SC2086
c++ -std=c++17 "$consumer/main.cpp" -o "$work/pkg-config-consumer" $flags ||
    fail "the pkg-config consumer does not build"
"$work/pkg-config-consumer" || fail "the pkg-config consumer failed"

cmake -S "$consumer" -B "$work/cmake-consumer" >/dev/null || fail "find_package did not find the -dev package"
cmake --build "$work/cmake-consumer" >/dev/null || fail "the CMake consumer does not build"
"$work/cmake-consumer/consumer" || fail "the CMake consumer failed"
for header in "$source"/include/orvexconfigvalidate/*.hpp; do
    [ -f "/usr/include/orvexconfigvalidate/$(basename "$header")" ] ||
        fail "public header $(basename "$header") is not installed"
done
echo "consumers: pkg-config and CMake builds link and run"

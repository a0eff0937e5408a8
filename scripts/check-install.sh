#!/usr/bin/env bash
# Installs a build into a temporary prefix and builds a small station program against it,
# once with pkg-config and once with find_package(DavrixDB).
#   scripts/check-install.sh BUILD_DIR
set -euo pipefail
build=${1:?usage: check-install.sh BUILD_DIR}
work=$(mktemp -d /tmp/davrix-install.XXXXXX)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null

cat >"$work/app.cpp" <<'CPP'
#include <davrixdb/davrixdb.h>
#include <cstdio>
int main() {
    CDadRecordset::SetConnectionParam("DAVRIX", "", "");
    BYTE out[64];
    BYTE n = sizeof out;
    if (!geSetPWD("abc", out, n) || geGetPWD(out, n) != "abc") return 1;
    std::printf("%s\n", (const char*)CDadRecordset::GetConnectionParam());
    return 0;
}
CPP
export PKG_CONFIG_PATH=$prefix/lib/pkgconfig:$prefix/lib/x86_64-linux-gnu/pkgconfig
g++ -std=c++17 "$work/app.cpp" -o "$work/app-pc" $(pkg-config --cflags --libs davrixdb)
out=$(LD_LIBRARY_PATH=$(pkg-config --variable=libdir davrixdb) "$work/app-pc")
[ "$out" = "ODBC;DSN=DAVRIX" ] || { echo "pkg-config build printed: $out" >&2; exit 1; }

mkdir -p "$work/cm"
cat >"$work/cm/CMakeLists.txt" <<'CMAKE'
cmake_minimum_required(VERSION 3.16)
project(app CXX)
find_package(DavrixDB REQUIRED)
add_executable(app ../app.cpp)
target_link_libraries(app DavrixDB::davrixdb)
CMAKE
cmake -S "$work/cm" -B "$work/cm/build" -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$work/cm/build" >/dev/null
out=$("$work/cm/build/app")
[ "$out" = "ODBC;DSN=DAVRIX" ] || { echo "find_package build printed: $out" >&2; exit 1; }
echo "install check: pkg-config and find_package(DavrixDB) both build and run a station program"

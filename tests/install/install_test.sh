#!/usr/bin/env bash
# Checks of the installed tree, run by CTest in the native build. Every
# consumer sees the scratch prefix only, never the source or build tree.
#   install_test.sh STEP BUILD-DIR PREFIX WORK-DIR VERSION LIBDIR [FORTRAN]
# STEP: install, cmake-consumer, run PROGRAM, pkg-config, headers, symbols,
#       cache, deb
set -euo pipefail

step=$1 build=$2 prefix=$3 work=$4 version=$5 libdir=$6 fortran=${7:-OFF}
here=$(cd "$(dirname "$0")" && pwd)
standins="$prefix/$libdir/morvanta/standins"

fail() { echo "FAILED: $*"; exit 1; }

case $step in
  install)
    # The default install holds no stand-in; its component adds them.
    rm -rf "$prefix"
    cmake --install "$build" --prefix "$prefix" >/dev/null
    [ ! -e "$prefix/$libdir/morvanta/standins" ] || fail "stand-ins in the default install"
    [ ! -e "$prefix/$libdir/pkgconfig/morvanta-standins.pc" ] || fail "stand-ins' .pc in the default install"
    cmake --install "$build" --prefix "$prefix" --component standins >/dev/null
    for f in include/morvanta/dbutil.h include/morvanta/forms.h include/morvanta/functions.h \
             include/morvanta/morvanta_version.h \
             "$libdir"/libdbutil.a "$libdir"/libxcvt.a "$libdir"/libfbind.a "$libdir"/libobjprint.a \
             "$libdir"/morvanta/udf/functions.so sbin/cache \
             "$libdir"/cmake/Morvanta/MorvantaConfig.cmake \
             "$libdir"/cmake/Morvanta/MorvantaConfigVersion.cmake \
             "$libdir"/morvanta/standins/libtdxlib.so "$libdir"/morvanta/standins/engine; do
      [ -e "$prefix/$f" ] || fail "not installed: $f"
    done
    echo "installed into $prefix" ;;

  cmake-consumer)
    # Configured with the scratch prefix as the only place to look.
    rm -rf "$work/cmake-consumer"
    cmake -S "$here/consumers/cmake" -B "$work/cmake-consumer" \
      -DCMAKE_C_COMPILER=gcc -DCMAKE_CXX_COMPILER=g++ \
      -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF \
      -DEXPECTED_VERSION="$version" -DWITH_FORTRAN="$fortran" >"$work/cmake-consumer.log" 2>&1 ||
      { cat "$work/cmake-consumer.log"; fail "consumer does not configure"; }
    cmake --build "$work/cmake-consumer" >>"$work/cmake-consumer.log" 2>&1 ||
      { cat "$work/cmake-consumer.log"; fail "consumer does not build"; }
    src=$(cd "$here/../.." && pwd)
    if grep -qs -e "$src/client" -e "$src/forms" -e "$src/standins" -e "$src/udf" \
        -e "$build/client" -e "$build/forms" -e "$build/standins" -e "$build/include" \
        "$work/cmake-consumer/CMakeFiles"/*.dir/flags.make "$work/cmake-consumer/CMakeFiles"/*.dir/link.txt; then
      fail "consumer compiled or linked with a path into the source or build tree"
    fi
    echo "consumer built" ;;

  run)
    # The stand-in client core is where the system's library path is not.
    LD_LIBRARY_PATH="$standins" "$work/cmake-consumer/$7" ;;

  pkg-config)
    export PKG_CONFIG_PATH="$prefix/$libdir/pkgconfig" PKG_CONFIG_LIBDIR="$prefix/$libdir/pkgconfig"
    for pc in morvanta-dbutil morvanta-xcvt morvanta-fbind morvanta-objprint morvanta-standins; do
      [ "$(pkg-config --modversion $pc)" = "$version" ] || fail "$pc version"
    done
    [ "$(cd "$(pkg-config --variable=libdir morvanta-dbutil)" && pwd -P)" = "$(cd "$prefix/$libdir" && pwd -P)" ] ||
      fail "libdir of morvanta-dbutil is not the prefix's"
    major=${version%%.*} minor=${version#*.}
    # Deliverables first, then the cores that the stand-ins' file supplies.
    # shellcheck disable=SC2046
    gcc -std=c99 -pedantic -Wall -Wextra -Werror \
      -DEXPECTED_VERSION="\"$version\"" -DEXPECTED_MAJOR="$major" -DEXPECTED_MINOR="$minor" \
      $(pkg-config --cflags morvanta-dbutil morvanta-xcvt) "$here/consumers/program.c" \
      -o "$work/pkg-config-program" \
      $(pkg-config --static --libs morvanta-dbutil morvanta-xcvt morvanta-standins)
    LD_LIBRARY_PATH="$standins" "$work/pkg-config-program" ;;

  headers)
    # Each installed header compiles alone, strictly, as C99 and as C++.
    for h in dbutil.h forms.h functions.h morvanta_version.h; do
      printf '#include "%s"\ntypedef int header_included;\n' "$h" | gcc -std=c99 -pedantic -Wall -Wextra -Werror -fsyntax-only \
        -I"$prefix/include/morvanta" -x c - || fail "$h as C99"
      printf '#include "%s"\ntypedef int header_included;\n' "$h" | g++ -std=c++17 -pedantic -Wall -Wextra -Werror -fsyntax-only \
        -I"$prefix/include/morvanta" -x c++ - || fail "$h as C++"
    done
    echo "headers compile alone" ;;

  symbols)
    # Every C-linkage name an archive defines globally is one of its entry
    # points; C++ names (_Z...) are outside a C program's name space.
    status=0
    for archive in dbutil xcvt fbind objprint; do
      extra=$(nm -P -g --defined-only "$prefix/$libdir/lib$archive.a" |
        awk 'NF >= 2 && $1 !~ /:$/ && $1 !~ /^_Z/ {print $1}' | sort -u |
        grep -vxF -f "$here/entry_points/$archive.txt" || true)
      if [ -n "$extra" ]; then
        echo "lib$archive.a defines names that are no entry point:" $extra
        status=1
      fi
    done
    [ $status -eq 0 ] && echo "archives define their entry points only"
    exit $status ;;

  cache)
    # The installed cache carries no RUNPATH: it finds the client core through
    # the system's library path (here the stand-in's, given by hand).
    dynamic=$(readelf -d "$prefix/sbin/cache")
    if grep -Eq 'RPATH|RUNPATH' <<<"$dynamic"; then
      grep -E 'RPATH|RUNPATH' <<<"$dynamic"
      fail "installed cache has a run path"
    fi
    grep -q 'libtdxlib.so' <<<"$dynamic" || fail "installed cache does not need libtdxlib.so"
    out=$(LD_LIBRARY_PATH="$standins" "$prefix/sbin/cache" -z) || fail "cache -z"
    [[ $out == "Shared cache manager version "* ]] || fail "cache -z printed: $out"
    echo "$out" ;;

  deb)
    # One package per component, with the files and dependencies each should have.
    rm -rf "$work/deb"
    (cd "$build" && cpack -G DEB -B "$work/deb" >"$work/deb.log" 2>&1) ||
      { cat "$work/deb.log"; fail "cpack"; }
    deb() { ls "$work/deb"/"$1"_*.deb 2>/dev/null | head -1; }
    runtime=$(deb morvanta-addons) dev=$(deb morvanta-addons-dev) standin=$(deb morvanta-addons-standins)
    [ -n "$runtime" ] && [ -n "$dev" ] && [ -n "$standin" ] || { ls "$work/deb"; fail "packages missing"; }
    contents() { dpkg-deb -c "$1" | awk '{print $6}' | sed 's|^\./|/|'; }
    has() { grep -qx "$2" <<<"$1" || fail "$3 lacks $2"; }
    lacks() { ! grep -q "$2" <<<"$1" || fail "$3 holds $2"; }
    r=$(contents "$runtime") d=$(contents "$dev") s=$(contents "$standin")
    has "$r" /usr/sbin/cache runtime
    has "$r" "/usr/$libdir/morvanta/udf/functions.so" runtime
    lacks "$r" '\.a$\|\.h$\|standins' runtime
    if [ -e "$(cd "$here/../.." && pwd)/docs/cache.8" ]; then
      grep -q '/man8/cache\.8' <<<"$r" || fail "runtime lacks the manual page"
    fi
    for f in include/morvanta/dbutil.h include/morvanta/forms.h include/morvanta/functions.h \
             include/morvanta/morvanta_version.h "$libdir"/libdbutil.a "$libdir"/libxcvt.a \
             "$libdir"/libfbind.a "$libdir"/libobjprint.a "$libdir"/cmake/Morvanta/MorvantaConfig.cmake \
             "$libdir"/cmake/Morvanta/MorvantaConfigVersion.cmake "$libdir"/pkgconfig/morvanta-dbutil.pc; do
      has "$d" "/usr/$f" development
    done
    lacks "$d" 'standins\|/sbin/\|\.so$' development
    has "$s" "/usr/$libdir/morvanta/standins/libtdxlib.so" standins
    has "$s" "/usr/$libdir/cmake/Morvanta/MorvantaStandinsTargets.cmake" standins
    has "$s" "/usr/$libdir/pkgconfig/morvanta-standins.pc" standins
    lacks "$s" '\.h$\|/sbin/' standins
    depends() { dpkg-deb -f "$1" Depends; }
    grep -q "morvanta-addons-dev (= $version)" <<<"$(depends "$standin")" ||
      fail "stand-ins do not depend on the same development package: $(depends "$standin")"
    grep -q 'libstdc++6' <<<"$(depends "$standin")" || fail "stand-ins do not depend on libstdc++6"
    grep -q 'libc6' <<<"$(depends "$runtime")" || fail "runtime does not depend on libc6"
    ! grep -q 'morvanta' <<<"$(depends "$runtime")$(depends "$dev")" ||
      fail "runtime or development package depends on another of ours"
    for p in "$runtime" "$dev" "$standin"; do
      echo "$(dpkg-deb -f "$p" Package): $(depends "$p")"
    done ;;

  *)
    fail "unknown step $step" ;;
esac

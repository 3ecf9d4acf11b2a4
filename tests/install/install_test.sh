#!/usr/bin/env bash
# Checks of the installed tree, run by CTest in the native build. Every
# consumer sees the scratch prefix only, never the source or build tree.
#   install_test.sh STEP BUILD-DIR PREFIX WORK-DIR VERSION LIBDIR [FORTRAN]
# STEP: install, cmake-consumer, run PROGRAM, pkg-config, headers, symbols,
#       cache, deb, find-package, subproject
# A step that needs a tool which is missing says it was skipped (exit 77).
set -euo pipefail

step=$1 build=$2 prefix=$3 work=$4 version=$5 libdir=$6 fortran=${7:-OFF}
here=$(cd "$(dirname "$0")" && pwd)
src=$(cd "$here/../.." && pwd)
standins="$prefix/$libdir/morvanta/standins"
# shellcheck source=../support/require_tool.sh
. "$here/../support/require_tool.sh"

fail() { echo "FAILED: $*"; exit 1; }
# files DIR: the files below DIR, relative to it, sorted, one a line.
files() { (cd "$1" && find . -type f | sed 's|^\./||' | LC_ALL=C sort); }

case $step in
  install)
    # The default install holds no stand-in; its component adds them.
    rm -rf "$prefix"
    cmake --install "$build" --prefix "$prefix" >/dev/null
    [ ! -e "$prefix/$libdir/morvanta/standins" ] || fail "stand-ins in the default install"
    [ ! -e "$prefix/$libdir/pkgconfig/morvanta-standins.pc" ] || fail "stand-ins' .pc in the default install"
    cmake --install "$build" --prefix "$prefix" --component standins >/dev/null
    for f in include/morvanta/dbutil.h include/morvanta/forms.h include/morvanta/functions.h \
             include/morvanta/internal_date.h include/morvanta/morvanta_version.h \
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
    require_tool pkg-config
    export PKG_CONFIG_PATH="$prefix/$libdir/pkgconfig" PKG_CONFIG_LIBDIR="$prefix/$libdir/pkgconfig"
    for pc in morvanta-dbutil morvanta-xcvt morvanta-fbind morvanta-objprint morvanta-standins; do
      [ "$(pkg-config --modversion $pc)" = "$version" ] || fail "$pc version"
    done
    [ "$(cd "$(pkg-config --variable=libdir morvanta-dbutil)" && pwd -P)" = "$(cd "$prefix/$libdir" && pwd -P)" ] ||
      fail "libdir of morvanta-dbutil is not the prefix's"
    # The folder above morvanta/, never morvanta/ itself with its generic names.
    [ "$(cd "$(pkg-config --variable=includedir morvanta-dbutil)" && pwd -P)" = "$(cd "$prefix/include" && pwd -P)" ] ||
      fail "includedir of morvanta-dbutil is not the prefix's include/: $(pkg-config --cflags morvanta-dbutil)"
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
    # Each installed header compiles alone, strictly, as C99 and as C++, in
    # the form programs write, with only the folder above morvanta/ on the
    # include path; the folder holds nothing but the installed headers.
    for h in dbutil.h forms.h functions.h internal_date.h morvanta_version.h; do
      printf '#include <morvanta/%s>\ntypedef int header_included;\n' "$h" | gcc -std=c99 -pedantic -Wall -Wextra -Werror -fsyntax-only \
        -I"$prefix/include" -x c - || fail "$h as C99"
      printf '#include <morvanta/%s>\ntypedef int header_included;\n' "$h" | g++ -std=c++17 -pedantic -Wall -Wextra -Werror -fsyntax-only \
        -I"$prefix/include" -x c++ - || fail "$h as C++"
    done
    [ "$(files "$prefix/include" | tr '\n' ' ')" = "morvanta/dbutil.h morvanta/forms.h morvanta/functions.h morvanta/internal_date.h morvanta/morvanta_version.h " ] ||
      fail "include/ holds more or less than the public headers: $(files "$prefix/include" | tr '\n' ' ')"
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
    # The module the engine loads makes its entry point visible, nothing else.
    exported=$(nm -D --defined-only "$prefix/$libdir/morvanta/udf/functions.so" | awk '{print $NF}' | sort -u)
    if [ "$exported" != "$(cat "$here/entry_points/functions.txt")" ]; then
      echo "functions.so exports:" $exported
      status=1
    fi
    [ $status -eq 0 ] && echo "archives and functions.so define their entry points only"
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
    require_tool dpkg-deb dpkg-shlibdeps
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
    if [ -e "$src/docs/cache.8" ]; then
      grep -q '/man8/cache\.8' <<<"$r" || fail "runtime lacks the manual page"
    fi
    for f in include/morvanta/dbutil.h include/morvanta/forms.h include/morvanta/functions.h \
             include/morvanta/internal_date.h include/morvanta/morvanta_version.h "$libdir"/libdbutil.a "$libdir"/libxcvt.a \
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

  find-package)
    # A consumer's find_package says what is missing. The tree without its
    # stand-ins goes to a prefix of its own; libraries are looked for below
    # the prefix only (a find root), so that no client core of the system's
    # is found.
    rm -rf "$work/bare" "$work/find-package"
    cmake --install "$build" --prefix "$work/bare" >/dev/null
    # prefix | arguments | configures | what it says
    cases="
bare |                                                    | no  | MORVANTA_CLIENT_CORE_LIBRARY is not set.*install the stand-in component standins
bare | -DASK=COMPONENTS;standins                          | no  | component standins: not installed
bare | -DASK=COMPONENTS;nonesuch                          | no  | component nonesuch: no such component
bare | -DASK=OPTIONAL_COMPONENTS;standins                 | no  | MORVANTA_CLIENT_CORE_LIBRARY is not set
bare | -DMORVANTA_CLIENT_CORE_LIBRARY=/opt/lib/libtdxlib.so | yes | client core: /opt/lib/libtdxlib.so;forms core: none
full |                                                    | no  | MORVANTA_CLIENT_CORE_LIBRARY is not set
full | -DASK=COMPONENTS;standins                          | yes | client core: Morvanta::tdxlib;forms core: Morvanta::standin_forms_core"
    n=0 status=0
    while IFS='|' read -r where arguments configures says; do
      [ -n "$where" ] || continue
      n=$((n + 1))
      # Blanks around the cells go.
      read -r where <<<"$where"; read -r arguments <<<"$arguments"
      read -r configures <<<"$configures"; read -r says <<<"$says"
      case $where in bare) p="$work/bare" ;; full) p="$prefix" ;; esac
      out=$(cmake -S "$here/consumers/find_package" -B "$work/find-package/$n" -DCMAKE_C_COMPILER=gcc \
              -DCMAKE_PREFIX_PATH="$p" -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF \
              -DCMAKE_FIND_ROOT_PATH="$p" -DCMAKE_FIND_ROOT_PATH_MODE_LIBRARY=ONLY \
              ${arguments:+"$arguments"} 2>&1) && ok=yes || ok=no
      flat=$(tr '\n' ' ' <<<"$out" | tr -s ' ')
      if [ "$ok" != "$configures" ] || ! grep -Eq -- "${says//;/.*}" <<<"$flat"; then
        echo "case $n ($where $arguments): configured: $ok, expected $configures, saying: $says"
        echo "$out"
        status=1
      fi
    done <<<"$cases"
    [ $status -eq 0 ] && echo "find_package says what is missing in $n cases"
    exit $status ;;

  subproject)
    # A parent project adds the tree (FetchContent) beside targets of its own
    # named cache, demo, engine and functions. Its `all` builds the
    # deliverables and the stand-in client core cache links, nothing else;
    # its install holds its own files only, and ours once it sets
    # MORVANTA_INSTALL; its CPack settings stay its own; the client core
    # switch reaches every target.
    dir="$work/parent"
    rm -rf "$dir" "$work/parent-install" "$work/parent-install-ours"
    cmake -S "$here/parent" -B "$dir" -DMORVANTA_SOURCE_DIR="$src" >"$work/parent.log" 2>&1 &&
      cmake --build "$dir" -j 2 >>"$work/parent.log" 2>&1 ||
      { cat "$work/parent.log"; fail "the parent project does not build"; }
    built=$(cd "$dir/_deps/morvanta-build" &&
      find . -name CMakeFiles -prune -o -type f \( -name '*.a' -o -name '*.so' -o -perm -u+x \) -print |
      sed 's|^\./||' | LC_ALL=C sort | tr '\n' ' ')
    [ "$built" = "cache/cache client/libdbutil.a forms/fbind/libfbind.a forms/objprint/libobjprint.a forms/xcvt/libxcvt.a standins/client_core/libtdxlib.so udf/functions.so " ] ||
      fail "the parent's all built: $built"
    cmake --install "$dir" --prefix "$work/parent-install" >/dev/null
    installed=$(files "$work/parent-install" | tr '\n' ' ')
    [ "$installed" = "bin/cache bin/engine lib/libfunctions.so " ] || fail "the parent's install holds: $installed"
    cmake -DMORVANTA_INSTALL=ON "$dir" >>"$work/parent.log" 2>&1 &&
      cmake --build "$dir" -j 2 >>"$work/parent.log" 2>&1 ||
      { cat "$work/parent.log"; fail "the parent project does not build with MORVANTA_INSTALL"; }
    cmake --install "$dir" --prefix "$work/parent-install-ours" >/dev/null
    installed=$(files "$work/parent-install-ours")
    # Inside the parent our files follow the parent's layout (its lib), not
    # the multiarch folder this tree picks as the top project.
    for f in bin/cache sbin/cache include/morvanta/dbutil.h lib/libdbutil.a \
             lib/cmake/Morvanta/MorvantaConfig.cmake lib/pkgconfig/morvanta-dbutil.pc; do
      grep -qx "$f" <<<"$installed" || fail "with MORVANTA_INSTALL the parent's install lacks $f"
    done
    ! grep -q standins <<<"$installed" || fail "the parent's install holds stand-ins"
    grep -q 'set(CPACK_PACKAGE_NAME "parent")' "$dir/CPackConfig.cmake" &&
      ! grep -q morvanta "$dir/CPackConfig.cmake" || fail "CPack settings are not the parent's"
    # One switch names the client core for every target, our cache and the
    # parent's program included: here a copy of the stand-in in a folder of
    # its own stands for the product's.
    core="$work/product/libtdxlib.so"
    mkdir -p "$work/product" && cp "$dir/_deps/morvanta-build/standins/client_core/libtdxlib.so" "$core"
    cmake -DMORVANTA_CLIENT_CORE_LIBRARY="$core" "$dir" >>"$work/parent.log" 2>&1 &&
      cmake --build "$dir" -j 2 >>"$work/parent.log" 2>&1 ||
      { cat "$work/parent.log"; fail "the parent project does not build with MORVANTA_CLIENT_CORE_LIBRARY"; }
    for link in "$dir/_deps/morvanta-build/cache/CMakeFiles/morvanta_cache.dir/link.txt" \
                "$dir/CMakeFiles/cache.dir/link.txt"; do
      grep -qF "$core" "$link" && ! grep -q 'standins/client_core' "$link" ||
        fail "not linked with MORVANTA_CLIENT_CORE_LIBRARY: $(cat "$link")"
    done
    echo "as a subproject: the deliverables built, installed on request, CPack left to the parent, one core switch" ;;

  *)
    fail "unknown step $step" ;;
esac

#!/usr/bin/env bash
# An installation as a user gets it, checked end to end:
#   installation_test.sh install BUILD_DIR   cmake --install into a temporary prefix
#   installation_test.sh package BUILD_DIR   the Debian package made by cpack, installed with
#                                            dpkg into an empty folder tree
# Either way: the layout, the RUNPATHs, zentar-sync and the simulator running from there, the
# example built against the installed library with pkg-config and with CMake and run against a
# simulated terminal, and Zentar started as its desktop entry starts it.
set -euo pipefail

mode=$1
build=$(cd "$2" && pwd)
work=$(mktemp -d)
sim_pid=
zentar_pid=
cleanup() {
  [[ -n $zentar_pid ]] && kill "$zentar_pid" 2>/dev/null && wait "$zentar_pid" 2>/dev/null
  [[ -n $sim_pid ]] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

failures=0
check() {  # check DESCRIPTION COMMAND...: a failed check is reported and counted, the rest go on
  local what=$1; shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}
fail() { echo "FAILED: $*"; exit 1; }

# ---- Install -------------------------------------------------------------------------------
case $mode in
  install)
    prefix=$work/opt/zentar
    cmake --install "$build" --prefix "$prefix" >"$work/install.log" || { cat "$work/install.log"; fail "cmake --install"; }
    run_prefix=$prefix        # where the programs are found now
    entry_prefix=$prefix      # the folder the desktop entry names
    menu=$prefix/share
    ;;
  package)
    cpack --config "$build/CPackConfig.cmake" -B "$work/package" >"$work/cpack.log" || { cat "$work/cpack.log"; fail "cpack"; }
    debs=("$work"/package/zentar_*.deb)
    [[ -f ${debs[0]} ]] || fail "no zentar_*.deb in $(ls "$work/package")"
    deb=${debs[0]}
    echo "package: $(basename "$deb") ($(du -h "$deb" | cut -f1))"
    depends=$(dpkg-deb -f "$deb" Depends)
    echo "Depends: $depends"
    for dependency in libqt6widgets6 libqt6sql6 libqt6sql6-sqlite libqt6sql6-odbc qt6-qpa-plugins libodbc libc6 libstdc++6; do
      check "the package depends on $dependency" grep -q "\b$dependency" <<<"$depends"
    done
    root=$work/root
    mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
    touch "$root/var/lib/dpkg/status"
    # The dependencies are this machine's, not the empty tree's; the post-installation script
    # works on the tree it is given (DPKG_ROOT).
    dpkg --root="$root" --force-script-chrootless --force-depends -i "$deb" >"$work/dpkg.log" 2>&1 \
      || { cat "$work/dpkg.log"; fail "dpkg -i"; }
    check "dpkg records the package installed" \
      bash -c "dpkg --root='$root' -s zentar | grep -q '^Status: install ok installed'"
    outside=$(dpkg-deb -c "$deb" | awk '{print $6}' | grep -v -e '^\./opt/zentar/' -e '^\./usr/share/applications/' \
      -e '^\./usr/share/icons/' -e '^\./$' -e '^\./opt/$' -e '^\./usr/$' -e '^\./usr/share/$' || true)
    check "nothing outside /opt/zentar and the desktop menu's folders" test -z "$outside"
    [[ -z $outside ]] || echo "$outside"
    check "the program folder is writable by the group, new files in its group" \
      test "$(stat -c %a "$root/opt/zentar/bin")" = 2775 -a "$(stat -c %a "$root/opt/zentar/bin/Timbrature")" = 2775 \
      -a "$(stat -c %a "$root/opt/zentar/bin/ports")" = 2775
    check "the programs are stripped" bash -c "! readelf -S '$root/opt/zentar/bin/zentar' | grep -q '\.debug_info'"
    check "the system menu's entry" test -f "$root/usr/share/applications/zentar.desktop"
    check "the system menu's icons" test -f "$root/usr/share/icons/hicolor/64x64/apps/zentar.png" \
      -a -f "$root/usr/share/icons/hicolor/16x16/apps/zentar.png"
    prefix=$root/opt/zentar
    run_prefix=$prefix
    entry_prefix=/opt/zentar
    menu=$root/usr/share
    ;;
  *) fail "unknown mode $mode" ;;
esac

# ---- Layout --------------------------------------------------------------------------------
for program in zentar zentar-sync kavex-sim; do
  check "bin/$program" test -x "$prefix/bin/$program"
done
for folder in Timbrature ports; do
  check "bin/$folder, empty" bash -c "[[ -d '$prefix/bin/$folder' && -z \$(ls -A '$prefix/bin/$folder') ]]"
done
check "the serial port rule among the documents" test -f "$prefix/share/doc/zentar/contrib/99-zentar-serial.rules"
for picture in on_.jpg off_.jpg zentar.png zentar-64.png; do
  check "bin/images/$picture" test -s "$prefix/bin/images/$picture"
done
for library in kavex selvoc; do
  check "lib/lib$library.so, its soname and version" test -L "$prefix/lib/lib$library.so" -a -L "$prefix/lib/lib$library.so.1" \
    -a -f "$(readlink -f "$prefix/lib/lib$library.so")"
  check "include/$library.h" test -f "$prefix/include/$library.h"
  check "lib/pkgconfig/$library.pc" test -f "$prefix/lib/pkgconfig/$library.pc"
done
check "the CMake package" test -f "$prefix/lib/cmake/Kavex/KavexConfig.cmake" -a -f "$prefix/lib/cmake/Kavex/KavexConfigVersion.cmake"
check "the example's sources" test -f "$prefix/share/doc/zentar/examples/kavex_download/kavex_download.c"
check "no test or build-only program installed" \
  bash -c "[[ -z \$(find '$prefix' -name '*_tests' -o -name 'zentar-demo-register' -o -name 'zentar-draw-images' -o -name '*.a') ]]"

runpath() { readelf -d "$1" | sed -n 's/.*(RUNPATH).*\[\(.*\)\]/\1/p'; }
for program in zentar zentar-sync; do
  check "bin/$program finds the libraries in ../lib" test "$(runpath "$prefix/bin/$program")" = '$ORIGIN/../lib'
done
check "libkavex.so finds libselvoc.so beside it" test "$(runpath "$prefix/lib/libkavex.so.1")" = '$ORIGIN'
check "no path of the build in the installed text files" bash -c "! grep -rlIq '$build' '$prefix'"
# The libkavex.so.1 the loader picks for a program.
loaded_kavex() { readlink -f "$(ldd "$1" | sed -n 's/.*libkavex\.so\.1 => \(.*\) (0x.*/\1/p')"; }
installed_kavex=$(readlink -f "$run_prefix/lib/libkavex.so.1")
check "zentar-sync loads the installed libkavex" test "$(loaded_kavex "$run_prefix/bin/zentar-sync")" = "$installed_kavex"

# ---- zentar-sync from the installation -----------------------------------------------------
sync_out=$(cd "$work" && ODBCINI=/dev/null "$run_prefix/bin/zentar-sync" list 2>&1) || fail "zentar-sync list: $sync_out"
check "zentar-sync made its database beside itself" test -f "$run_prefix/bin/Zentar.db"
rm -f "$run_prefix/bin/Zentar.db"

# ---- The example, built against the installation -------------------------------------------
example=$prefix/share/doc/zentar/examples/kavex_download
export PKG_CONFIG_PATH=$run_prefix/lib/pkgconfig
cc -Wall -Wextra -Werror $(pkg-config --cflags kavex) -o "$work/kavex_download_pc" "$example/kavex_download.c" \
  $(pkg-config --libs kavex) || fail "the example did not build with pkg-config"
cmake -S "$example" -B "$work/example-build" -DCMAKE_PREFIX_PATH="$run_prefix" >"$work/example.log" \
  && cmake --build "$work/example-build" >>"$work/example.log" || { cat "$work/example.log"; fail "the example did not build with CMake"; }
for binary in "$work/kavex_download_pc" "$work/example-build/kavex_download"; do
  check "${binary#"$work"/} loads the installed libkavex" test "$(loaded_kavex "$binary")" = "$installed_kavex"
done

# A terminal on a direct line with one file on drive A, from the installed simulator.
mkdir -p "$work/ports" "$work/seeds/A"
printf 'REC%03d\r\n' $(seq 1 40) >"$work/seeds/A/ESEMPIO"
"$run_prefix/bin/kavex-sim" rs232 --dir "$work/ports" --port 3 --files "$work/seeds" >"$work/sim.out" 2>&1 &
sim_pid=$!
for _ in $(seq 100); do grep -q '^ready' "$work/sim.out" && break; sleep 0.1; done
grep -q '^ready' "$work/sim.out" || { cat "$work/sim.out"; fail "kavex-sim did not start"; }
for binary in "$work/kavex_download_pc" "$work/example-build/kavex_download"; do
  rm -f "$work/received.txt"
  out=$(COM_PORT_DIR=$work/ports "$binary" 3 ESEMPIO "$work/received.txt" 2>&1) || { echo "$out"; fail "$binary"; }
  echo "$out"
  check "$(basename "$binary") received the terminal's file" cmp "$work/seeds/A/ESEMPIO" "$work/received.txt"
done
# The simulator's link COM3 lies in ports/ beside kavex_download_pc, as an office's links lie in
# bin/ports/ beside Zentar: found without COM_PORT_DIR.
rm -f "$work/received.txt"
out=$(env -u COM_PORT_DIR "$work/kavex_download_pc" 3 ESEMPIO "$work/received.txt" 2>&1) || { echo "$out"; fail "kavex_download_pc without COM_PORT_DIR"; }
check "the port is ports/COM3 beside the program without COM_PORT_DIR" cmp "$work/seeds/A/ESEMPIO" "$work/received.txt"
out=$(COM_PORT_DIR=$work/ports "$work/kavex_download_pc" 3 NESSUNO "$work/none.txt" 2>&1) && fail "a missing file was received: $out"
check "a missing file fails with Kavex's error text" grep -q 'RecvFile failed: error' <<<"$out"

# ---- Zentar from its desktop entry ---------------------------------------------------------
entry=$menu/applications/zentar.desktop
check "the desktop entry" test -f "$entry"
if command -v desktop-file-validate >/dev/null; then
  check "the desktop entry is valid" desktop-file-validate "$entry"
fi
exec_line=$(sed -n 's/^Exec=//p' "$entry")
path_line=$(sed -n 's/^Path=//p' "$entry")
check "the entry's working folder is the program folder" test "$path_line" = "$entry_prefix/bin"
check "the entry starts the installed program" grep -qF "'$entry_prefix/bin/zentar'" <<<"$exec_line"
# An entry naming /opt/zentar is started on the tree it was installed into.
exec_line=${exec_line//"'$entry_prefix/bin/"/"'$run_prefix/bin/"}
(cd "$run_prefix/bin" && export ODBCINI=/dev/null QT_QPA_PLATFORM=offscreen && eval "exec $exec_line") >"$work/zentar.log" 2>&1 &
zentar_pid=$!
for _ in $(seq 300); do [[ -f $run_prefix/bin/Zentar.db ]] && break; kill -0 "$zentar_pid" 2>/dev/null || break; sleep 0.1; done
sleep 1
check "Zentar started from its entry and made its database" test -f "$run_prefix/bin/Zentar.db"
check "Zentar still runs" kill -0 "$zentar_pid"
check "Zentar's database is writable by the group (umask 002)" test "$(( 0$(stat -c %a "$run_prefix/bin/Zentar.db") & 020 ))" -ne 0
kill "$zentar_pid" 2>/dev/null; wait "$zentar_pid" 2>/dev/null || true; zentar_pid=
if [[ -s $work/zentar.log ]]; then echo "--- Zentar's output"; cat "$work/zentar.log"; fi

echo "$failures failed"
((failures == 0))

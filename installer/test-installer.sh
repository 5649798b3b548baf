#!/usr/bin/env bash
# Installs Quillon silently under wine and uninstalls it again, once per user
# (keeping the remembered settings) and once for all users (removing them
# with /REMOVESETTINGS), checking the files, the Start-menu shortcut and the
# registry keys after each step. Uses $WINEPREFIX; a settings key the prefix
# already had is put back at the end.
#   test-installer.sh <Quillon-x.y.z-setup.exe> <version>
set -uo pipefail

setup=${1:?usage: test-installer.sh <setup.exe> <version>}
version=${2:?usage: test-installer.sh <setup.exe> <version>}
: "${WINEPREFIX:?WINEPREFIX must name the prefix to install into}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"

uninstall_key='Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillon'
settings_key='HKCU\Software\Quillon'
failures=0
work=$(mktemp -d)

# wine's helper processes keep inherited pipes open: output goes through a file.
run_wine() {
  wine "$@" >"$work/out" 2>&1 </dev/null
  local rc=$?
  tr -d '\r' <"$work/out"
  return $rc
}
check() { # description, command...
  local what=$1
  shift
  if "$@"; then echo "ok   $what"; else echo "FAIL $what"; failures=$((failures + 1)); fi
}
reg_value() { # key, value name: the value's data, empty when absent
  run_wine reg query "$1" /v "$2" | sed -n "s/^ *$2 *REG_[A-Z_]* *//p"
}
has_key() { run_wine reg query "$1" >/dev/null; }
lacks_key() { ! has_key "$1"; }
# wine may print a warning first: the answer is the last line.
unix_path() { run_wine winepath -u "$1" | tail -n 1; }
win_env() { run_wine cmd /c echo "%$1%" | tail -n 1; }
appears_within() { # seconds, path: true once the path is there
  local i
  for ((i = 0; i < $1 * 10; i++)); do
    [ -s "$2" ] && return 0
    sleep 0.1
  done
  return 1
}
gone_within() { # seconds, path: true once the path is gone
  local i
  for ((i = 0; i < $1 * 10; i++)); do
    [ -e "$2" ] || return 0
    sleep 0.1
  done
  return 1
}

had_settings=0
if has_key "$settings_key"; then
  had_settings=1
  run_wine reg export "$settings_key" 'Z:'"$(echo "$work/settings.reg" | tr / '\\')" /y >/dev/null
fi
restore() {
  run_wine reg delete "$settings_key" /f >/dev/null
  [ "$had_settings" -eq 1 ] && run_wine reg import 'Z:'"$(echo "$work/settings.reg" | tr / '\\')" >/dev/null
  rm -rf "$work"
}
trap restore EXIT

appdata=$(win_env APPDATA)
programdata=$(win_env ProgramData)

scenario() { # mode (CurrentUser|AllUsers), hive, other hive, start-menu folder, uninstall extra switch
  local mode=$1 hive=$2 other=$3 programs=$4 extra=${5:-}
  local key="$hive\\$uninstall_key"
  echo "== $mode install"
  if has_key "$key"; then
    echo "FAIL Quillon is already installed in this prefix ($key); uninstall it first"
    failures=$((failures + 1))
    return
  fi
  run_wine reg add "$settings_key\\Settings" /v MainLeft /t REG_SZ /d 1200 /f >/dev/null
  # Windows always has both Start-menu folders; a fresh wine prefix may not have
  # made the all-users one yet, and the installer then falls back to the user's.
  local menu
  menu="$(unix_path "$programs")/Microsoft/Windows/Start Menu/Programs"
  mkdir -p "$menu"

  check "the installer exits cleanly" run_wine "$setup" /S "/$mode"
  check "the uninstall entry is under $hive" has_key "$key"
  check "no uninstall entry under $other" lacks_key "$other\\$uninstall_key"
  check "its name is Quillon" test "$(reg_value "$key" DisplayName)" = "Quillon"
  check "its version is $version" test "$(reg_value "$key" DisplayVersion)" = "$version"
  local location
  location=$(reg_value "$key" InstallLocation)
  check "it names where Quillon went" test -n "$location"
  [ -n "$location" ] || return
  check "its uninstall command runs the uninstaller for this mode" \
    test "$(reg_value "$key" UninstallString)" = "\"$location\\Uninstall.exe\" /$mode"
  local dir
  dir=$(unix_path "$location")
  check "Quillon.exe is installed" test -s "$dir/Quillon.exe"
  check "help.chm is installed" test -s "$dir/help.chm"
  check "the third-party notices are installed" grep -q "PDFio" "$dir/THIRD-PARTY-NOTICES.txt"
  check "the uninstaller is installed" test -s "$dir/Uninstall.exe"
  local shortcut
  shortcut="$menu/Quillon.lnk"
  check "the Start-menu shortcut is there" appears_within 5 "$shortcut"
  if [ ! -s "$shortcut" ]; then
    echo "     looked in $menu; Quillon.lnk files in the prefix:"
    find "$WINEPREFIX/drive_c" -name Quillon.lnk 2>/dev/null | sed 's/^/       /'
  fi

  echo "== $mode uninstall${extra:+ with $extra}"
  # The uninstaller runs from a copy in %TEMP% so it can remove itself; removing the folder is its last step.
  check "the uninstaller starts" run_wine "$dir/Uninstall.exe" /S "/$mode" $extra
  check "the installation folder is gone" gone_within 30 "$dir"
  check "the Start-menu shortcut is gone" gone_within 5 "$shortcut"
  check "the uninstall entry is gone" lacks_key "$key"
  if [ -n "$extra" ]; then
    check "the remembered settings are gone as asked" lacks_key "$settings_key"
  else
    check "the remembered settings stay" test "$(reg_value "$settings_key\\Settings" MainLeft)" = "1200"
  fi
}

scenario CurrentUser HKCU HKLM "$appdata"
scenario AllUsers HKLM HKCU "$programdata" /REMOVESETTINGS

echo
if [ "$failures" -eq 0 ]; then echo "installer test passed"; else echo "installer test: $failures failed"; fi
[ "$failures" -eq 0 ]

#!/usr/bin/env bash
# Starts an installed copy as a user of a fresh account would: its per-user
# data folder is made and filled on the first start, a stage the user adds
# survives a second start over a reinstalled (upgraded) copy, and a damaged
# database is kept aside while the clock still starts.
# Usage: check_installed_copy.sh BUILD_DIR WORK_DIR
set -euo pipefail
build_dir=$1
work=$2
rm -rf "$work"
mkdir -p "$work/home" "$work/data" "$work/config"
prefix="$work/prefix"
cmake --install "$build_dir" --prefix "$prefix" >/dev/null

user_folder="$work/data/Melvanta"
fail() { echo "FAIL: $*"; exit 1; }

# One start up to the clock's first paint; the program then ends by itself.
start_once() {
    local out
    out=$(env -u MELVANTA_HOME HOME="$work/home" XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config" \
        MELVANTA_REPORT_FIRST_PAINT=1 timeout 120 "$prefix/bin/melvanta" 2>"$work/stderr") ||
        fail "the installed copy did not start ($?): $(cat "$work/stderr")"
    grep -q '^first-paint' <<<"$out" || fail "no clock was painted: $out $(cat "$work/stderr")"
}

stage_names() {
    python3 - "$user_folder/DeskData.db" <<'PY'
import sqlite3, sys
print(",".join(r[0] for r in sqlite3.connect(sys.argv[1]).execute("SELECT clockname FROM deskclock ORDER BY ID")))
PY
}

start_once
for item in DeskData.db TimeData.db sounds/alarm.wav sounds/Timeout.wav sounds/Stop.wav picture/1.jpg; do
    [ -f "$user_folder/$item" ] || fail "the per-user folder lacks $item: $(ls -R "$user_folder")"
done
cmp -s "$user_folder/sounds/alarm.wav" "$prefix/share/melvanta/sounds/alarm.wav" || fail "alarm.wav is not the shipped one"
[ ! -e "$prefix/bin/TimeData.db" ] || fail "the installed copy wrote beside its executable"

# The user adds a stage and changes a setting; an upgrade installs again.
python3 - "$user_folder/DeskData.db" <<'PY'
import sqlite3, sys
db = sqlite3.connect(sys.argv[1])
db.execute("INSERT INTO deskclock (ID, clockname) VALUES (1, '年度报告')")
db.commit()
PY
printf '\n[Mine]\nkept=yes\n' >>"$user_folder/TimeData.db"
cmake --install "$build_dir" --prefix "$prefix" >/dev/null
touch "$prefix/share/melvanta/"*
start_once
[ "$(stage_names)" = "年度报告" ] || fail "the user's stage was lost: '$(stage_names)'"
grep -q '^kept=yes' "$user_folder/TimeData.db" || fail "the user's profile was overwritten"

# A damaged database: kept aside under a time-stamped name, a fresh one put in.
printf 'not a database at all' >"$user_folder/DeskData.db"
start_once
aside=$(ls "$user_folder" | grep '^DeskData\.db\.damaged-' || true)
[ -n "$aside" ] || fail "the damaged database was not kept aside: $(ls "$user_folder")"
[ "$(cat "$user_folder/$aside")" = "not a database at all" ] || fail "the kept file is not the damaged one"
[ -z "$(stage_names)" ] || fail "the fresh database is not the shipped empty one"
echo "installed copy: per-user folder filled, kept over an upgrade, damaged database kept as $aside"

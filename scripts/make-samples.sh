#!/usr/bin/env bash
# Writes the sample fault records into samples/ (or the folder given): COMTRADE
# configuration (.cfg) and ASCII data (.dat) files of a few recorders, in the 1999 and 2013
# revisions and the 1991 form, station names partly in Chinese (UTF-8), one subfolder.
# The samples are synthetic (sine waves with a fault on one phase after the trigger) and
# the script writes the same bytes on every run. Needs bash and awk only.
set -euo pipefail
export LC_ALL=C
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/samples}
mkdir -p "$out/north"

# One record per line: file (relative, without extension) | revision | station | device |
# first sample time | trigger time | sampling rate | samples | faulted phase (1..3)
records=(
  "DJ220_FR01_20230714_092653|1999|东郊220kV变电站|FR-01|14/07/2023,09:26:53.025000|14/07/2023,09:26:53.125000|1200|360|1"
  "DJ220_FR01_20230802_143011|2013|东郊220kV变电站|FR-01|02/08/2023,14:30:11.380250|02/08/2023,14:30:11.480250|1200|480|2"
  "XS110_FR02_20230905_061502|2013|西山110kV变电站|FR-02|05/09/2023,06:15:02.907500|05/09/2023,06:15:03.007500|2400|600|3"
  "north/NB35_REC7_20231120_235959|1999|North Bay 35kV|REC-7|20/11/2023,23:59:59.650000|20/11/2023,23:59:59.750000|1200|300|1"
  "north/NB35_REC7_20240101_000000|1991|North Bay 35kV|REC-7|12/31/23,23:59:59.900000|01/01/24,00:00:00.000000|1200|300|2"
)

crlf() { awk '{ printf "%s\r\n", $0 }'; }

for record in "${records[@]}"; do
  IFS='|' read -r name rev station device first trigger rate samples phase <<<"$record"
  # Analog channels Ua Ub Uc Ia, status channels: trip and breaker open.
  {
    if [ "$rev" = 1991 ]; then
      echo "$station,$device"
    else
      echo "$station,$device,$rev"
    fi
    echo "6,4A,2D"
    for ch in "1,Ua,A,kV,0.0275" "2,Ub,B,kV,0.0275" "3,Uc,C,kV,0.0275" "4,Ia,A,A,0.125"; do
      IFS=',' read -r n id ph unit mult <<<"$ch"
      if [ "$rev" = 1991 ]; then
        echo "$n,$id,$ph,Line 1,$unit,$mult,0,0,-32767,32767"
      else
        echo "$n,$id,$ph,Line 1,$unit,$mult,0,0,-32767,32767,220,0.1,S"
      fi
    done
    if [ "$rev" = 1991 ]; then
      echo "1,Trip,0"
      echo "2,Breaker open,0"
    else
      echo "1,Trip,,Line 1,0"
      echo "2,Breaker open,,Line 1,0"
    fi
    echo "50"
    echo "1"
    echo "$rate,$samples"
    echo "$first"
    echo "$trigger"
    echo "ASCII"
    if [ "$rev" != 1991 ]; then echo "1"; fi
    if [ "$rev" = 2013 ]; then
      echo "+8h00,+8h00"
      echo "0,0"
    fi
  } | crlf >"$out/$name.cfg"

  # The trigger lies 100 ms after the first sample; the faulted phase's voltage sags and the
  # current rises from there, the trip follows 40 ms later, the breaker opens 60 ms later.
  awk -v rate="$rate" -v samples="$samples" -v phase="$phase" 'BEGIN {
    pi = 3.141592653589793
    trig = int(rate / 10) + 1
    trip = trig + int(rate * 4 / 100)
    open = trig + int(rate * 6 / 100)
    for (n = 1; n <= samples; n++) {
      t = (n - 1) / rate
      line = n "," int((n - 1) * 1000000 / rate)
      for (ch = 1; ch <= 3; ch++) {
        amp = 8000
        if (ch == phase && n >= trig && n < open) amp = 2500
        v = amp * sin(2 * pi * 50 * t - (ch - 1) * 2 * pi / 3)
        line = line "," int(v < 0 ? v - 0.5 : v + 0.5)
      }
      amp = 1200
      if (n >= trig && n < open) amp = 9600
      if (n >= open) amp = 0
      v = amp * sin(2 * pi * 50 * t - (phase - 1) * 2 * pi / 3 - pi / 3)
      line = line "," int(v < 0 ? v - 0.5 : v + 0.5)
      line = line "," (n >= trip ? 1 : 0) "," (n >= open ? 1 : 0)
      printf "%s\r\n", line
    }
  }' >"$out/$name.dat"
done

#!/usr/bin/env bash
# make-gcab-fixtures.sh OUT: a small package tree in OUT/src and two cabinets of it made by an
# independent writer: OUT/mszip.cab (gcab -c -z) and OUT/stored.cab (gcab -c). Dates are written
# and read in UTC so that the cabinet holds exactly the wall-clock times set here.
set -euo pipefail
out=$1
rm -rf "$out"
mkdir -p "$out/src/lng" "$out/src/files/1/sub"
cd "$out/src"

head -c 3000 /dev/urandom > splash.bmp
head -c 70000 /dev/urandom > db.pdb                # incompressible, spans three blocks
seq 1 12000 | sed 's/^/line /' > lng/english.lng    # compressible text
echo "a database whose key is the day of 2090-06-15" > future.txt
: > empty.dat
{ head -c 90000 /dev/urandom; seq 1 30000; } > files/1/app.exe
echo "read me" > files/1/sub/readme.txt

export TZ=UTC
touch -d "2024-02-29 23:59:58" splash.bmp db.pdb lng/english.lng empty.dat
touch -d "2090-06-15 12:34:56" future.txt
touch -d "2001-09-09 01:46:40" files/1/app.exe files/1/sub/readme.txt

# Cabinet order: the setup-time files first, the folder "files" last.
entries=(splash.bmp db.pdb lng/english.lng future.txt empty.dat files/1/app.exe files/1/sub/readme.txt)
gcab -c -z "$out/mszip.cab" "${entries[@]}"
gcab -c "$out/stored.cab" "${entries[@]}"

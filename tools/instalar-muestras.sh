#!/usr/bin/env bash
# Installs the sample encyclopaedias into a drive root: the directory that stands for the drives, whose
# subdirectory "c" is drive C. Afterwards
#   C:\LUMBRE\TOMOS.DAT   the registry (C:\ENCICLO\ACTUAL.DAT, C:\ENCICLO\TOMOS.DAT)
#   C:\ENCICLO\TOMOS.DAT  the encyclopaedia list (C:\ENCICLO\SOLAR, C:\ENCICLO\RIOS)
#   C:\ENCICLO\ACTUAL.DAT the current encyclopaedia (C:\ENCICLO\SOLAR)
#   C:\ENCICLO\SOLAR, C:\ENCICLO\RIOS  copies of samples/SOLAR and samples/RIOS
# Running it again replaces the sample directories and the three files; nothing outside the given
# directory is touched.
#
# Usage: bash tools/instalar-muestras.sh <unidades-dir>

set -euo pipefail

if [[ $# -ne 1 || -z "$1" ]]; then
    echo "Uso: bash tools/instalar-muestras.sh <directorio-de-unidades>" >&2
    exit 2
fi

unidades="$1"
muestras="$(cd "$(dirname "${BASH_SOURCE[0]}")/../samples" && pwd)"

for tomo in SOLAR RIOS; do
    if [[ ! -d "$muestras/$tomo" ]]; then
        echo "No se encuentra la enciclopedia de muestra $muestras/$tomo" >&2
        exit 1
    fi
done

mkdir -p -- "$unidades"

# The store matches names without regard to letter case, so an existing "c/lumbre" is the same directory
# as "c/LUMBRE": reuse the spelling found on disk instead of making a second one beside it.
componente() {
    local dir="$1" nombre="$2" entrada
    if [[ -d "$dir" ]]; then
        shopt -s nullglob dotglob
        for entrada in "$dir"/*; do
            entrada="${entrada##*/}"
            if [[ "${entrada,,}" == "${nombre,,}" ]]; then
                shopt -u nullglob dotglob
                printf '%s' "$entrada"
                return
            fi
        done
        shopt -u nullglob dotglob
    fi
    printf '%s' "$nombre"
}

# Writes the given lines, each ending in CR LF, replacing the file by rename so it is never half-written.
escribir_lineas() {
    local destino="$1"
    shift
    local temporal
    temporal="$(mktemp "$(dirname -- "$destino")/.instalar.XXXXXX")"
    printf '%s\r\n' "$@" >"$temporal"
    chmod 644 "$temporal"
    mv -f -- "$temporal" "$destino"
}

c="$unidades/c" # the drive directory is always the lower-case letter
mkdir -p -- "$c"
lumbre="$c/$(componente "$c" LUMBRE)"
enciclo="$c/$(componente "$c" ENCICLO)"
mkdir -p -- "$lumbre" "$enciclo"

for tomo in SOLAR RIOS; do
    destino="$enciclo/$(componente "$enciclo" "$tomo")"
    temporal="$(mktemp -d "$enciclo/.instalar-$tomo.XXXXXX")"
    cp -R -- "$muestras/$tomo/." "$temporal/"
    chmod 755 "$temporal"
    rm -rf -- "$destino"
    mv -- "$temporal" "$enciclo/$tomo"
done

escribir_lineas "$enciclo/$(componente "$enciclo" TOMOS.DAT)" 'C:\ENCICLO\SOLAR' 'C:\ENCICLO\RIOS'
escribir_lineas "$enciclo/$(componente "$enciclo" ACTUAL.DAT)" 'C:\ENCICLO\SOLAR'
escribir_lineas "$lumbre/$(componente "$lumbre" TOMOS.DAT)" 'C:\ENCICLO\ACTUAL.DAT' 'C:\ENCICLO\TOMOS.DAT'

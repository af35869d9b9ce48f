#!/bin/sh
# Checks that includes run down the layers only:
#   platform <- (sbp) <- link <- program <- connection <- logdata <- device <- prodtest <- shell <- ui, apps
# sbp (the SBP record and file stream) stands on platform alone; analysis sits beside the
# features and reads SBP records through sbp, nothing else of them; storage (the records
# database) stands on the analysis and platform alone, and the shell, which composes the
# features, puts a run's results into it; analysisview stands on the analysis and storage;
# the simulated device stands on the link layer alone.
# Prints every upward include and fails when there is one.
# Usage: check-layers.sh [SOURCE_ROOT]
root=${1:-$(dirname "$0")/..}
cd "$root" || exit 2

# What each folder may include besides itself.
allowed() {
    case $1 in
    platform) echo "" ;;
    sbp) echo "platform" ;;
    link) echo "platform" ;;
    program) echo "platform link sbp" ;;
    connection) echo "platform link sbp program" ;;
    logdata) echo "platform link sbp program connection" ;;
    device) echo "platform link sbp program connection logdata" ;;
    prodtest) echo "platform link sbp program connection logdata device" ;;
    shell) echo "platform link sbp program connection logdata device prodtest analysis storage" ;;
    ui) echo "platform link sbp program connection logdata device prodtest shell" ;;
    analysis) echo "platform sbp" ;;
    analysisview) echo "platform sbp analysis storage" ;;
    storage) echo "platform analysis" ;;
    sim) echo "platform link" ;;
    vr60util) echo "platform link sbp program connection logdata device prodtest shell ui storage" ;;
    vr60ctl) echo "platform link sbp program connection logdata device prodtest shell analysis storage" ;;
    vr60view) echo "platform sbp analysis analysisview storage" ;;
    vr60sim) echo "platform link sim" ;;
    *) echo "?" ;;
    esac
}

report=$(mktemp) || exit 2
trap 'rm -f "$report"' EXIT
for dir in src/* apps/*; do
    [ -d "$dir" ] || continue
    layer=${dir##*/}
    ok=$(allowed "$layer")
    if [ "$ok" = "?" ]; then
        echo "$dir: a folder the layer check does not know; add it to scripts/check-layers.sh"
        continue
    fi
    # Project includes name their folder: #include "link/Exchange.h".
    matches=$(grep -rHoE '^[[:space:]]*#[[:space:]]*include[[:space:]]+"[A-Za-z0-9_]+/' "$dir" --include='*.h' --include='*.cpp') || continue
    echo "$matches" | while IFS= read -r hit; do
        file=${hit%%:*}
        target=${hit#*\"}
        target=${target%/}
        [ "$target" = "$layer" ] && continue
        case " $ok " in
        *" $target "*) ;;
        *) echo "$file: includes $target/ (upward or sideways from $layer/)" ;;
        esac
    done
done > "$report"
if [ -s "$report" ]; then
    cat "$report"
    exit 1
fi
echo "layers: every include runs downward"

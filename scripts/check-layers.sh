#!/bin/sh
# Checks that includes run down the layers only:
#   platform <- (basics, sbp <- pointlog) <- link <- program <- features <- shell <- ui, apps
# The features (connection, logdata, device, prodtest) are siblings: one includes another
# only where a call between them is listed in `crosscalls` below. basics (text helpers,
# the whole-file limit, map links) and sbp (the SBP record, its file stream and text) stand
# on platform alone; pointlog (other loggers' files read into SBP records) on sbp;
# analysis sits beside the features and reads SBP records through sbp and pointlog,
# nothing else of them; storage (the records database) stands on the analysis and
# platform alone, and the shell, which composes the features, puts a run's results into
# it; analysisview stands on the analysis and storage; the simulated device stands on the
# link layer alone. What program/ declares is defined in program/, never in a feature.
# Prints every upward or sideways include and every such definition, and fails when there is one.
# Usage: check-layers.sh [SOURCE_ROOT]
root=${1:-$(dirname "$0")/..}
cd "$root" || exit 2

# What each folder may include besides itself.
allowed() {
    case $1 in
    platform) echo "" ;;
    basics) echo "platform" ;;
    sbp) echo "platform" ;;
    pointlog) echo "platform sbp" ;;
    link) echo "platform" ;;
    program) echo "platform link sbp pointlog" ;;
    connection | logdata | device | prodtest) echo "platform basics link sbp pointlog program" ;;
    shell) echo "platform basics link sbp pointlog program connection logdata device prodtest analysis storage" ;;
    ui) echo "platform basics link sbp pointlog program connection logdata device prodtest shell" ;;
    analysis) echo "platform sbp pointlog" ;;
    analysisview) echo "platform sbp pointlog analysis storage" ;;
    storage) echo "platform analysis" ;;
    sim) echo "platform link" ;;
    vr60util) echo "platform basics link sbp pointlog program connection logdata device prodtest shell ui storage" ;;
    vr60ctl) echo "platform basics link sbp pointlog program connection logdata device prodtest shell analysis storage" ;;
    vr60view) echo "platform sbp pointlog analysis analysisview storage" ;;
    vr60sim) echo "platform link sim" ;;
    *) echo "?" ;;
    esac
}

# The calls between sibling features that the behaviour needs: file, header, why.
crosscalls='
src/logdata/LogClear.cpp connection/StatusQueries.h the identity is shown again after a clear
src/device/IdentityWrites.cpp connection/StatusQueries.h the identity is shown again after a write
src/device/IdentityWrites.cpp logdata/LogClear.h the station clears after writing a unit
src/device/TrackStore.cpp logdata/LogClear.h a track slot is erased before it is written
src/device/ControlCommands.cpp logdata/LogClear.h power-off and clear
src/device/ControlCommands.cpp connection/ConnectionSequence.h the link closes after a cold start
src/prodtest/TestRun.cpp logdata/LogClear.h the clear after the self test
src/prodtest/TestRun.cpp device/ControlCommands.h the power-off after the self test
src/prodtest/TestRun.cpp device/StationFollowUps.h which follow-ups the station runs
'
features="connection logdata device prodtest"

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
    matches=$(grep -rHoE '^[[:space:]]*#[[:space:]]*include[[:space:]]+"[A-Za-z0-9_]+/[^"]*"' "$dir" --include='*.h' --include='*.cpp') || continue
    echo "$matches" | while IFS= read -r hit; do
        file=${hit%%:*}
        header=${hit#*\"}
        header=${header%\"}
        target=${header%%/*}
        [ "$target" = "$layer" ] && continue
        case " $ok " in
        *" $target "*) continue ;;
        esac
        case " $features " in
        *" $layer "*)
            case " $features " in
            *" $target "*)
                echo "$crosscalls" | grep -q "^$file $header " ||
                    echo "$file: includes $header (a call between sibling features that crosscalls does not list)"
                continue ;;
            esac ;;
        esac
        echo "$file: includes $target/ (upward or sideways from $layer/)"
    done
done > "$report"

# What program/ declares (its types' members, its functions) is defined there.
types=$(grep -ohE '^(struct|class) [A-Za-z_][A-Za-z0-9_]*' src/program/*.h | awk '{print $2}' | sort -u | paste -sd'|' -)
functions=$(grep -hE '^[A-Za-z][^(]*[ *&][A-Za-z_][A-Za-z0-9_]*\(.*\);' src/program/*.h |
    grep -vE '^(inline|using|typedef|static|constexpr|return) ' | sed -E 's/\(.*//; s/.*[ *&]//' | sort -u | paste -sd'|' -)
for feature in $features; do
    pattern="^[A-Za-z].*\\b(${types:-@}):{2}~?[A-Za-z_][A-Za-z0-9_]*\\("
    [ -n "$functions" ] && pattern="$pattern|^[A-Za-z][^(]*[ *&](${functions})\\([^;]*$"
    grep -nE "$pattern" src/$feature/*.cpp 2>/dev/null | while IFS= read -r hit; do
        echo "${hit%%:*}: defines what program/ declares (${hit#*:*:})"
    done
done >> "$report"
if [ -s "$report" ]; then
    cat "$report"
    exit 1
fi
echo "layers: every include runs downward"

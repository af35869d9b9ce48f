#pragma once
// Session results as text: a table for the terminal and a JSON object.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct SessionResults;

// "YYYY-MM-DDTHH:MM:SS.mmmZ"
std::string UtcIsoText(int64_t timeMs);
// "YYYY-MM-DD HH:MM:SS.mmm"
std::string UtcTableText(int64_t timeMs);

// The table, one line per entry, without line ends: a header, a row per
// category ("-" when the log has no such run, the five runs of 5 x 10 s
// indented below it), then distance, time moving and points; then the reasons
// points were left out, and that the file was not read whole, when so.
std::vector<std::string> ResultTableLines(const SessionResults& results);

// A JSON text with its quotes and escapes.
std::string JsonString(const std::string& text);

// One JSON object: a member per category (null when the log has no such run),
// then distance_km, moving_s, points_used, points_filtered, filtered (an
// object: the count per reason), records and truncated, then `extra` (key and
// ready-made JSON value) in the order given. Ends with a line end.
// Numbers are rounded as people read them, or Exact: with every digit, for a copy
// that is read back (see SessionFromJson).
enum class JsonNumbers { Rounded, Exact };
std::string ResultJson(const SessionResults& results,
                       const std::vector<std::pair<std::string, std::string>>& extra = {},
                       JsonNumbers numbers = JsonNumbers::Rounded);

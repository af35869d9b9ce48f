#include "storage/Migrations.h"

// Portable SQL only: TEXT, INTEGER, BIGINT, DOUBLE PRECISION; ids are text
// (a UUID, a SHA-256), so no engine's own counters are needed.
const std::vector<Migration>& Migrations()
{
    static const std::vector<Migration> migrations = {
        {1,
         {"CREATE TABLE test_records ("
          " id TEXT PRIMARY KEY,"
          " time_utc TEXT NOT NULL,"
          " station TEXT NOT NULL,"
          " operator TEXT NOT NULL,"
          " program_version TEXT NOT NULL,"
          " serial BIGINT NOT NULL,"
          " user_name TEXT NOT NULL,"
          " firmware TEXT NOT NULL,"
          " ts_version TEXT NOT NULL,"
          " gps_version TEXT NOT NULL,"
          " battery INTEGER NOT NULL,"
          " best_snr INTEGER NOT NULL,"
          " best_snr_satellite INTEGER NOT NULL,"
          " selection_mask BIGINT NOT NULL,"
          " result_mask BIGINT NOT NULL,"
          " outcome TEXT NOT NULL,"
          " auto_clear INTEGER NOT NULL,"
          " auto_poweroff INTEGER NOT NULL)",
          "CREATE INDEX test_records_serial ON test_records (serial)",
          "CREATE INDEX test_records_time ON test_records (time_utc)",
          "CREATE TABLE test_items ("
          " record_id TEXT NOT NULL REFERENCES test_records (id),"
          " position INTEGER NOT NULL,"
          " item TEXT NOT NULL,"
          " passed INTEGER NOT NULL,"
          " PRIMARY KEY (record_id, item))",
          // Records meant for another database that could not be reached.
          "CREATE TABLE outbox ("
          " id TEXT PRIMARY KEY,"
          " kind TEXT NOT NULL,"
          " target TEXT NOT NULL,"
          " payload TEXT NOT NULL,"
          " queued_utc TEXT NOT NULL)"}},
        {2,
         {"CREATE TABLE sessions ("
          " sha256 TEXT PRIMARY KEY,"
          " file TEXT NOT NULL,"
          " added_utc TEXT NOT NULL,"
          " start_ms BIGINT,"
          " end_ms BIGINT,"
          " serial BIGINT,"
          " user_name TEXT,"
          " distance_m DOUBLE PRECISION NOT NULL,"
          " moving_s DOUBLE PRECISION NOT NULL,"
          " points_used BIGINT NOT NULL,"
          " points_filtered BIGINT NOT NULL)",
          "CREATE INDEX sessions_start ON sessions (start_ms)",
          "CREATE TABLE session_results ("
          " sha256 TEXT NOT NULL REFERENCES sessions (sha256),"
          " category TEXT NOT NULL,"
          " speed_ms DOUBLE PRECISION NOT NULL,"
          " start_ms BIGINT NOT NULL,"
          " end_ms BIGINT NOT NULL,"
          " PRIMARY KEY (sha256, category))"}},
        {3,
         {// The points each filter left out, and whether the analysis read the whole file.
          "CREATE TABLE session_filtered ("
          " sha256 TEXT NOT NULL REFERENCES sessions (sha256),"
          " reason TEXT NOT NULL,"
          " points BIGINT NOT NULL,"
          " PRIMARY KEY (sha256, reason))",
          "ALTER TABLE sessions ADD COLUMN truncated INTEGER NOT NULL DEFAULT 0"}},
        {4,
         {// auto_clear and auto_poweroff now say what the run did; what the configuration said
          // goes here, which is what the older rows hold in both.
          "ALTER TABLE test_records ADD COLUMN configured_clear INTEGER NOT NULL DEFAULT 0",
          "ALTER TABLE test_records ADD COLUMN configured_poweroff INTEGER NOT NULL DEFAULT 0",
          "UPDATE test_records SET configured_clear = auto_clear, configured_poweroff = auto_poweroff",
          // Items the unit never judged; older rows hold them as failed in runs without a verdict.
          "ALTER TABLE test_items ADD COLUMN judged INTEGER NOT NULL DEFAULT 1",
          "UPDATE test_items SET judged = 0, passed = 0 WHERE record_id IN"
          " (SELECT id FROM test_records WHERE outcome NOT IN ('PASS', 'FAIL'))"}},
        {5,
         {// The rule set each session's results were computed under; the sessions
          // stored before had this utility's own definitions, now named vr60.
          "ALTER TABLE sessions ADD COLUMN rules TEXT NOT NULL DEFAULT 'vr60'"}},
        {6,
         {// The test station's slot (port) a unit was tested in; empty for the single-unit test.
          "ALTER TABLE test_records ADD COLUMN slot TEXT NOT NULL DEFAULT ''"}},
    };
    return migrations;
}

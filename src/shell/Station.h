#pragma once
// The test station: the self test on many ports at once. Each slot (a port) runs its
// units in a worker process of its own (vr60ctl selftest --station-slot), so a unit that
// hangs, answers garbage or vanishes takes nothing from the other slots; the workers
// share the configuration file, which each reads at its unit's start and none writes,
// and the records database, where each stores its own unit's record.
//
// A slot starts a unit when its port appears (a device change asks for a rescan at
// once; the ports are polled as well, which is how a device path given on the command
// line, a simulator's pty, is seen), and starts nothing on a port that stays plugged
// after its test. Its last result stays until the next unit arrives.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// Worker to station, one stdout line each: "@station<TAB>KIND<TAB>FIELD..." with KIND
// step (the step now running), unit (serial, user name) or result (outcome, failed items).
inline constexpr const char* kStationLinePrefix = "@station\t";
std::string StationLine(const std::vector<std::string>& fields);
// The fields of a worker's line (kind first); empty for any other line.
std::vector<std::string> StationLineFields(const std::string& line);

enum class SlotPhase {
    Waiting,   // no unit yet, or the last one was unplugged: the next one starts at once
    Testing,
    Done,      // the last result stays shown until the port goes and comes back
};

struct StationSlot {
    std::string port;                 // as given: COMn or a device path
    SlotPhase phase = SlotPhase::Waiting;
    bool present = false;
    int64_t serial = -1;              // the unit's, once read; -1 not (yet) known
    std::string userName;
    std::string step;                 // while testing
    std::string outcome;              // the last run's (a record outcome); empty before the first
    std::vector<std::string> failedItems;
    int64_t startedMs = 0;
    int64_t tookMs = 0;               // the last run's time
    std::string sharedSerialWith;     // the port of another slot testing a unit of this serial
    int units = 0;                    // units this slot has tested
};

// "000012345", or "-" before the serial is read.
std::string SlotSerialText(int64_t serial);
// "PASS", "FAIL: GPS RMC, Battery", "no answer", ...; "testing: STEP" while a run is on.
std::string SlotVerdictText(const StationSlot& slot);

struct StationOptions {
    std::vector<std::string> ports;          // the slots; empty with all
    bool all = false;                        // every port of the system's table, as it comes
    int count = 0;                           // end after this many units in all; 0: run until stopped
    std::string worker;                      // the vr60ctl program
    std::vector<std::string> globalArgs;     // before the command (--db URL, --baud RATE)
    std::vector<std::string> testArgs;       // after "selftest" (--items LIST, ...)
    int pollMs = 250;
};

// Runs in the caller's Qt event loop (QCoreApplication or the window's).
class Station {
public:
    explicit Station(StationOptions options);
    ~Station();
    Station(const Station&) = delete;
    Station& operator=(const Station&) = delete;

    std::function<void(size_t slot)> slotChanged;      // a slot's state changed
    std::function<void(const std::string&)> note;      // a line for the operator (two units, one serial)
    std::function<void()> finished;                    // --count reached, or the stop is complete

    void start();
    // Passes the stop to every worker (each ends its run as interrupted, only leaving link
    // mode) and starts no more units; finished follows once every worker has ended.
    void stop();
    bool stopping() const;
    bool done() const;

    const std::vector<StationSlot>& slotList() const;
    int unitsTested() const;
    int unitsPassed() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

#pragma once
// A simulated logger that speaks the device protocol: it parses request frames
// from the PC and queues answer frames, with optional faults. It knows nothing
// about ports: SimTransport feeds it in-process, vr60sim over a pseudo-terminal.
// Feature areas extend it by registering handlers for further request keys.

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "link/FrameParser.h"
#include "platform/ByteOrder.h"
#include "sim/SimControl.h"
#include "sim/SimFaults.h"
#include "sim/SimLogArea.h"
#include "sim/SimPoi.h"
#include "sim/SimSelfTest.h"
#include "sim/SimTrackStore.h"

struct SimDeviceModel {
    std::string firmwareVersion = "VR60 G1.02";   // contains G: has the extended settings block
    std::string gpsVersionText = "VER,GPS,GSD4e_4.1.2-P1 R+";
    int32_t serialNumber = 1234;
    std::string userName = "username";
    int32_t pointsLogged = 1200;
    uint32_t logAreaBytes = 4u * 1024 * 1024;
    // language, utcOffset, unit, logMode<<4|minSpeed, speedGenie, speedAvgTime, actionSpeed<<1|speedFont
    std::array<uint8_t, 7> settings{0, 16, 0, 0x10, 0, 10, 0};
    std::array<uint8_t, 7> factorySettings{0, 0, 0, 0x10, 0, 10, 0};

    bool extended() const { return firmwareVersion.find('G') != std::string::npos; }
};

class SimDevice {
public:
    // payload: the request's payload (id first); length: its length.
    using Handler = std::function<void(SimDevice& device, const uint8_t* payload, int length)>;

    SimDevice();

    SimDeviceModel model;
    SimFaults faults;
    SimLogArea logArea;         // data memory (track store and log ring), top-10 tables
    SimControl control;         // reboot, power-off, GPS and NMEA switches
    SimTrackStore trackStore;   // writes into the track store, extended buffer, slot tags
    SimPoi poi;                 // the four points of interest
    SimSelfTest selfTest;       // built-in self test and the test-station readings

    // Bytes from the PC.
    void receive(const uint8_t* data, int count);
    // Lets time-driven answers fall due; nowMs is any monotonic millisecond clock.
    void advance(int64_t nowMs);
    // Up to max answer bytes that are due.
    int takeOutput(uint8_t* buffer, int max);
    bool hasOutput() const { return !output_.empty(); }
    // When the earliest delayed answer falls due (the clock of advance), or -1 when none waits;
    // a hang-up the server has yet to act on is due at once.
    int64_t nextDueMs() const;
    // The device went away (hang-up fault).
    bool hungUp() const { return hungUp_ || (closingAtMs_ >= 0 && nowMs_ >= closingAtMs_); }
    // Answers no request for forMs (negative: never again) and drops the answers still due.
    void goSilent(int64_t forMs);
    bool silent() const { return nowMs_ < silentUntil_; }

    // Registers (or replaces) the handler of a request key: id, or 0x500 + sub-command for id 5.
    void setHandler(int key, Handler handler);
    // The handler registered for a key (empty when none), so an extension can wrap it.
    Handler handler(int key) const;
    // Takes one occurrence of a counted fault for the key (see SimFaults).
    static bool takeFault(std::map<int, int>& faults, int key);

    // Answer helpers for handlers.
    void reply(uint8_t id, const std::vector<uint8_t>& data);
    void replyRaw(const std::vector<uint8_t>& bytes);   // bytes exactly as given
    void ack();
    // Queues an answer that falls due delayMs after the current time.
    // Inside a handler, the late and short faults of its request apply to both.
    void replyLater(int64_t delayMs, uint8_t id, const std::vector<uint8_t>& data);

    int64_t now() const { return nowMs_; }
    // Every request key received, in order (for tests).
    const std::vector<int>& requestLog() const { return requests_; }
    // When set, each request key is also appended to this file as it arrives, one a line
    // ("11", "0x1E", "5/4"), so another process can see what was asked.
    std::string requestLogFile;
    const std::vector<uint8_t>& lastRequestPayload() const { return lastPayload_; }

private:
    void handleFrame(int length);
    void installBasicHandlers();

    RxFrame frame_;
    LinkStatistics stats_;
    TransferGauge gauge_{1, 0, 0};
    FrameParser parser_{frame_, stats_, gauge_};
    std::map<int, Handler> handlers_;
    std::deque<uint8_t> output_;
    struct Pending {
        int64_t due;
        std::vector<uint8_t> bytes;
    };
    std::vector<Pending> pending_;
    std::vector<int> requests_;
    std::vector<uint8_t> lastPayload_;
    int currentKey_ = -1;
    bool answerLate_ = false;    // the current request's answers are held back by faults.lateMs
    bool answerShort_ = false;   // ... and keep only their first data byte
    int64_t nowMs_ = 0;
    int64_t silentUntil_ = 0;
    bool hungUp_ = false;
    int64_t bytesBeforeHangUp_ = -1;   // the hangup-bytes fault once armed
    int64_t closingAtMs_ = -1;         // its last byte is out: the hang-up follows at this time
};

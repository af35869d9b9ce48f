#pragma once
// The program-wide records, one instance each, owned by the application (or a
// test) and passed explicitly to every operation.

#include <cstdint>
#include <memory>
#include <string>

#include "link/LinkContext.h"
#include "link/PortScanState.h"
#include "platform/Clock.h"
#include "platform/ExternalTool.h"
#include "platform/ResultCode.h"
#include "platform/Shell.h"
#include "program/BrowserRecord.h"
#include "program/DeviceIdentity.h"
#include "program/DeviceSettings.h"
#include "program/FollowUpChoice.h"
#include "program/FormState.h"
#include "program/LogArea.h"
#include "program/PointGrid.h"
#include "program/RecordSink.h"
#include "program/SelfTestRecord.h"
#include "program/TestConfigRecord.h"

inline constexpr const char* kProgramVersion = "V0.2B0407B";

struct Program {
    Program(Host& host, LinkContext::TransportMaker makeTransport)
        : host(host), link(host, std::move(makeTransport)) {}
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    Host& host;
    LinkContext link;
    FormState form;

    // Connection
    int32_t connected = 0;
    uint8_t savedPortNumber = 0;
    uint8_t savedBaudIndex = 6;
    std::string TitlePrefix = "VR60 UTIL ";
    PortScanState ports;

    // Identity and status
    DeviceIdentity identity;
    char firmwareVersion[kFirmwareVersionChars + 1] = "";
    int32_t pointsLogged = 0;
    uint32_t logAreaBytes = 0;

    // Settings
    DeviceSettings settings;
    bool extendedSettings = false;
    ResultCode settingsReadResult = kNoLink;   // of the last settings read since Connect; kOk: `settings` is what the device sent

    // Log data
    PointGrid grid;   // StringGrid1

    // Log area and download
    LogAreaRecord logArea;              // the last successful log-area query
    uint16_t logBlockSize = 0x2000;     // bytes asked for by one read-block request

    // Log browser and converters
    BrowserRecord browser;
    std::unique_ptr<Shell> shell = MakeDesktopShell();
    std::unique_ptr<ExternalTool> externalTool = std::make_unique<ExternalTool>();
    std::unique_ptr<Clock> clock = std::make_unique<Clock>();   // date stamps and the UTC offset test

    // Track store
    uint16_t trackUploadChunk = 48;   // bytes per write block, decided at the start of each upload
    uint8_t tagDeletePresses = 0;     // "TRK Tag Del" presses this run; only the first three act

    // Production test
    TestConfig testConfig;
    TestConfigOrigin testConfigOrigin;
    FollowUpChoice followUps;   // vr60ctl's choice for the run; the window leaves it empty
    SelfTestRecord selfTest;

    // Lasting records (test records, the session logbook); null: none kept.
    RecordSink* records = nullptr;
};

#pragma once
// Sample records for the storage tests.

#include <string>

#include <QUuid>

#include "storage/TestRecords.h"

inline TestRecord SampleTestRecord(int64_t serial, const std::string& time, const char* outcome,
                                   bool batteryPassed = true)
{
    TestRecord r;
    r.id = QUuid::createUuid().toString(QUuid::WithoutBraces).toStdString();
    r.time = time;
    r.station = "line-1";
    r.operatorName = "ann";
    r.programVersion = "V0.2B0407B";
    r.serial = serial;
    r.userName = "rider, \"one\"";
    r.firmware = "VR60 V1.0";
    r.tsVersion = "VER";
    r.gpsVersion = "GSD4e_4.1.2";
    r.battery = 425;
    r.bestSnr = 44;
    r.bestSnrSatellite = 17;
    r.selection = 0x04000001;
    r.result = batteryPassed ? 0x04000001 : 0x00000001;
    r.outcome = outcome;
    r.autoPowerOff = true;
    r.configuredClear = true;
    r.configuredPowerOff = true;
    // Only a run that ended in a verdict has the unit's verdicts.
    const bool judged = outcome == std::string(kOutcomePass) || outcome == std::string(kOutcomeFail);
    r.items = {{"RTC", judged ? ItemVerdict(true) : std::nullopt},
               {"Battery", judged ? ItemVerdict(batteryPassed) : std::nullopt}};
    return r;
}

#include "connection/SettingsRead.h"

#include "link/Exchange.h"
#include "link/FrameEncoder.h"
#include "link/LinkBusyGuard.h"
#include "platform/ResultCode.h"
#include "program/Program.h"

namespace {

void ShowSettings(Program& p)
{
    const DeviceSettings& s = p.settings;
    FormState& f = p.form;
    f.settings.logMode = s.logMode != 0 ? 1 : 0;
    f.settings.minSpeed = ItemOrNone(s.minSpeed, SettingsItems::kMinSpeedCount);
    f.settings.unit = ItemOrNone(s.unit, 3);
    f.settings.utcOffset = ItemOrNone(s.utcOffset + 24, SettingsItems::kUtcOffsetCount);
    f.settings.speedAvg = ItemOrNone(s.speedAvgTime - 1, SettingsItems::kSpeedAvgCount);
    f.settings.speedGenie = ItemOrNone(s.speedGenie, SettingsItems::kSpeedGenieCount);
    f.settings.actionSpeed = ItemOrNone(s.actionSpeed, 2);
    f.settings.speedFont = ItemOrNone(s.speedFont, 2);
}

} // namespace

ResultCode Button_Read_ConfigClick(Program& p)
{
    LinkBusyGuard guard(p.link);
    SerialLink* link = guard.linkOr("Com port not open Error!");
    if (!link)
        return kNoLink;
    // A short answer would leave stale buffer bytes in the record: treat it as failed.
    const int needed = p.extendedSettings ? kExtendedSettingsBytes : kSettingsBytes;
    const Reply reply = Exchange(p.link, link, Request::Command(0x0B), 0x8B, 2000, needed);
    if (reply.stopped())
        return p.settingsReadResult = kInterrupted;
    if (!reply.ok()) {
        p.host.messageBox("configuration request failed!");
        return p.settingsReadResult = kTimeOut;
    }
    const uint8_t* d = reply.data;
    DeviceSettings& s = p.settings;
    s.language = d[0];
    s.utcOffset = int8_t(d[1]);
    s.unit = d[2];
    s.logMode = d[3] >> 4;
    s.minSpeed = d[3] & 0x0F;
    p.form.unseen.language = s.language;
    p.form.unseen.unitRadio = s.unit;
    if (p.extendedSettings) {
        s.speedGenie = d[4];
        s.speedAvgTime = d[5];
        s.speedFont = d[6] & 1;
        s.actionSpeed = (d[6] >> 1) & 3;
    }
    ShowSettings(p);
    return p.settingsReadResult = kOk;
}

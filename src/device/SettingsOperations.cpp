#include "device/SettingsOperations.h"

#include <cstdio>
#include <string>

#include "connection/Program.h"
#include "device/AckCommand.h"
#include "link/Exchange.h"
#include "link/FrameEncoder.h"
#include "link/LinkBusyGuard.h"

namespace SettingsItems {

const char* const kLanguages[10] = {"English", "Taiwan", "Chinese", "Japan", "French",
                                    "German", "Nederlands", "Italian", "Russian", "Spanish"};
const char* const kLog[2] = {"OFF", "5HZ"};
const char* const kUnit[3] = {"KM", "MI", "MN"};
const char* const kActionSpeed[2] = {"SPEED", "NS AVG"};
const char* const kSpeedFont[2] = {"SMALL", "BIG"};

const char* UtcOffset(int index)
{
    static char items[kUtcOffsetCount][8];
    if (index < 0 || index >= kUtcOffsetCount)
        return "";
    if (!items[0][0]) {
        for (int i = 0; i < kUtcOffsetCount; ++i) {
            const int halfHours = i - 24;
            const int minutes = (halfHours < 0 ? -halfHours : halfHours) * 30;
            std::snprintf(items[i], sizeof items[i], "%c%02d:%02d", halfHours < 0 ? '-' : '+', minutes / 60,
                          minutes % 60);
        }
    }
    return items[index];
}

const char* SpeedAvg(int index)
{
    static char items[kSpeedAvgCount][4];
    if (index < 0 || index >= kSpeedAvgCount)
        return "";
    if (!items[0][0]) {
        for (int i = 0; i < kSpeedAvgCount; ++i)
            std::snprintf(items[i], sizeof items[i], i < 2 ? "%d " : "%d", i + 1);
    }
    return items[index];
}

} // namespace SettingsItems

namespace {

// A combo box given an index outside its items shows no selection.
int ItemOrNone(int index, int count)
{
    return index >= 0 && index < count ? index : -1;
}

void ShowSettings(Program& p)
{
    const DeviceSettings& s = p.settings;
    FormState& f = p.form;
    f.logMode = s.logMode != 0 ? 1 : 0;
    f.minSpeed = ItemOrNone(s.minSpeed, SettingsItems::kMinSpeedCount);
    f.unit = ItemOrNone(s.unit, 3);
    f.utcOffset = ItemOrNone(s.utcOffset + 24, SettingsItems::kUtcOffsetCount);
    f.speedAvg = ItemOrNone(s.speedAvgTime - 1, SettingsItems::kSpeedAvgCount);
    f.speedGenie = ItemOrNone(s.speedGenie, SettingsItems::kSpeedGenieCount);
    f.actionSpeed = ItemOrNone(s.actionSpeed, 2);
    f.speedFont = ItemOrNone(s.speedFont, 2);
}

} // namespace

int Button_Read_ConfigClick(Program& p)
{
    LinkBusyGuard guard(p.link);
    SerialLink* link = guard.linkOr("Com port not open Error!");
    if (!link)
        return 1;
    SendCommand(link, 0x0B);
    if (WaitResponse(p.link, link, 0x8B, 2000) != 0) {
        p.host.messageBox("configuration request failed!");
        return 4;
    }
    // A short answer would leave stale buffer bytes in the record: treat it as failed.
    const int dataBytes = p.link.rxFrame.lengthField() - 1;
    const int needed = p.extendedSettings ? kExtendedSettingsBytes : kSettingsBytes;
    if (dataBytes < needed) {
        p.host.messageBox("configuration request failed!");
        return 4;
    }
    const uint8_t* d = p.link.rxFrame.payload() + 1;
    DeviceSettings& s = p.settings;
    s.language = d[0];
    s.utcOffset = int8_t(d[1]);
    s.unit = d[2];
    s.logMode = d[3] >> 4;
    s.minSpeed = d[3] & 0x0F;
    p.form.language = s.language;
    p.form.unitRadio = s.unit;
    if (p.extendedSettings) {
        s.speedGenie = d[4];
        s.speedAvgTime = d[5];
        s.speedFont = d[6] & 1;
        s.actionSpeed = (d[6] >> 1) & 3;
    }
    ShowSettings(p);
    return 0;
}

int Button_Set_languageClick(Program& p)
{
    LinkBusyGuard guard(p.link);
    SerialLink* link = guard.linkOr(" Com port not open Error!");
    if (!link)
        return 1;
    DeviceSettings& s = p.settings;
    // An item index of -1 (no selection) ends up as all ones in the field's bits.
    s.logMode = uint8_t(p.form.logMode) & 0x0F;
    s.minSpeed = uint8_t(p.form.minSpeed) & 0x0F;
    s.unit = uint8_t(p.form.unit);
    s.utcOffset = int8_t(p.form.utcOffset - 24);
    uint8_t bytes[kExtendedSettingsBytes] = {
        s.language, uint8_t(s.utcOffset), s.unit, uint8_t((s.logMode << 4) | s.minSpeed)};
    int count = kSettingsBytes;
    if (p.extendedSettings) {
        s.speedAvgTime = uint8_t(p.form.speedAvg + 1);
        s.speedGenie = uint8_t(p.form.speedGenie);
        s.actionSpeed = uint8_t(p.form.actionSpeed) & 3;
        s.speedFont = uint8_t(p.form.speedFont) & 1;
        bytes[4] = s.speedGenie;
        bytes[5] = s.speedAvgTime;
        bytes[6] = uint8_t((s.actionSpeed << 1) | (s.speedFont & 1));
        count = kExtendedSettingsBytes;
    }
    SendFrame(link, 0x0C, bytes, uint16_t(count));
    if (WaitResponse(p.link, link, kAck, 2000) != 0) {
        p.host.messageBox("Configuration set failed!");
        return 3;
    }
    return 0;
}

int Button_Factory_ResetClick(Program& p)
{
    return AckCommandWithBoxes(p, 0x0F, 5000, "Com port not open Error!", "Device Settings reset successfully.",
                               "Factory reset failed,");
}

int UtcOffsetIndexForBias(int biasMinutes)
{
    return -biasMinutes / 30 + 24;
}

void Button_utc_offset_testClick(Program& p)
{
    p.form.utcOffset = ItemOrNone(UtcOffsetIndexForBias(p.clock->standardBiasMinutes()), SettingsItems::kUtcOffsetCount);
}

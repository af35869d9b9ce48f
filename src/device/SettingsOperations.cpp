#include "device/SettingsOperations.h"

#include <cstdio>
#include <string>

#include "device/AckCommand.h"
#include "link/Exchange.h"
#include "link/FrameEncoder.h"
#include "link/LinkBusyGuard.h"
#include "platform/ResultCode.h"
#include "program/Program.h"

namespace SettingsItems {

const char* const kLanguages[10] = {"English", "Taiwan", "Chinese", "Japan", "French",
                                    "German", "Nederlands", "Italian", "Russian", "Spanish"};
const char* const kLog[2] = {"OFF", "5HZ"};
const char* const kUnit[3] = {"KM", "MI", "MN"};
const char* const kActionSpeed[2] = {"SPEED", "NS AVG"};
const char* const kSpeedFont[2] = {"SMALL", "BIG"};

const char* UtcOffset(int index)
{
    static char items[kUtcOffsetCount][16];   // room for any int, so the format cannot be cut
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

// A box without a selection sends its field as last read: a value the device reported
// outside the items goes back unchanged, never replaced by another invalid one.
template <typename Field>
void TakeItem(Field& field, int index, int toValue)
{
    if (index >= 0)
        field = Field(index + toValue);
}

} // namespace

ResultCode Button_Set_languageClick(Program& p)
{
    LinkBusyGuard guard(p.link);
    SerialLink* link = guard.linkOr(" Com port not open Error!");
    if (!link)
        return kNoLink;
    DeviceSettings& s = p.settings;
    const SettingsPage& f = p.form.settings;
    TakeItem(s.logMode, f.logMode, 0);
    TakeItem(s.minSpeed, f.minSpeed, 0);
    TakeItem(s.unit, f.unit, 0);
    TakeItem(s.utcOffset, f.utcOffset, -24);
    s.logMode &= 0x0F;
    s.minSpeed &= 0x0F;
    uint8_t bytes[kExtendedSettingsBytes] = {
        s.language, uint8_t(s.utcOffset), s.unit, uint8_t((s.logMode << 4) | s.minSpeed)};
    int count = kSettingsBytes;
    if (p.extendedSettings) {
        TakeItem(s.speedAvgTime, f.speedAvg, 1);
        TakeItem(s.speedGenie, f.speedGenie, 0);
        TakeItem(s.actionSpeed, f.actionSpeed, 0);
        TakeItem(s.speedFont, f.speedFont, 0);
        s.actionSpeed &= 3;
        s.speedFont &= 1;
        bytes[4] = s.speedGenie;
        bytes[5] = s.speedAvgTime;
        bytes[6] = uint8_t((s.actionSpeed << 1) | (s.speedFont & 1));
        count = kExtendedSettingsBytes;
    }
    const Reply reply = Exchange(p.link, link, Request::Frame(0x0C, bytes, uint16_t(count)), kAck, 2000);
    if (reply.stopped())
        return kInterrupted;
    if (!reply.ok()) {
        p.host.messageBox("Configuration set failed!");
        return kNoAck;
    }
    return kOk;
}

ResultCode Button_Factory_ResetClick(Program& p)
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
    p.form.settings.utcOffset =
        ItemOrNone(UtcOffsetIndexForBias(p.clock->standardBiasMinutes()), SettingsItems::kUtcOffsetCount);
}

#include "device/IdentityWrites.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "basics/Text.h"
#include "connection/StatusQueries.h"
#include "device/ControlCommands.h"
#include "device/StationFollowUps.h"
#include "device/UserNameText.h"
#include "link/Exchange.h"
#include "link/LinkBusyGuard.h"
#include "logdata/LogClear.h"
#include "platform/ByteOrder.h"
#include "platform/ResultCode.h"
#include "program/Program.h"

namespace {

constexpr uint16_t kWriteBudget = 2000;
constexpr size_t kUserNameMax = 15;
constexpr size_t kNameField = 16;
constexpr size_t kSerialDigitsMax = 9;
constexpr uint32_t kSerialNumberMax = 999999999;

std::string WithoutBlanks(const std::string& text)
{
    std::string out = text;
    out.erase(std::remove(out.begin(), out.end(), ' '), out.end());
    return out;
}

} // namespace

bool CheckUserNameText(Program& p, const std::string& text, std::string* name)
{
    const UserNameCheck check = InspectUserName(text);
    *name = check.name;
    // The dialog of old where it is true: empty, or more than 15 characters.
    const bool classic = check.fault == UserNameFault::Empty ||
                         (check.fault == UserNameFault::TooLong && check.characters > kUserNameMax);
    if (classic)
        p.host.messageBox("Username format Error(1~15 char)!");
    else if (check.fault != UserNameFault::None)
        p.host.messageBox("Username format Error: " + UserNameFaultText(check) + "!");
    return check.fault == UserNameFault::None;
}

bool CheckSerialNumberText(Program& p, const std::string& text, uint32_t* number)
{
    const std::string digits = WithoutBlanks(text);
    if (digits.size() > kSerialDigitsMax) {
        p.host.messageBox("SNO format Error!");
        return false;
    }
    int32_t value = 0;
    if (!StrictInteger(digits, &value)) {
        p.host.messageBox("'" + digits + "' is not a valid integer value");
        return false;
    }
    if (uint32_t(value) > kSerialNumberMax) {
        p.host.messageBox("SNO format Error(0~999999999)!");
        return false;
    }
    *number = uint32_t(value);
    return true;
}

ResultCode Button_update_username_binClick(Program& p)
{
    LinkBusyGuard guard(p.link);
    SerialLink* link = guard.linkOr("Com Port Error!");
    if (!link)
        return kNoLink;
    std::string& edit = p.form.settings.username;
    std::string name;
    const bool valid = CheckUserNameText(p, edit, &name);
    edit = WithoutBlanks(edit);
    if (!valid)
        return kRefused;

    uint8_t data[1 + kNameField] = {3};
    std::memcpy(data + 1, name.data(), name.size());
    p.host.setBusyCursor(true);
    RingClear(link);
    // An echo shorter than the name cannot match it.
    const Reply reply = Exchange(p.link, link, Request::Frame(5, data, sizeof data), 0x83, kWriteBudget);
    ResultCode result;
    if (reply.stopped()) {
        result = kInterrupted;
    } else if (reply.result == ExchangeResult::NoAnswer) {
        p.host.logLine("Timeout Error!");
        result = kTimeOut;
    } else if (size_t(reply.dataBytes) >= name.size() && std::memcmp(reply.data, name.data(), name.size()) == 0) {
        std::snprintf(p.identity.userName, sizeof p.identity.userName, "%s", name.c_str());
        p.host.logLine("Username updated successfully.");
        ShowIdentity(p);
        result = kOk;
    } else {
        p.host.logLine("Username updated unsuccessfully!");
        result = kWriteFailed;
    }
    p.host.setBusyCursor(false);
    return result;
}

ResultCode UpdateSerialNumber(Program& p, ResultCode* writeResult)
{
    std::string& edit = p.form.settings.serialNumberText;
    uint32_t number = 0;
    const bool valid = CheckSerialNumberText(p, edit, &number);
    edit = WithoutBlanks(edit);
    if (!valid)
        return kRefused;
    ResultCode result;
    {
        LinkBusyGuard guard(p.link);
        SerialLink* link = guard.linkOr("Com Port Error!");
        if (!link)
            return kNoLink;
        uint8_t data[5] = {2};
        PutLe32(data + 1, number);
        p.host.setBusyCursor(true);
        RingClear(link);
        const Reply reply = Exchange(p.link, link, Request::Frame(5, data, sizeof data), 0x82, kWriteBudget, 4);
        if (reply.stopped()) {
            p.host.setBusyCursor(false);
            if (writeResult)
                *writeResult = kInterrupted;
            return kInterrupted;
        } else if (reply.result == ExchangeResult::NoAnswer) {
            p.host.logLine("Timeout Error");
            result = kTimeOut;
        } else if (reply.ok() && Le32(reply.data) == number) {
            p.identity.serialNumber = int32_t(number);
            ShowIdentity(p);
            result = kOk;
        } else {
            result = kWriteFailed;
        }
    }
    if (writeResult)
        *writeResult = result;
    // The production station's follow-ups run whatever the write gave.
    LogFollowUpsSource(p);
    if (ClearFollows(p)) {
        const ResultCode cleared = Button_clearlogClick(p);
        if (result == kOk || cleared == kInterrupted)
            result = cleared;
    }
    if (PowerOffFollows(p) && result != kInterrupted) {
        const ResultCode off = Button_Power_OffClick(p);
        if (result == kOk)
            result = off;
    }
    p.host.setBusyCursor(false);
    return result;
}

ResultCode BitBtn_update_snoClick(Program& p)
{
    return UpdateSerialNumber(p, nullptr);
}

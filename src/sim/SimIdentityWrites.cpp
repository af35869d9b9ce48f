#include "sim/SimIdentityWrites.h"

#include <algorithm>
#include <cstring>

#include "sim/SimDevice.h"

namespace {

constexpr uint32_t kMaxSerialNumber = 999999999;
constexpr size_t kNameField = 16;   // the last byte is always 0: 15 characters at most

} // namespace

void InstallIdentityWrites(SimDevice& device)
{
    // 5/2: the number, u32. One above nine digits is not stored; the echo then shows the old one.
    device.setHandler(0x502, [](SimDevice& d, const uint8_t* payload, int length) {
        if (length != 6)
            return;
        const uint32_t sent = Le32(payload + 2);
        uint32_t echo = sent;
        if (SimDevice::takeFault(d.faults.badEcho, 0x502))
            echo ^= 1;
        else if (sent <= kMaxSerialNumber)
            d.model.serialNumber = int32_t(sent);
        else
            echo = uint32_t(d.model.serialNumber);
        std::vector<uint8_t> data;
        AppendLe32(data, echo);
        d.reply(0x82, data);
    });

    // 5/3: sixteen name bytes, the name ending at the first 0.
    device.setHandler(0x503, [](SimDevice& d, const uint8_t* payload, int length) {
        if (length != int(2 + kNameField))
            return;
        const char* name = reinterpret_cast<const char*>(payload + 2);
        std::string sent(name, strnlen(name, kNameField - 1));
        if (SimDevice::takeFault(d.faults.badEcho, 0x503)) {
            if (sent.empty())
                sent.push_back('\0');
            sent[0] = char(sent[0] ^ 1);
        } else {
            d.model.userName = sent;
        }
        std::vector<uint8_t> data(kNameField, 0);
        std::copy(sent.begin(), sent.end(), data.begin());
        d.reply(0x83, data);
    });
}

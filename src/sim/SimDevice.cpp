#include "sim/SimDevice.h"

#include <cstdio>
#include <limits>

#include "link/FrameEncoder.h"
#include "sim/SimIdentityWrites.h"

SimDevice::SimDevice()
{
    installBasicHandlers();
    SimLogArea::install(*this);
    InstallIdentityWrites(*this);
    SimControl::install(*this);
    SimTrackStore::install(*this);
    SimPoi::install(*this);
    SimSelfTest::install(*this);
}

void SimDevice::goSilent(int64_t forMs)
{
    silentUntil_ = forMs < 0 ? std::numeric_limits<int64_t>::max() : nowMs_ + forMs;
    pending_.clear();
}

void SimDevice::setHandler(int key, Handler handler)
{
    handlers_[key] = std::move(handler);
}

SimDevice::Handler SimDevice::handler(int key) const
{
    const auto it = handlers_.find(key);
    return it == handlers_.end() ? Handler() : it->second;
}

void SimDevice::installBasicHandlers()
{
    auto acker = [](SimDevice& d, const uint8_t*, int) { d.ack(); };
    for (int id : {1, 31, 26})
        setHandler(id, acker);
    // 14 (leave link mode) is not answered.
    setHandler(14, [](SimDevice&, const uint8_t*, int) {});

    setHandler(0x506, [](SimDevice& d, const uint8_t*, int) {
        std::vector<uint8_t> text(d.model.firmwareVersion.begin(), d.model.firmwareVersion.end());
        text.push_back(0);
        d.reply(0x86, text);
    });
    setHandler(0x505, [](SimDevice& d, const uint8_t*, int) {
        std::vector<uint8_t> data;
        AppendLe32(data, uint32_t(d.model.pointsLogged));
        AppendLe32(data, d.model.logAreaBytes);
        AppendLe32(data, uint32_t(d.model.serialNumber));
        data.insert(data.end(), d.model.userName.begin(), d.model.userName.end());
        data.push_back(0);
        d.reply(0x85, data);
    });
    setHandler(67, [](SimDevice& d, const uint8_t*, int) {
        std::vector<uint8_t> text(d.model.gpsVersionText.begin(), d.model.gpsVersionText.end());
        text.push_back(0);
        d.reply(0xC3, text);
    });
    setHandler(0x0B, [](SimDevice& d, const uint8_t*, int) {
        const int n = d.model.extended() ? 7 : 4;
        d.reply(0x8B, std::vector<uint8_t>(d.model.settings.begin(), d.model.settings.begin() + n));
    });
    setHandler(0x0C, [](SimDevice& d, const uint8_t* payload, int length) {
        const int n = length - 1;
        if (n != 4 && n != 7)
            return;   // malformed: no answer
        for (int i = 0; i < n; ++i)
            d.model.settings[size_t(i)] = payload[1 + i];
        d.ack();
    });
    setHandler(0x0F, [](SimDevice& d, const uint8_t*, int) {
        d.model.settings = d.model.factorySettings;
        d.ack();
    });
}

void SimDevice::receive(const uint8_t* data, int count)
{
    for (int i = 0; i < count && !hungUp_; ++i) {
        if (const uint16_t length = parser_.ParseByte(data[i]))
            handleFrame(length);
    }
}

bool SimDevice::takeFault(std::map<int, int>& faults, int key)
{
    auto it = faults.find(key);
    if (it == faults.end() || it->second == 0)
        return false;
    if (it->second > 0)
        --it->second;
    return true;
}

namespace {

void AppendRequestKey(const std::string& file, int key)
{
    if (std::FILE* f = std::fopen(file.c_str(), "a")) {
        if (key >= 0x500)
            std::fprintf(f, "5/%d\n", key - 0x500);
        else
            std::fprintf(f, "0x%02X\n", key);
        std::fclose(f);
    }
}

} // namespace

void SimDevice::handleFrame(int length)
{
    const uint8_t* payload = frame_.payload();
    int key = payload[0];
    if (key == 5 && length >= 2)
        key = 0x500 + payload[1];
    requests_.push_back(key);
    lastPayload_.assign(payload, payload + length);
    if (!requestLogFile.empty())
        AppendRequestKey(requestLogFile, key);
    if (silent() || closingAtMs_ >= 0)
        return;

    if (bytesBeforeHangUp_ < 0 && faults.hangUpAfterBytes >= 0 &&
        (faults.hangUpBytesKey < 0 || faults.hangUpBytesKey == key)) {
        bytesBeforeHangUp_ = faults.hangUpAfterBytes;
        if (bytesBeforeHangUp_ == 0) {
            hungUp_ = true;
            return;
        }
    }

    auto hangUp = faults.hangUpOn.find(key);
    if (hangUp != faults.hangUpOn.end() && --hangUp->second <= 0) {
        hungUp_ = true;
        return;
    }
    faults.armRandomFault(key);
    if (takeFault(faults.dropAnswers, key))
        return;
    auto handler = handlers_.find(key);
    if (handler == handlers_.end())
        return;   // unknown request: a real device stays silent
    currentKey_ = key;
    answerLate_ = takeFault(faults.lateAnswers, key);
    answerShort_ = takeFault(faults.shortAnswers, key);
    // The handler may run on a copy: a reply must not see the parser's buffer change.
    const std::vector<uint8_t> request(payload, payload + length);
    handler->second(*this, request.data(), length);
    currentKey_ = -1;
    answerLate_ = answerShort_ = false;
}

void SimDevice::replyRaw(const std::vector<uint8_t>& bytes)
{
    output_.insert(output_.end(), bytes.begin(), bytes.end());
}

namespace {

constexpr size_t kWrongLengthBytes = 32;
constexpr int64_t kClosingMs = 500;

// The short-answer fault: only the first data byte is left (a one-byte answer loses it).
std::vector<uint8_t> Shortened(const std::vector<uint8_t>& data)
{
    return std::vector<uint8_t>(data.begin(), data.begin() + (data.size() > 1 ? 1 : 0));
}

} // namespace

void SimDevice::reply(uint8_t id, const std::vector<uint8_t>& answer)
{
    std::vector<uint8_t> data = answer;
    bool cut = false;
    if (currentKey_ >= 0) {
        if (takeFault(faults.wrongLength, currentKey_)) {
            if (data.size() > kWrongLengthBytes)
                data.resize(data.size() - kWrongLengthBytes);
            else
                data.insert(data.end(), kWrongLengthBytes, 0xFF);
        }
        cut = takeFault(faults.cutAnswers, currentKey_);
    }
    std::vector<uint8_t> bytes;
    if (faults.junkBetweenFrames)
        bytes = {0x00, 0xB3, 0xA0, 0x13, 0x55};
    if (faults.unexpectedFrames) {
        const uint8_t other[] = {0x42, 0x24};
        const auto frame = EncodeFrame(0x7E, other, sizeof other);
        bytes.insert(bytes.end(), frame.begin(), frame.end());
    }
    const std::vector<uint8_t> sent = answerShort_ ? Shortened(data) : data;
    std::vector<uint8_t> frame = EncodeFrame(id, sent.data(), uint16_t(sent.size()));
    if (currentKey_ >= 0 && takeFault(faults.corruptChecksum, currentKey_))
        frame[frame.size() - 4] ^= 0x5A;
    if (cut)
        frame.resize(frame.size() / 2);
    bytes.insert(bytes.end(), frame.begin(), frame.end());
    if (answerLate_)
        pending_.push_back({nowMs_ + faults.lateMs, std::move(bytes)});
    else
        replyRaw(bytes);
}

void SimDevice::ack()
{
    reply(kAck, {});
}

void SimDevice::replyLater(int64_t delayMs, uint8_t id, const std::vector<uint8_t>& data)
{
    const std::vector<uint8_t> sent = answerShort_ ? Shortened(data) : data;
    const int64_t due = nowMs_ + delayMs + (answerLate_ ? faults.lateMs : 0);
    pending_.push_back({due, EncodeFrame(id, sent.data(), uint16_t(sent.size()))});
}

void SimDevice::advance(int64_t nowMs)
{
    nowMs_ = nowMs;
    // Earliest first; answers due at the same time keep the order they were queued in.
    for (;;) {
        auto next = pending_.end();
        for (auto it = pending_.begin(); it != pending_.end(); ++it)
            if (it->due <= nowMs_ && (next == pending_.end() || it->due < next->due))
                next = it;
        if (next == pending_.end())
            return;
        replyRaw(next->bytes);
        pending_.erase(next);
    }
}

int64_t SimDevice::nextDueMs() const
{
    if (hungUp_)
        return nowMs_;
    if (closingAtMs_ >= 0)
        return closingAtMs_;
    int64_t next = -1;
    for (const Pending& p : pending_)
        if (next < 0 || p.due < next)
            next = p.due;
    return next;
}

int SimDevice::takeOutput(uint8_t* buffer, int max)
{
    if (hungUp_ || closingAtMs_ >= 0)
        return 0;
    if (bytesBeforeHangUp_ > 0 && bytesBeforeHangUp_ < max)
        max = int(bytesBeforeHangUp_);
    int n = 0;
    while (n < max && !output_.empty()) {
        buffer[n++] = output_.front();
        output_.pop_front();
    }
    // A pty drops what its reader has not taken yet when it closes: the last bytes get time to arrive.
    if (bytesBeforeHangUp_ > 0 && (bytesBeforeHangUp_ -= n) == 0)
        closingAtMs_ = nowMs_ + kClosingMs;
    return n;
}

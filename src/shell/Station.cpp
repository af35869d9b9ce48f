#include "shell/Station.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

#include <QFileInfo>
#include <QProcess>
#include <QStringList>
#include <QTimer>

#include "basics/Text.h"
#include "platform/DeviceChangeWatch.h"
#include "platform/PortTable.h"

namespace {

int64_t NowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// Tabs and line ends would split a field.
std::string Field(const std::string& text)
{
    std::string out = text;
    for (char& c : out)
        if (c == '\t' || c == '\n' || c == '\r')
            c = ' ';
    return out;
}

std::string ComName(int number)
{
    return "COM" + std::to_string(number);
}

} // namespace

std::string StationLine(const std::vector<std::string>& fields)
{
    std::string line = "@station";
    for (const std::string& f : fields)
        line += "\t" + Field(f);
    return line;
}

std::vector<std::string> StationLineFields(const std::string& line)
{
    const std::string prefix = kStationLinePrefix;
    if (line.compare(0, prefix.size(), prefix) != 0)
        return {};
    return SplitText(line.substr(prefix.size()), '\t');
}

std::string SlotSerialText(int64_t serial)
{
    if (serial < 0)
        return "-";
    char text[24];
    std::snprintf(text, sizeof text, "%09lld", static_cast<long long>(serial));
    return text;
}

std::string SlotVerdictText(const StationSlot& slot)
{
    if (slot.phase == SlotPhase::Testing)
        return "testing: " + slot.step;
    if (slot.outcome.empty())
        return "waiting";
    std::string text = slot.outcome;
    for (size_t i = 0; i < slot.failedItems.size(); ++i)
        text += (i == 0 ? ": " : ", ") + slot.failedItems[i];
    return text;
}

struct Station::Impl {
    Station& owner;
    StationOptions options;
    std::vector<StationSlot> slotList;
    std::vector<bool> armed;           // the port was away since the slot's last run (or it had none)
    std::vector<QProcess*> workers;    // null while the slot runs nothing
    std::vector<std::string> partial;  // a worker's output line not yet complete
    std::vector<bool> resultSeen;
    QTimer poll;
    DeviceChangeWatch watch;
    int started = 0;
    int tested = 0;
    int passed = 0;
    bool stopping = false;
    bool done = false;

    Impl(Station& s, StationOptions o) : owner(s), options(std::move(o)) {}

    void addSlot(const std::string& port)
    {
        StationSlot slot;
        slot.port = port;
        slotList.push_back(slot);
        armed.push_back(true);
        workers.push_back(nullptr);
        partial.emplace_back();
        resultSeen.push_back(false);
        changed(slotList.size() - 1);
    }

    void changed(size_t i)
    {
        if (owner.slotChanged)
            owner.slotChanged(i);
    }

    bool running() const
    {
        return std::any_of(workers.begin(), workers.end(), [](QProcess* w) { return w != nullptr; });
    }

    bool mayStart() const
    {
        return !stopping && (options.count <= 0 || started < options.count);
    }

    void rescan()
    {
        std::vector<int> numbers;
        for (const PortEntry& e : ListPorts({}))
            if (e.kind != PortKind::Legacy)
                numbers.push_back(e.number);
        if (options.all)
            for (int n : numbers)
                if (std::none_of(slotList.begin(), slotList.end(), [&](const StationSlot& s) { return s.port == ComName(n); }))
                    addSlot(ComName(n));
        for (size_t i = 0; i < slotList.size(); ++i) {
            StationSlot& slot = slotList[i];
            const int number = PortNumberOfName(slot.port);
            const bool present = number >= 0 ? std::find(numbers.begin(), numbers.end(), number) != numbers.end()
                                             : QFileInfo::exists(QString::fromStdString(slot.port));
            if (present != slot.present) {
                slot.present = present;
                changed(i);
            }
            if (!present)
                armed[i] = true;
            else if (armed[i] && !workers[i] && mayStart())
                startWorker(i);
        }
    }

    void startWorker(size_t i)
    {
        StationSlot& slot = slotList[i];
        armed[i] = false;
        ++started;
        slot.phase = SlotPhase::Testing;
        slot.serial = -1;
        slot.userName.clear();
        slot.step = "connecting";
        slot.outcome.clear();
        slot.failedItems.clear();
        slot.sharedSerialWith.clear();
        slot.startedMs = NowMs();
        slot.tookMs = 0;
        resultSeen[i] = false;
        partial[i].clear();

        QStringList args;
        for (const std::string& a : options.globalArgs)
            args << QString::fromStdString(a);
        args << QStringLiteral("--port") << QString::fromStdString(slot.port) << QStringLiteral("selftest")
             << QStringLiteral("--station-slot") << QString::fromStdString(slot.port);
        for (const std::string& a : options.testArgs)
            args << QString::fromStdString(a);
        auto* worker = new QProcess;
        workers[i] = worker;
        worker->setProcessChannelMode(QProcess::SeparateChannels);
        worker->setStandardErrorFile(QProcess::nullDevice());
        QObject::connect(worker, &QProcess::readyReadStandardOutput, worker, [this, i] { readWorker(i); });
        QObject::connect(worker, &QProcess::finished, worker, [this, i](int status, QProcess::ExitStatus) {
            workerEnded(i, status);
        });
        QObject::connect(worker, &QProcess::errorOccurred, worker, [this, i](QProcess::ProcessError error) {
            if (error == QProcess::FailedToStart)
                workerEnded(i, -1);
        });
        worker->start(QString::fromStdString(options.worker), args);
        changed(i);
    }

    void readWorker(size_t i)
    {
        QProcess* worker = workers[i];
        if (!worker)
            return;
        partial[i] += worker->readAllStandardOutput().toStdString();
        for (size_t end; (end = partial[i].find('\n')) != std::string::npos;) {
            std::string line = partial[i].substr(0, end);
            partial[i].erase(0, end + 1);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            take(i, StationLineFields(line));
        }
    }

    void take(size_t i, const std::vector<std::string>& f)
    {
        if (f.empty())
            return;
        StationSlot& slot = slotList[i];
        if (f[0] == "step" && f.size() >= 2) {
            slot.step = f[1];
        } else if (f[0] == "unit" && f.size() >= 3) {
            slot.serial = f[1].empty() || f[1].find_first_not_of("0123456789") != std::string::npos
                              ? -1
                              : std::stoll(f[1]);
            slot.userName = f[2];
            noteSharedSerial(i);
        } else if (f[0] == "result" && f.size() >= 2) {
            resultSeen[i] = true;
            slot.outcome = f[1];
            slot.failedItems.assign(f.begin() + 2, f.end());
        } else {
            return;
        }
        changed(i);
    }

    // Two units answering with one serial number are two records, and the operator hears of it.
    void noteSharedSerial(size_t i)
    {
        StationSlot& slot = slotList[i];
        if (slot.serial < 0)
            return;
        for (size_t j = 0; j < slotList.size(); ++j) {
            if (j == i || slotList[j].phase != SlotPhase::Testing || slotList[j].serial != slot.serial)
                continue;
            slot.sharedSerialWith = slotList[j].port;
            slotList[j].sharedSerialWith = slot.port;
            changed(j);
            if (owner.note)
                owner.note("Serial number " + SlotSerialText(slot.serial) + " on " + slotList[j].port + " and " +
                           slot.port + " at once: two units with one serial number, each tested and recorded");
        }
    }

    void workerEnded(size_t i, int status)
    {
        QProcess* worker = workers[i];
        if (!worker)
            return;
        readWorker(i);
        workers[i] = nullptr;
        worker->deleteLater();
        StationSlot& slot = slotList[i];
        if (!resultSeen[i])
            slot.outcome = stopping ? "interrupted" : "no answer";   // the worker ended without its verdict
        (void)status;
        slot.phase = SlotPhase::Done;
        slot.step.clear();
        slot.tookMs = NowMs() - slot.startedMs;
        ++slot.units;
        ++tested;
        if (slot.outcome == "PASS")
            ++passed;
        changed(i);
        finishWhenDue();
    }

    void finishWhenDue()
    {
        if (done || running())
            return;
        if (stopping || (options.count > 0 && tested >= options.count)) {
            done = true;
            poll.stop();
            if (owner.finished)
                owner.finished();
        }
    }
};

Station::Station(StationOptions options) : impl_(std::make_unique<Impl>(*this, std::move(options))) {}

Station::~Station()
{
    for (QProcess* worker : impl_->workers)
        if (worker) {
            worker->disconnect();
            worker->kill();
            worker->waitForFinished(2000);
            delete worker;
        }
}

void Station::start()
{
    Impl& d = *impl_;
    for (const std::string& port : d.options.ports)
        d.addSlot(port);
    QObject::connect(&d.poll, &QTimer::timeout, &d.poll, [&d] { d.rescan(); });
    d.poll.start(d.options.pollMs);
    // Without the watch (no udev, no window for the messages) the polling alone sees the ports.
    d.watch.start([&d] { QTimer::singleShot(0, &d.poll, [&d] { d.rescan(); }); }, nullptr);
    QTimer::singleShot(0, &d.poll, [&d] { d.rescan(); });
}

void Station::stop()
{
    Impl& d = *impl_;
    if (d.stopping)
        return;
    d.stopping = true;
    // The worker stops at a line or at the end of its input; either way its run ends as interrupted.
    for (QProcess* worker : d.workers)
        if (worker) {
            worker->write("stop\n");
            worker->closeWriteChannel();
        }
    QTimer::singleShot(0, &d.poll, [&d] { d.finishWhenDue(); });
}

bool Station::stopping() const
{
    return impl_->stopping;
}

bool Station::done() const
{
    return impl_->done;
}

const std::vector<StationSlot>& Station::slotList() const
{
    return impl_->slotList;
}

int Station::unitsTested() const
{
    return impl_->tested;
}

int Station::unitsPassed() const
{
    return impl_->passed;
}

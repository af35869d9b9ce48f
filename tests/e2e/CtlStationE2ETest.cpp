// vr60ctl station against several vr60sim units at once: each unit's record under its
// own serial number whatever the others do, two units with one serial number told,
// a stop that sends nothing but the leave-link request, and the configuration file
// left as it was.

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <fstream>
#include <map>
#include <memory>

#include <unistd.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "support/Files.h"
#include "support/Processes.h"

namespace {

const char* const kIni = "[VR60TEST]\r\nauto_log_clear=0\r\nauto_poweroff=0\r\nts_version=VER\r\n";

QJsonArray Records(const ScratchDir& work)
{
    const CtlResult r = RunCtl({"--db", "sqlite:" + work.file("line.sqlite"), "records", "--json"}, {},
                               work.path.string(), {"VR60_DB="});
    EXPECT_EQ(r.status, 0) << r.err;
    return QJsonDocument::fromJson(QByteArray::fromStdString(r.out)).array();
}

std::vector<std::string> Station(const ScratchDir& work, const std::vector<std::string>& ports)
{
    std::string list;
    for (const std::string& port : ports)
        list += (list.empty() ? "" : ",") + port;
    return {"--db", "sqlite:" + work.file("line.sqlite"), "station", "--ports", list, "--items", "rtc,battery,gps-rmc",
            "--no-snr"};
}

bool WaitForLine(const std::string& log, const std::string& key)
{
    for (int waited = 0; waited < 30000; waited += 10) {
        const std::vector<std::string> lines = Lines(ReadText(log));
        if (std::find(lines.begin(), lines.end(), key) != lines.end())
            return true;
        usleep(10000);
    }
    return false;
}

struct Unit {
    int serial;
    std::vector<std::string> simOptions;
    const char* outcome;
    std::vector<std::string> failed;
};

TEST(CtlStationE2E, eightUnitsAtOnceEachRecordedUnderItsSerialWhateverTheOthersDo)
{
    ScratchDir work;
    std::ofstream(work.file("VR60Test.ini"), std::ios::binary) << kIni;
    const std::vector<Unit> units = {
        {3001, {}, "PASS", {}},
        {3002, {}, "PASS", {}},
        {3003, {}, "PASS", {}},
        {3004, {}, "PASS", {}},
        {3005, {}, "PASS", {}},
        {3006, {"--fault", "drop=0x13"}, "no answer", {}},            // never answers the start
        {3007, {"--selftest-pass", "0xFFFFFFEF"}, "FAIL", {"GPS RMC"}},
        {3008, {"--selftest-delay", "60000"}, "no answer", {}},       // pulled out mid-test
    };
    std::vector<std::unique_ptr<SimProcess>> sims;
    std::vector<std::string> ports;
    for (const Unit& u : units) {
        std::vector<std::string> args = {"--no-alias", "--serial", std::to_string(u.serial), "--selftest-delay", "300",
                                         "--request-log", work.file(std::to_string(u.serial) + ".log")};
        args.insert(args.end(), u.simOptions.begin(), u.simOptions.end());
        sims.push_back(std::make_unique<SimProcess>(args));
        ASSERT_FALSE(sims.back()->ptyPath().empty());
        ports.push_back(sims.back()->ptyPath());
    }
    std::vector<std::string> args = Station(work, ports);
    args.insert(args.end(), {"--count", "8"});
    CtlProcess station(args, {}, work.path.string(), {"VR60_DB="});
    ASSERT_TRUE(WaitForLine(work.file("3008.log"), "0x13"));
    sims.back()->finish();
    const CtlResult r = station.finish();
    EXPECT_EQ(r.status, 8) << r.out << r.err;
    EXPECT_TRUE(Contains(r.out, "Station: 8 units tested, 5 passed\n")) << r.out;
    EXPECT_EQ(ReadText(work.file("VR60Test.ini")), kIni);   // read by every unit, written by none

    std::map<int, QJsonObject> bySerial;
    for (const QJsonValue v : Records(work))
        bySerial[int(v.toObject()["serial"].toInteger())] = v.toObject();
    ASSERT_EQ(bySerial.size(), units.size()) << r.out;
    for (size_t i = 0; i < units.size(); ++i) {
        SCOPED_TRACE(units[i].serial);
        const QJsonObject record = bySerial[units[i].serial];
        EXPECT_EQ(record["result"].toString().toStdString(), units[i].outcome);
        EXPECT_EQ(record["slot"].toString().toStdString(), ports[i]);
        std::vector<std::string> failed;
        const QJsonObject items = record["items"].toObject();
        for (auto it = items.begin(); it != items.end(); ++it)
            if (it.value() == QJsonValue(false))
                failed.push_back(it.key().toStdString());
        EXPECT_EQ(failed, units[i].failed);
        EXPECT_TRUE(Contains(r.out, ports[i] + " ")) << r.out;
    }
}

TEST(CtlStationE2E, twoUnitsWithOneSerialAreToldAndRecordedTwice)
{
    ScratchDir work;
    std::ofstream(work.file("VR60Test.ini"), std::ios::binary) << kIni;
    SimProcess a({"--no-alias", "--serial", "4242", "--selftest-delay", "2500"});
    SimProcess b({"--no-alias", "--serial", "4242", "--selftest-delay", "2500"});
    std::vector<std::string> args = Station(work, {a.ptyPath(), b.ptyPath()});
    args.insert(args.end(), {"--count", "2"});
    const CtlResult r = RunCtl(args, {}, work.path.string(), {"VR60_DB="});
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_TRUE(Contains(r.err, "Serial number 000004242 on ")) << r.err;
    EXPECT_TRUE(Contains(r.out, "[same serial on " + a.ptyPath() + "]")) << r.out;
    EXPECT_TRUE(Contains(r.out, "[same serial on " + b.ptyPath() + "]")) << r.out;
    const QJsonArray records = Records(work);
    ASSERT_EQ(records.size(), 2);
    EXPECT_EQ(records[0].toObject()["serial"].toInteger(), 4242);
    EXPECT_EQ(records[1].toObject()["serial"].toInteger(), 4242);
    EXPECT_NE(records[0].toObject()["id"], records[1].toObject()["id"]);
    EXPECT_NE(records[0].toObject()["slot"], records[1].toObject()["slot"]);   // one record per port
}

TEST(CtlStationE2E, aStopSendsEachUnitNothingButTheLeaveLinkRequest)
{
    ScratchDir work;
    // Both follow-ups configured: neither may go out after the stop.
    std::ofstream(work.file("VR60Test.ini"), std::ios::binary) << "[VR60TEST]\r\nauto_log_clear=1\r\nauto_poweroff=1\r\n";
    std::vector<std::unique_ptr<SimProcess>> sims;
    std::vector<std::string> ports;
    for (int i = 0; i < 3; ++i) {
        sims.push_back(std::make_unique<SimProcess>(std::vector<std::string>{
            "--no-alias", "--selftest-delay", "60000", "--request-log", work.file(std::to_string(i) + ".log")}));
        ports.push_back(sims.back()->ptyPath());
    }
    CtlProcess station(Station(work, ports), {}, work.path.string(), {"VR60_DB="});
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(WaitForLine(work.file(std::to_string(i) + ".log"), "0x13"));
    station.signal(SIGTERM);
    const CtlResult r = station.finish();
    EXPECT_EQ(r.status, 143) << r.out << r.err;
    EXPECT_TRUE(Contains(r.out, "Station: 3 units tested, 0 passed\n")) << r.out;
    for (int i = 0; i < 3; ++i) {
        const std::vector<std::string> requests = Lines(ReadText(work.file(std::to_string(i) + ".log")));
        const auto start = std::find(requests.begin(), requests.end(), "0x13");
        ASSERT_NE(start, requests.end());
        EXPECT_EQ(std::vector<std::string>(start + 1, requests.end()), std::vector<std::string>{"0x0E"}) << i;
    }
    const QJsonArray records = Records(work);
    ASSERT_EQ(records.size(), 3);
    for (const QJsonValue v : records)
        EXPECT_EQ(v.toObject()["result"].toString(), "interrupted");
}

TEST(CtlStationE2E, aBadLineIsRefusedBeforeAnyPortIsOpened)
{
    const std::vector<std::vector<std::string>> lines = {
        {"station"},
        {"station", "--all", "--ports", "COM3"},
        {"station", "--ports", "COM3,,COM4"},
        {"station", "--ports", "COM3,COM3"},
        {"station", "--ports", "COM3", "--count", "0"},
        {"station", "--ports", "COM3", "--count", "x"},
        {"station", "--ports", "COM3", "--items", "rtc,warp-drive"},
    };
    for (const auto& line : lines) {
        const CtlResult r = RunCtl(line);
        EXPECT_EQ(r.status, 2) << line.back() << r.out << r.err;
        EXPECT_FALSE(r.err.empty()) << line.back();
    }
}

} // namespace

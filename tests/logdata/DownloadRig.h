#pragma once
// A connected SimRig with a scratch folder for log files, recording every
// read-block request (address, length) the device receives.

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include <stdlib.h>

#include "support/Files.h"
#include "support/SimRig.h"

struct DownloadRig {
    SimRig rig;
    ScratchDir dir;
    std::vector<std::pair<uint32_t, uint32_t>> blockRequests;   // address, length

    // points generated into a ring whose oldest record lies at ringStart.
    explicit DownloadRig(int32_t points = 300, uint32_t ringStart = 0x10000)
    {
        rig.device.model.pointsLogged = points;
        rig.device.logArea.ringOffset = ringStart - 0x10000;
        const SimDevice::Handler readBlock = rig.device.handler(4);
        rig.device.setHandler(4, [this, readBlock](SimDevice& d, const uint8_t* payload, int length) {
            blockRequests.emplace_back(Le32(payload + 1), uint32_t(payload[5] | payload[6] << 8));
            readBlock(d, payload, length);
        });
    }

    Program& p() { return rig.p(); }
    SimDevice& device() { return rig.device; }
    std::vector<uint8_t> deviceLog() { return rig.device.logArea.loggedBytes(rig.device); }
    // Connects and names the output file (a name in the scratch folder, or a path);
    // the host's events start afresh.
    void connectTo(const std::string& fileName)
    {
        rig.connect();
        p().form.logData.logFileName = fileName.find('/') == std::string::npos ? dir.file(fileName) : fileName;
        rig.clearEvents();
    }
    size_t requestsOf(int key) const
    {
        size_t n = 0;
        for (int k : rig.device.requestLog())
            n += k == key;
        return n;
    }
};

#pragma once
// A SimRig working in a fresh scratch folder (the track files land in the
// working directory), with a fixed clock (time text 153012) and a fake
// gpsbabel that appends its argv to argv.log and writes a small KML to its output.

#include <fstream>

#include "platform/Clock.h"
#include "support/Files.h"
#include "support/SimRig.h"
#include "support/WorkingFolder.h"

class TrackClock : public Clock {
public:
    LocalDateTime localNow() const override { return {2024, 6, 1, 15, 30, 12}; }
};

inline void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

struct TrackRig {
    ScratchDir dir;
    WorkingFolder folder{dir.path};
    SimRig rig;
    std::string argvLog = dir.file("argv.log");

    TrackRig()
    {
        rig.p().clock = std::make_unique<TrackClock>();
        const std::string script = dir.file("gpsbabel");
        std::ofstream(script) << "#!/bin/sh\nprintf '%s\\n' \"$@\" -- >> \"$(dirname \"$0\")/argv.log\"\n"
                                 "eval out=\\${$#}\ncase \"$out\" in *.gpx) printf '<gpx></gpx>' > \"$out\";; *)\n"
                                 "printf '<kml><Document><name>GPS device</name><Folder><name>Tracks"
                                 "</name><Folder><snippet/></Folder></Folder></Document></kml>' > \"$out\";; esac\n";
        std::filesystem::permissions(script, std::filesystem::perms::owner_all);
        rig.p().externalTool->searchPath = {dir.path.string()};
    }

    Program& p() { return rig.p(); }
    SimDevice& device() { return rig.device; }
    void connect()
    {
        rig.connect();
        rig.clearEvents();
    }
    // The request keys from the device's log that equal key.
    size_t requestsOf(int key) const
    {
        const std::vector<int>& log = rig.device.requestLog();
        return size_t(std::count(log.begin(), log.end(), key));
    }
    std::vector<uint8_t> store() const
    {
        std::vector<uint8_t> bytes(0x10000);
        for (uint32_t a = 0; a < bytes.size(); ++a)
            bytes[a] = rig.device.logArea.byteAt(a);
        return bytes;
    }
};

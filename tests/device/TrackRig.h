#pragma once
// A connected SimRig working in a fresh scratch folder (the track files land in
// the working directory), with a fixed clock (time text 153012) and a fake
// gpsbabel that records its argv and writes a small KML, or "fake" for other
// outputs. Every read-block request is recorded.

#include <cstdlib>
#include <fstream>
#include <filesystem>
#include <string>
#include <vector>

#include "support/Files.h"
#include "support/SimRig.h"
#include "platform/ByteOrder.h"
#include "platform/Clock.h"

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
    std::filesystem::path previous = std::filesystem::current_path();
    SimRig rig;
    std::vector<uint32_t> blockReads;   // addresses of the read-block requests
    std::string argvLog;

    TrackRig()
    {
        std::filesystem::current_path(dir.path);
        rig.p().clock = std::make_unique<TrackClock>();
        const SimDevice::Handler readBlock = rig.device.handler(4);
        rig.device.setHandler(4, [this, readBlock](SimDevice& d, const uint8_t* payload, int length) {
            blockReads.push_back(Le32(payload + 1));
            readBlock(d, payload, length);
        });
        useFakeConverter();
    }
    ~TrackRig() { std::filesystem::current_path(previous); }

    Program& p() { return rig.p(); }
    SimDevice& device() { return rig.device; }
    void connect()
    {
        rig.connect();
        rig.clearEvents();
        blockReads.clear();
    }
    std::vector<uint8_t> store() const
    {
        std::vector<uint8_t> bytes(0x10000);
        for (uint32_t a = 0; a < bytes.size(); ++a)
            bytes[a] = rig.device.logArea.byteAt(a);
        return bytes;
    }
    size_t requestsOf(int key) const
    {
        size_t n = 0;
        for (int k : rig.device.requestLog())
            n += k == key;
        return n;
    }

    void useFakeConverter()
    {
        const std::filesystem::path bin = dir.path / "fake bin";
        std::filesystem::create_directories(bin);
        const std::string script = (bin / "gpsbabel").string();
        std::ofstream(script) << "#!/bin/sh\n"
                                 "for a in \"$@\"; do printf '%s\\n' \"$a\" >> \"$(dirname \"$0\")/argv.log\"; done\n"
                                 "printf -- '--\\n' >> \"$(dirname \"$0\")/argv.log\"\n"
                                 "prev=''; for a in \"$@\"; do\n"
                                 "  if [ \"$prev\" = -F ]; then case \"$a\" in\n"
                                 "    *.kml) printf '<kml><Document><name>GPS device</name><Folder><name>Tracks</name>"
                                 "<Folder><snippet/></Folder></Folder></Document></kml>' > \"$a\";;\n"
                                 "    *) printf 'fake\\n' > \"$a\";;\n"
                                 "  esac; fi; prev=\"$a\"; done\n";
        std::filesystem::permissions(script, std::filesystem::perms::owner_all);
        rig.p().externalTool->searchPath = {bin.string()};
        argvLog = (bin / "argv.log").string();
    }
};

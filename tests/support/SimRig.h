#pragma once
// A Program wired to an in-process simulated device: the usual fixture for
// operation tests. rig.connect() runs the Connect button against it.

#include <memory>

#include "FakeHost.h"
#include "connection/ConnectionSequence.h"
#include "program/Program.h"
#include "sim/SimDevice.h"
#include "sim/SimTransport.h"

struct SimRig {
    FakeHost host;
    SimDevice device;
    SimTransport* transport = nullptr;   // the one last opened
    OpenError failOpen = OpenError::None;
    std::unique_ptr<Program> program;

    SimRig()
    {
        program = std::make_unique<Program>(host, [this](const std::string&) -> std::unique_ptr<Transport> {
            auto t = std::make_unique<SimTransport>(device, [this] { return host.nowMicros; });
            t->failOpen(failOpen);
            transport = t.get();
            return t;
        });
        program->form.connection.comPortText = "COM  7";
        program->form.connection.comBaudIndex = 7;
    }

    Program& p() { return *program; }

    int connect() { return BitBtn_connectClick(*program); }
    // Opens the link without the connection sequence.
    void openLinkOnly()
    {
        Program& pr = *program;
        pr.link.ActiveLink = LinkOpen(pr.link, ResolvePort(7, {}), "460800,N,8,1", pr.link.staticLink, pr.link.staticStorage,
                                      kLinkRingSize, kLinkStagingSize);
        pr.connected = 1;
    }
    void clearEvents() { host.events.clear(); }
};

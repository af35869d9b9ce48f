#include "shell/AppShell.h"

#include <string>

#include "connection/ConnectionSequence.h"
#include "connection/PortHotPlug.h"
#include "link/PortList.h"
#include "prodtest/TestConfig.h"
#include "program/Program.h"

void StartUpRecords(Program& p)
{
    RegisterSavedPortPath(p);
    ScanPorts(p.host, p.ports, p.form.connection.comPortItems);
    p.ports.rescanRequest = 0;   // the list is fresh: the first tick has no change to report
    LoadLinkSettings(p);
    StartUpTestConfig(p);
    p.form.connection.comBaudIndex = 7;
    p.form.connection.connectEnabled = true;
}

void ReportDeviceNotificationFailure(Program& p)
{
    p.host.logLine("RegisterDeviceNotification failed");
    p.host.logLine("DoRegisterDeviceInterface failed\n");
}

void ExitSteps(Program& p)
{
    if (p.link.ActiveLink)
        BitBtn_connectClick(p);
    SleepPumping(p.link, 200);
    // The program still ends; the operator learns what was not saved.
    if (!SaveLinkSettings(p))
        p.host.messageBox("The port and baud rate could not be saved.");
    std::string error;
    if (SaveTestConfig(p, &error) != 0)
        p.host.messageBox(error);
}

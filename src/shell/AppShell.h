#pragma once
// What start-up and exit do with the records, apart from the window's own
// widgets: the port list, the saved link values, the test configuration, and
// the orderly end of a connection.

struct Program;

// After the device-change registration: first port scan, saved link values,
// test configuration, 460800 bps, Connect enabled.
void StartUpRecords(Program& p);
// The two log lines of a failed device-change registration.
void ReportDeviceNotificationFailure(Program& p);
// Disconnects when a link is open, then saves "COM"/"BAUD" and "VR60Test.ini".
void ExitSteps(Program& p);

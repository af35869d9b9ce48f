// The commands of vr60ctl in the order --help and the README list them.

#include "CtlCommand.h"

namespace {

std::vector<CtlForm> SelfTestForms()
{
    std::vector<CommandOption> options = {{"items", "a list of test items", "LIST"}, {"snr"}, {"no-snr"}};
    for (const CommandOption& o : FollowUpOptions())
        options.push_back(o);
    options.push_back({"station-slot", "a slot name", "SLOT"});
    return {{nullptr, options}};
}

std::vector<CtlForm> StationForms()
{
    std::vector<CommandOption> options = {{"ports", "a list of ports", "LIST"}, {"all"}, {"count", "a number", "N"},
                                          {"items", "a list of test items", "LIST"}, {"snr"}, {"no-snr"}};
    for (const CommandOption& o : FollowUpOptions())
        options.push_back(o);
    return {{nullptr, options}};
}

std::vector<CommandOption> LogbookListOptions()
{
    return {{"json"}, {"rules", "a rule set", "R"}};
}

} // namespace

const std::vector<CommandOption>& GlobalOptions()
{
    static const std::vector<CommandOption> options = {
        {"port", "a port: COMn or a device path", "PORT"},
        {"baud", "a baud rate", "RATE"},
        {"yes"},
        {"db", "a URL", "URL"},
    };
    return options;
}

const std::vector<CtlCommand>& CtlCommands()
{
    static const std::vector<CtlCommand> commands = {
        {"ports", RunPorts,
         "  ports                       list the serial ports as the window lists them and mark the one\n"
         "                              used without --port",
         {{}}},
        {"info", RunInfo,
         "  info                        connect as the Connect button does, print the identity, disconnect",
         {{}}},
        {"settings", RunSettings, SettingsUsage(),
         {{nullptr, {}, {"[NAME=VALUE...]"}}}},
        {"factory-reset", RunFactoryReset,
         "  factory-reset               restore the device's factory settings",
         {{}}},
        {"loginfo", RunLogInfo,
         "  loginfo                     read where the log ring lies and how far it is filled",
         {{}}},
        {"download", RunDownload,
         "  download [--out FILE] [--clear | --no-clear]\n"
         "                              download the log into FILE (default: the proposed name,\n"
         "                              serial_user_date_time.sbp in the current folder); --clear runs\n"
         "                              the full clear (log, track slots, waypoints) after a complete\n"
         "                              download (\"Auto clear\"), --no-clear never does; without either,\n"
         "                              auto_log_clear_after_download in ./VR60Test.ini decides (off when\n"
         "                              missing) and a line says when it is on",
         {{nullptr, {{"out", "a file name", "FILE"}, {"clear"}, {"no-clear"}}}}},
        {"clear", RunClear,
         "  clear [--quick]             erase the log, the four track slots and the four waypoint slots;\n"
         "                              --quick: the log only (message 11). Status 10: the log was\n"
         "                              cleared, a track slot or waypoint was not",
         {{nullptr, {{"quick"}}}}},
        {"top10", RunTop10,
         "  top10 [--clear]             list the top-10 speed tables; --clear erases them",
         {{nullptr, {{"clear"}}}}},
        {"username", RunUserName,
         "  username NAME               write the user name: 1 to 15 bytes of UTF-8 once blanks are dropped\n"
         "                              (a letter such as Ä takes two), no control characters",
         {{nullptr, {}, {"NAME"}}}},
        {"serial", RunSerial,
         "  serial [--clear | --no-clear] [--power-off | --no-power-off] NUMBER\n"
         "                              write the serial number (0..999999999); then, whatever the write\n"
         "                              gave, the full clear (log, track slots, waypoints) and the power off\n"
         "                              as auto_log_clear and auto_poweroff in ./VR60Test.ini say (both on\n"
         "                              when the file or key is missing; a line says so before connecting);\n"
         "                              --no-clear / --no-power-off skip them, --clear / --power-off run them\n"
         "                              (the switches go before or after NUMBER)",
         {{nullptr, FollowUpOptions(), {"NUMBER"}}}},
        {"reboot", RunReboot,
         "  reboot                      reboot the device (the connection ends)",
         {{}}},
        {"nmea", RunNmea,
         "  nmea on|off                 switch the forwarding of the GPS receiver's NMEA output",
         {{"on"}, {"off"}}},
        {"gps", RunGps,
         "  gps on|off|cold-start       switch the GPS receiver's power, or cold-start it (forwarding on,\n"
         "                              then the cold start; the connection ends)",
         {{"on"}, {"off"}, {"cold-start"}}},
        {"debug-flag", RunDebugFlag,
         "  debug-flag                  set the link debug flag",
         {{}}},
        {"power-off", RunPowerOff,
         "  power-off [--clear]         switch the device off; --clear runs the full clear first and\n"
         "                              switches off only when it succeeded",
         {{nullptr, {{"clear"}}}}},
        {"tracks", RunTracks,
         "  tracks download             copy the 64 KB track store into VR40_TRK_64KB.bin and convert it\n"
         "  tracks convert              convert VR40_TRK_64KB.bin: TRKn_HHMMSS.NMEA, .gpx and .kml per track\n"
         "  tracks erase [SLOTS]        erase track slots, then download again\n"
         "  tracks upload               write VR40_TRK_64KB_X.BIN (65536 bytes) into the erased store\n"
         "  tracks untag [SLOTS]        invalidate the slots' tags\n"
         "                              SLOTS: a comma list of 1..4 such as 1,3; default all four",
         {{"download"}, {"convert"}, {"erase", {}, {"[SLOTS]"}}, {"upload"}, {"untag", {}, {"[SLOTS]"}}}},
        {"poi", RunPoi,
         "  poi read [SLOTS]            read the points of interest\n"
         "  poi delete [SLOTS]          delete them\n"
         "  poi write N=LAT,LON ...     write slot N (1..4); degrees with up to seven decimals (status 11\n"
         "                              before connecting when no pair is valid)\n"
         "  poi map                     print and open the web map at the default coordinate",
         {{"read", {}, {"[SLOTS]"}}, {"delete", {}, {"[SLOTS]"}}, {"write", {}, {"N=LAT,LON..."}}, {"map"}}},
        {"ini", RunIni,
         "  ini get FILE SECTION KEY [DEFAULT]    print the text read (SECTION \"\" is the unnamed section)\n"
         "  ini getlong FILE SECTION KEY DEFAULT  print the number read\n"
         "  ini put FILE SECTION KEY VALUE        write a key (status 1 when the file cannot be written)\n"
         "  ini putlong FILE SECTION KEY NUMBER   write a number\n"
         "  ini delete FILE SECTION [KEY]         delete a key, or without KEY the whole section",
         {{"get", {}, {"FILE", "SECTION", "KEY", "[DEFAULT]"}},
          {"getlong", {}, {"FILE", "SECTION", "KEY", "DEFAULT"}},
          {"put", {}, {"FILE", "SECTION", "KEY", "VALUE"}},
          {"putlong", {}, {"FILE", "SECTION", "KEY", "NUMBER"}},
          {"delete", {}, {"FILE", "SECTION", "[KEY]"}}}},
        {"testconfig", RunTestConfig,
         "  testconfig [save]           load \"VR60Test.ini\" from the working directory and print every\n"
         "                              field; with save, load and save it as \"Button_ini_test\" does",
         {{}, {"save"}}},
        {"selftest", RunSelfTest,
         "  selftest [--items LIST] [--snr | --no-snr] [--clear | --no-clear] [--power-off | --no-power-off]\n"
         "                              run the self test as \"Start \" does, with the selection, thresholds\n"
         "                              and auto clear / power-off of \"VR60Test.ini\" (written back): after\n"
         "                              the run the full clear and the power off follow as auto_log_clear and\n"
         "                              auto_poweroff say (both on when missing; a line says so before\n"
         "                              connecting); --no-clear / --no-power-off skip them for this run,\n"
         "                              --clear / --power-off run them (neither is written back);\n"
         "                              LIST: rtc,sfm-id,m-sensor-id,g-sensor-id,battery,gps-rmc,buzzer,\n"
         "                              lcd+bk-lite,vibrator,touch-keys; --snr / --no-snr: the GPS SNR check.\n"
         "                              Status 0 all passed, 8 an item failed, 3 start not acknowledged,\n"
         "                              4 no result in time, 11 nothing selected or a box not an integer;\n"
         "                              --station-slot SLOT: as a worker of station (progress lines for it,\n"
         "                              the file not written back, a stop on its input)",
         SelfTestForms()},
        {"station", RunStation,
         "  station --ports LIST | --all [--count N] [TEST-OPTIONS]\n"
         "                              the self test on many ports at once, one worker process a port:\n"
         "                              a port's unit is tested when the port appears (and not again\n"
         "                              before it was unplugged), each under its own serial number and\n"
         "                              its slot in the records; \"VR60Test.ini\" is read at each unit's\n"
         "                              start and never written. LIST: ports or device paths, by commas;\n"
         "                              --all: every USB serial port and alias, as they come. --count N:\n"
         "                              end after N units (else run until Ctrl-C or SIGTERM, which stop\n"
         "                              every unit's run as interrupted). TEST-OPTIONS: selftest's --items\n"
         "                              LIST, --snr, --no-snr, --clear, --no-clear, --power-off and\n"
         "                              --no-power-off. Status 0 every unit passed, 8 not",
         StationForms()},
        {"load", RunLoad,
         "  load FILE                   load an .sbp log into the point grid as \"Load SBP file\" does",
         {{nullptr, {}, {"FILE"}}}},
        {"convert", RunConvert,
         "  convert FILE [--split]      load FILE, then \"Log Convert\" it: .NMEA .plt .csv, and .gpx .kml through\n"
         "                              gpsbabel, in the working directory; --split ticks \"Split Log\"",
         {{nullptr, {{"split"}}, {"FILE"}}}},
        {"maplink", RunMapLink,
         "  maplink FILE ROW            print the web map link of point ROW (1-based) of FILE",
         {{nullptr, {}, {"FILE", "ROW"}}}},
        {"analyze", RunAnalyze,
         "  analyze FILE [--json] [--device] [--max-hdop X] [--min-sats N] [--max-accel A] [--max-gap S]\n"
         "          [--max-jump M] [--max-dropout D] [--max-speed-error K] [--rules R] [--hour-floor]\n"
         "                              best speeds of a log: 2 s, 10 s, 5 x 10 s, 100 m, 250 m, 500 m,\n"
         "                              nautical mile, 1 h, alpha 500, distance and time moving, each\n"
         "                              with its speed error and run; --json prints one JSON object;\n"
         "                              --device shows the device's top-10 tables beside. R: gp3s (the\n"
         "                              default), gpstc or vr60, the rules every limit comes from (see the\n"
         "                              README); --hour-floor: the hour counts only steps at 5 knots or\n"
         "                              more. The options change the rules' limits: HDOP above X, fewer\n"
         "                              than N satellites, a speed error above K knots, more than A m/s^2\n"
         "                              from the point before (0: no check), a position spike beyond M\n"
         "                              metres (0: no check); a gap over S seconds ends a run, except for\n"
         "                              1 h, nautical mile and distance, which span gaps of up to D\n"
         "                              seconds. Status 10: the file was not read whole",
         {{nullptr, AnalyzeOptions(), {"FILE"}}}},
        {"post", RunPost,
         "  post gpstc FILE [--out PAGE] [--form-url URL] [--no-open]\n"
         "                              write the ranking site's form filled in from FILE under the gpstc\n"
         "                              rules (date, 2 s, 5 x 10 s, 1 h, alpha 500, nautical mile in knots,\n"
         "                              distance in km, method D) to PAGE (FILE-gpstc.html) and open it in\n"
         "                              the browser; --form-url: where its Send button posts it. Status 10:\n"
         "                              no browser could be started, or the file was not read whole",
         {{"gpstc", {{"out", "a file name", "PAGE"}, {"form-url", "a URL", "URL"}, {"no-open"}}, {"FILE"}}}},
        {"records", RunRecords,
         "  records [--serial N] [--since YYYY-MM-DD] [--json | --csv]\n"
         "                              list the stored self-test records, oldest first\n"
         "  records --summary           per day: units tested, passed, failed, the item that failed most;\n"
         "                              per day and station: the first-pass yield (units whose first test\n"
         "                              of the day passed)\n"
         "  records sync                deliver the records waiting in the local outbox, each once and\n"
         "                              only to the database it was meant for; with --db only that\n"
         "                              database's (status 10 when one cannot be reached or some still wait)",
         {{nullptr,
           {{"serial", "a serial number", "N"}, {"since", "a day", "YYYY-MM-DD"}, {"json"}, {"csv"}, {"summary"}}},
          {"sync"}}},
        {"logbook", RunLogbook,
         "  logbook [--json] [--rules R]  the sessions of the logbook, newest first, their results under\n"
         "                              rule set R (gp3s, gpstc or vr60; the default gp3s)\n"
         "  logbook best [--json] [--rules R]\n"
         "                              the personal best of each category under R\n"
         "  logbook add FILE.sbp...     add logs (one session per content, whatever the name)\n"
         "  logbook remove WHAT...      remove sessions named by file, SHA-256 (8 or more digits) or\n"
         "                              day (YYYY-MM-DD, UTC); nothing when one names none (status 11)",
         {{nullptr, LogbookListOptions()},
          {"best", LogbookListOptions()},
          {"add", {}, {"FILE..."}},
          {"remove", {}, {"WHAT..."}}}},
    };
    return commands;
}

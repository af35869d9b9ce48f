#pragma once
// What the operations show on the main window, as plain values the window binds
// to and the command-line tool prints, one record per page or group. Operations
// write it; nothing here draws.
//
// The initial values are the window's designed start, the one start state of the
// window, vr60ctl and the tests; start-up (StartUpRecords) then enables Connect
// and picks the port. vr60ctl skips start-up and differs in nothing else: it
// prints only what the device reported.

#include <array>
#include <string>
#include <vector>

#include "program/Colour.h"

// GroupBox_Port "Connection", Common_Command, the caption and the status bar.
struct ConnectionControls {
    std::vector<std::string> comPortItems;   // "COM%3d" display names
    std::string comPortText = "COM1";        // text of ComboBox_COM
    bool comPortEnabled = true;
    int comBaudIndex = 7;                    // ComboBox_COM_Baud
    bool comBaudEnabled = false;
    int logBaudIndex = -1;                   // ComboBox_logbaudrate, text "460800bps "
    std::string connectCaption = "Connect ";
    bool connectEnabled = false;             // enabled by start-up
    bool powerOffEnabled = false;            // Button_Power_Off
    std::string windowCaption;
    std::string statusBarText;
};

// A combo box given an index outside its items shows no selection (-1).
inline int ItemOrNone(int index, int count)
{
    return index >= 0 && index < count ? index : -1;
}

// Page "Settings" (TabSheet_sno).
struct SettingsPage {
    std::string currentSno = "999999999";   // Label_current_sno
    std::string username;                    // Edit_username
    std::string serialNumberText;            // MaskEdit_sno (hidden)
    std::string vr60Version;                 // Edit_VR60_Ver
    std::string gpsVersion;                  // Edit_log_data_gps_ver
    bool factoryResetEnabled = true;         // Button_Factory_Reset
    // Item indexes of the setting boxes; -1 = no selection.
    int logMode = 0;        // ComboBox_LOG
    int minSpeed = 0;       // ComboBox_MIN_SPEED
    int unit = 0;           // ComboBox_UNIT
    int utcOffset = 24;     // ComboBox_utc_offset
    int speedAvg = -1;      // ComboBox_SPEED_AVG, text "10S"
    int speedGenie = 0;     // ComboBox_SPD_GENIE
    int actionSpeed = 0;    // ComboBox_ACTION_SPD
    int speedFont = 0;      // ComboBox_SPD_FONT
};

// Page "Log Data" (TabSheet_logdata).
struct LogDataPage {
    std::string logFileName = " ";           // Edit_Filename
    std::string pointsLogged = "0";          // Edit_pointslogged
    std::string maximumPoints = "0";         // Edit_maximumpoints
    std::string convertStatistic;            // Label_convert_statistic
    bool autoClearAfterDownload = false;     // CheckBox_auto_log_clear_after_download ("Auto clear")
    bool googleEarthView = false;            // CheckBox_Google_Earth_View
    bool speedGpx = false;                   // CheckBox_gpx_speed: Log Convert also writes BASE.speed.gpx
    bool browseDownloadEnabled = true;       // Button_downloadlog, enabled by "Load SBP file"
    bool clearLogEnabled = false;            // Button_clearlog
    // "Top 10 Speed": the ten lines of each table last read
    std::vector<std::string> top10MaxSpeed;
    std::vector<std::string> top10MaxAvgSpeed;
};

// Page "Browse" (TabSheet_Browse); the grid's rows are the program's point grid.
struct BrowsePage {
    bool gridEnabled = false;                // StringGrid1
    bool mapViewEnabled = false;             // BitBtn_MapView
    std::string gridFileName = " ";          // Edit_StringGrid
};

// One check box of GroupBoxTestItems.
struct TestItemBox {
    std::string name;      // CheckBox_RTC
    std::string caption;   // "RTC"
    int tag = 0;
    bool checked = false;
    bool visible = true;
    bool enabled = true;
    Colour colour = Colour::White;
};

// The result picture: ImageGRAY, ImageGREEN, ImageRED, ImageYELLOWx, numbered
// as the status lamp's colours (0 grey, 1 green, 2 red, 3 yellow).
enum class TestLamp { Gray = 0, Green = 1, Red = 2, Yellow = 3 };

// Page "Test" (TabBIT).
struct TestPage {
    std::vector<TestItemBox> items = DefaultTestItems();   // the group's own order
    bool testEnabled = true;                // BitBtn_Test
    std::string gpsSnrMin = "40";           // Edit_GPS_SNR_min
    std::string battStd = "423x";           // Edit_batt_std
    std::string battVary = "6x";            // Edit_batt_vary
    std::string gpsVerExpect = "0";         // Edit_GPS_Ver_expectx
    std::string tsVerExpect = "1";          // Edit_TS_Ver_expectx
    // The configuration's option boxes, kept out of sight on other pages.
    bool snoAutoIncrease = true;            // CheckBox_SNO_AUTO_INCREASE
    bool autoLogClear = false;              // CheckBox_auto_log_clear
    bool autoPoweroff = false;              // CheckBox_auto_poweroff
    // What a run reads back, and its verdicts.
    std::string battRead;                   // Edit_batt, 0.01 V
    std::string gpsSnrRead;                 // Edit_GPS_SNR_Read
    std::string maxSnrSid = "0";            // Edit_MAX_SNR_SID
    std::string gpsVerRead;                 // Edit_GPS_Ver_Read
    Colour gpsVerReadColour = Colour::Window;
    std::string tsVerRead;                  // Edit_TS_Ver_Read
    Colour tsVerReadColour = Colour::Window;
    std::string abortSeconds = "12";        // Edit_abort: the result wait in seconds
    TestLamp lamp = TestLamp::Gray;
    // The group labels' own on/off states.
    bool boardItemsOn = true;               // Label_PCBA_Test
    bool visualItemsOn = false;             // Label_VIS_TEST
    std::string recordsToday;               // Label_records_today: units recorded today, the last outcome

    TestItemBox* find(const std::string& name);
    static std::vector<TestItemBox> DefaultTestItems();
};

// Controls placed beyond the edge of their parent: the operations use them,
// the operator never sees them.
struct UnseenControls {
    std::string firmwareCaption = "version"; // Label2_ver
    Colour firmwareCaptionColour = Colour::ButtonFace;
    std::string versionMatch = "V1.0";       // Edit_ver_match
    Colour versionMatchColour = Colour::Window;
    bool checkVersion = false;               // CheckBox_VER
    int language = 0;                        // RadioGroup_lang
    int unitRadio = 0;                       // RadioGroup_unit
    bool offAndClearEnabled = false;         // Button_off_and_clear
    bool splitTrack = false;                 // CheckBox_splite_track ("Split Log")
    // Panel_TRK: CheckBox_track1..4 select the slots, Edit_trk1..4 show their point counts.
    std::array<bool, 4> trackChecked{true, true, true, true};
    std::array<std::string, 4> trackPoints;
    // GroupBox_WPT "POI": CheckBox_POI1..4 select the slots, Edit_POI1..4 hold "lat,lon" in degrees.
    std::array<bool, 4> poiChecked{true, true, true, true};
    std::array<std::string, 4> poiText;
    std::vector<std::string> memo1Lines;     // Memo1: port names of each rescan, the track download's start line
};

struct FormState {
    // The control an operation put the keyboard focus on; the window moves the
    // focus there and empties this.
    std::string focusRequest;
    ConnectionControls connection;
    SettingsPage settings;
    LogDataPage logData;
    BrowsePage browse;
    TestPage test;
    UnseenControls unseen;
};

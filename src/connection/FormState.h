#pragma once
// What the operations show on the main window, as plain values the window binds
// to and the command-line tool prints. Operations write it; nothing here draws.

#include <string>
#include <vector>

enum class Colour { Window, ButtonFace, Green, Red, Yellow, Grey, White };

struct FormState {
    // Connection controls
    std::vector<std::string> comPortItems;   // "COM%3d" display names
    std::string comPortText;                 // text of ComboBox_COM
    bool comPortEnabled = true;
    int comBaudIndex = 7;                    // ComboBox_COM_Baud
    bool comBaudEnabled = true;
    int logBaudIndex = 7;                    // ComboBox_logbaudrate
    std::string connectCaption = "Connect ";
    bool connectEnabled = true;
    bool testEnabled = false;                // BitBtn_Test
    bool powerOffEnabled = false;            // Button_Power_Off
    bool clearLogEnabled = false;            // Button_clearlog
    bool offAndClearEnabled = false;         // Button_off_and_clear
    bool factoryResetEnabled = false;        // Button_Factory_Reset
    std::string windowCaption;
    std::string statusBarText;
    std::vector<std::string> memo1Lines;     // Memo1 (unseen): port names of each rescan

    // Identity
    std::string currentSno = "---------";   // Label_current_sno
    std::string username;                    // Edit_username
    std::string pointsLogged;                // Edit_pointslogged
    std::string maximumPoints;               // Edit_maximumpoints
    std::string firmwareCaption;             // Label2_ver
    Colour firmwareCaptionColour = Colour::ButtonFace;
    std::string versionMatch = "V1.0";       // Edit_ver_match
    Colour versionMatchColour = Colour::Window;
    bool checkVersion = false;               // CheckBox_VER
    std::string vr60Version;                 // Edit_VR60_Ver
    std::string gpsVersion;                  // Edit_log_data_gps_ver
    std::string logFileName;                 // Edit_Filename

    // Settings page (item indexes; -1 = no selection)
    int language = 0;       // RadioGroup_lang
    int unitRadio = 0;      // RadioGroup_unit
    int logMode = 0;        // ComboBox_LOG
    int minSpeed = 0;       // ComboBox_MIN_SPEED
    int unit = 0;           // ComboBox_UNIT
    int utcOffset = 24;     // ComboBox_utc_offset
    int speedAvg = 0;       // ComboBox_SPEED_AVG
    int speedGenie = 0;     // ComboBox_SPD_GENIE
    int actionSpeed = 0;    // ComboBox_ACTION_SPD
    int speedFont = 0;      // ComboBox_SPD_FONT

    // Log data page
    bool autoClearAfterDownload = false;     // CheckBox_auto_log_clear_after_download ("Auto clear")

    // Browse page, "Log Download " and "Log Convert"
    bool browseDownloadEnabled = false;      // Button_downloadlog, enabled by "Load SBP file"
    bool gridEnabled = false;                // StringGrid1
    bool mapViewEnabled = false;             // BitBtn_MapView
    std::string gridFileName;                // Edit_StringGrid
    bool splitTrack = false;                 // CheckBox_splite_track ("Split Log")
    bool googleEarthView = false;            // CheckBox_Google_Earth_View
    std::string convertStatistic;            // Label_convert_statistic

    // "Top 10 Speed" group: the ten lines of each table last read
    std::vector<std::string> top10MaxSpeed;
    std::vector<std::string> top10MaxAvgSpeed;
};

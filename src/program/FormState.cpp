#include "program/FormState.h"

std::vector<TestItemBox> TestPage::DefaultTestItems()
{
    auto box = [](const char* name, const char* caption, int tag, bool checked, bool shown = true) {
        TestItemBox b;
        b.name = name;
        b.caption = caption;
        b.tag = tag;
        b.checked = checked;
        b.visible = b.enabled = shown;
        return b;
    };
    return {box("CheckBox_RTC", "RTC", 1, true),
            box("CheckBox_FlashMemory", "SFM ID", 2, true),
            box("CheckBox_M_ID", "M-sensor ID", 3, true),
            box("CheckBox_G_ID", "G-sensor ID", 4, true),
            box("CheckBox_GYRO_ID", "Gyro-sensor ID", 5, false, false),
            box("CheckBox_BATT", "Battery", 6, true),
            box("CheckBox_GPS_RMC", "GPS RMC", 7, true),
            box("CheckBox_HRM", "ANT ID", 8, false, false),
            box("CheckBox_HRM_BPM", "ANT HRM BPM", 9, false, false),
            box("CheckBox_Buzzer", "BUZZER", 10, false),
            box("CheckBox_LCD", "LCD+BK Lite", 11, false),
            box("CheckBox_VIBRATOR", "VIBRATOR", 12, false),
            box("CheckBox_TTFF", "GPS_TTFF", 13, false, false),
            box("CheckBox_KEY", "Touch Keys", 14, false),
            box("CheckBox_GPS_SNR", "GPS SNR", 0, false)};
}

TestItemBox* TestPage::find(const std::string& name)
{
    for (TestItemBox& b : items)
        if (b.name == name)
            return &b;
    return nullptr;
}

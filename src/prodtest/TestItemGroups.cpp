#include "prodtest/TestItemGroups.h"

#include <initializer_list>

#include "program/Program.h"

namespace {

void SetGroup(Program& p, std::initializer_list<const char*> names, bool checked)
{
    for (const char* name : names)
        if (TestItemBox* box = p.form.test.find(name))
            box->checked = checked;
}

} // namespace

void Label_PCBA_TestClick(Program& p)
{
    bool& on = p.form.test.boardItemsOn;
    on = !on;
    SetGroup(p, {"CheckBox_RTC", "CheckBox_FlashMemory", "CheckBox_M_ID", "CheckBox_G_ID", "CheckBox_BATT",
                 "CheckBox_GPS_RMC"},
             on);
}

void Label_VIS_TESTClick(Program& p)
{
    bool& on = p.form.test.visualItemsOn;
    on = !on;
    SetGroup(p, {"CheckBox_Buzzer", "CheckBox_LCD", "CheckBox_VIBRATOR", "CheckBox_KEY"}, on);
}

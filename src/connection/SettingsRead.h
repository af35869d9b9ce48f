#pragma once
// Reading the device settings into their record and the "Settings" page, as
// Connect does and "Read Config" does again.
// Results: 0 success, 1 no link, 4 no (usable) answer.

struct Program;

int Button_Read_ConfigClick(Program& p);

// A combo box given an index outside its items shows no selection.
int ItemOrNone(int index, int count);

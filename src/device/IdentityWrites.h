#pragma once
// Writing the user name (Edit_username, "Update") and the serial number
// (MaskEdit_sno, "Update SNo"). The device answers each write by echoing what
// it stored; only an equal echo updates the identity shown.
// Results: kOk written, kNoLink, kTimeOut no answer, kWriteFailed the echo differs,
// kRefused (the text is not a valid name or number; nothing sent).

#include <cstdint>
#include <string>

#include "platform/ResultCode.h"

struct Program;

ResultCode Button_update_username_binClick(Program& p);
// After the write, whatever its outcome, the full log clear and the power off
// follow when the test configuration's auto boxes are ticked (StationFollowUps).
ResultCode BitBtn_update_snoClick(Program& p);
// The same, giving the write's own result in writeResult as well.
ResultCode UpdateSerialNumber(Program& p, ResultCode* writeResult);

// The checks the two writes make before sending, with their dialogs. The text is
// taken without its blanks; true with the value when it may be sent.
bool CheckUserNameText(Program& p, const std::string& text, std::string* name);
bool CheckSerialNumberText(Program& p, const std::string& text, uint32_t* number);

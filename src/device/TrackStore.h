#pragma once
// The device's 64 KB track store (addresses 0x0000-0xFFFF, four 16 KB slots of
// 16-byte track points): copied whole into "VR40_TRK_64KB.bin" and converted,
// slots erased, an image file written back, slot tags invalidated.
// Results: kOk, kNoLink (or busy), kNoAck, kTimeOut (a block went unanswered),
// kWriteFailed (the image file could not be written), kIncomplete (some slots failed),
// kRefused (wrong image size, or no press left), kCannotOpen (a file cannot be opened
// or created), kInterrupted; a complete download returns the conversion's result.

#include <cstdint>

#include "platform/ResultCode.h"

struct Program;

inline constexpr const char* kTrackImageFile = "VR40_TRK_64KB.bin";
inline constexpr const char* kTrackUploadFile = "VR40_TRK_64KB_X.BIN";
inline constexpr uint32_t kTrackStoreBytes = 65536;
inline constexpr uint32_t kTrackSlotBytes = 16384;

// Reads the store into kTrackImageFile (4096-byte blocks, 4 attempts each), then converts it.
ResultCode TRK_DownloadClick(Program& p);
// Erases the checked slots (CheckBox_track1..4), then downloads again. sender: as the control commands.
ResultCode TRK_EraseClick(Program& p, bool* sender = nullptr);
// Erases the store and writes kTrackUploadFile into it, in 240- or 48-byte blocks; a slot
// that fails to erase ends it before anything is written.
ResultCode TRK_UploadClick(Program& p);
// "TRK Tag Del": invalidates the checked slots' tags; only the first three presses of a run act.
ResultCode Button5Click(Program& p);

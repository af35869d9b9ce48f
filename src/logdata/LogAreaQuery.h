#pragma once
// The log-area query ("Log_info", message 0x4B): where the log ring lies in the
// device and how far it is filled. The download runs it before every transfer.
// Results: kOk, kNoLink, kTimeOut (no usable answer).

#include <cstdint>

#include "program/LogArea.h"

#include "platform/ResultCode.h"

struct Program;

// On success p.logArea holds the answer; a failed query leaves the previous values.
ResultCode Button_Log_infoClick(Program& p);

// Logged 32-byte records between ring start and ring blank (unsigned arithmetic,
// the ring wraps when blank lies below start).
uint32_t RecordsInRing(const LogAreaRecord& a);

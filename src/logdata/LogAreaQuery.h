#pragma once
// The log-area query ("Log_info", message 0x4B): where the log ring lies in the
// device and how far it is filled. The download runs it before every transfer.
// Results: 0 success, 1 no link, 4 no (usable) answer.

#include <cstdint>

#include "program/LogArea.h"

struct Program;

// On success p.logArea holds the answer; a failed query leaves the previous values.
int Button_Log_infoClick(Program& p);

// Logged 32-byte records between ring start and ring blank (unsigned arithmetic,
// the ring wraps when blank lies below start).
uint32_t RecordsInRing(const LogAreaRecord& a);

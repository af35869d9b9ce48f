#pragma once
// The readers behind ReadPointLogImage, one file each. Each appends its points
// to log.sbp and sets log.problem; the status and format are the caller's.
// The Looks* functions recognise the format from a file's first bytes.

#include <cstddef>
#include <cstdint>

#include "pointlog/PointLog.h"

void ReadSbn(const uint8_t* bytes, size_t size, PointLog& log);
void ReadUbx(const uint8_t* bytes, size_t size, PointLog& log);
void ReadOao(const uint8_t* bytes, size_t size, PointLog& log);
void ReadGpy(const uint8_t* bytes, size_t size, PointLog& log);
void ReadGpx(const uint8_t* bytes, size_t size, PointLog& log);

bool LooksLikeSbn(const uint8_t* bytes, size_t size);
bool LooksLikeUbx(const uint8_t* bytes, size_t size);
bool LooksLikeOao(const uint8_t* bytes, size_t size);
bool LooksLikeGpy(const uint8_t* bytes, size_t size);
bool LooksLikeGpx(const uint8_t* bytes, size_t size);

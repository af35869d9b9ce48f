#pragma once
// What every reader of another logger's file must give for any bytes: whole
// records, each dated (an .sbp image passes its records on as they are), and
// no success without a point; never a crash.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "pointlog/PointLog.h"
#include "sbp/SbpRecord.h"

inline void CheckPointLog(const PointLog& log)
{
    if (log.sbp.size() % 32 != 0)
        std::abort();
    if (log.format == LogFormat::Sbp)
        return;
    for (size_t at = 0; at < log.sbp.size(); at += 32) {
        SbpTime t;
        if (UnpackSbpTime(ReadSbpRecord(log.sbp.data() + at).utc, t) != kSbpTimeValid)
            std::abort();
    }
}

// The reader on the bytes as they are, then through the format recogniser.
inline void FuzzReader(void (*read)(const uint8_t*, size_t, PointLog&), const uint8_t* data, size_t size,
                       const char* name)
{
    PointLog direct;
    direct.format = LogFormat::Unknown;
    read(data, size, direct);
    CheckPointLog(direct);
    const PointLog recognised = ReadPointLogImage(std::vector<uint8_t>(data, data + size), name);
    CheckPointLog(recognised);
    if (recognised.status == 0 && recognised.sbp.empty())
        std::abort();   // success with no point
}

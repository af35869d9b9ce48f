#pragma once
// Little-endian fields of device frames and records, never through struct casts.

#include <cstdint>
#include <vector>

inline uint16_t Le16(const uint8_t* p)
{
    return uint16_t(p[0] | p[1] << 8);
}

inline uint32_t Le32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

inline void PutLe16(uint8_t* p, uint16_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}

inline void PutLe32(uint8_t* p, uint32_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}

inline void AppendLe32(std::vector<uint8_t>& out, uint32_t v)
{
    // Grown then written: GCC 12 misreads an insert into an empty vector as an overflow.
    out.resize(out.size() + 4);
    PutLe32(out.data() + out.size() - 4, v);
}

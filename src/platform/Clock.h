#pragma once
// The wall clock as the operations see it: the local date and time for the
// stamps in file names and the test configuration, and the local standard
// time's offset from UTC. Tests give Program a clock of their own.

struct LocalDateTime {
    int year = 1970;    // four digits
    int month = 1;      // 1..12
    int day = 1;        // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual LocalDateTime localNow() const;
    // Minutes west of UTC of the local standard time (daylight saving left out).
    virtual int standardBiasMinutes() const;
};

#pragma once
// Synthetic .sbp logs for the analysis tests: points every 200 ms, each moving
// on at the speed it records until the next, so every answer is known. Each
// point logs its heading as its course.

#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

#include "analysis/Geodesy.h"
#include "logdata/SbpTestRecords.h"

class SyntheticLog {
public:
    static constexpr int kStepMs = 200;
    static constexpr int64_t kStartMs = 8 * 3600 * 1000;   // 08:00:00.000 on 2014-12-07

    SyntheticLog() = default;
    // A log whose clock reads `clockShiftMs` later than the default's.
    explicit SyntheticLog(int64_t clockShiftMs) : ms_(kStartMs + clockShiftMs) {}

    // `seconds` of points at `speed` m/s heading `bearing` degrees (0 north,
    // 90 east), turning `turnPerStep` degrees after each step. The log's first
    // point sits at the start with the first run's speed.
    SyntheticLog& run(double seconds, double speed, double bearing = 0, double turnPerStep = 0)
    {
        heading_ = bearing;
        if (points_.empty())
            addPoint(speed);
        const long steps = std::lround(seconds * 1000 / kStepMs);
        for (long k = 0; k < steps; ++k) {
            ms_ += nextStepMs_;
            nextStepMs_ = kStepMs;
            const double d = lastSpeed_ * kStepMs / 1000, h = heading_ * std::numbers::pi / 180;
            north_ += d * std::cos(h);
            east_ += d * std::sin(h);
            heading_ += turnPerStep;
            addPoint(speed);
        }
        return *this;
    }
    // Round and round a circle of the given circumference.
    SyntheticLog& circle(double seconds, double speed, double circumference)
    {
        return run(seconds, speed, heading_, 360 * speed * kStepMs / 1000 / circumference);
    }
    // The next point comes `seconds` after the last one, `jumpNorth` metres further.
    SyntheticLog& gap(double seconds, double jumpNorth = 0)
    {
        nextStepMs_ = std::llround(seconds * 1000);
        north_ += jumpNorth;
        return *this;
    }

    SbpFields& point(size_t i) { return points_[i]; }
    size_t size() const { return points_.size(); }
    // Moves point i by the given metres, as a position spike would.
    SyntheticLog& displace(size_t i, double north, double east)
    {
        const double perDegree = kEarthRadiusMetres * std::numbers::pi / 180;
        points_[i].latitude += int32_t(std::lround(north / perDegree * 1e7));
        points_[i].longitude += int32_t(std::lround(east / (perDegree * std::cos(kLat0 * std::numbers::pi / 180)) * 1e7));
        return *this;
    }
    // Takes `count` points out from point `first` on, as a loss of fix does.
    SyntheticLog& drop(size_t first, size_t count)
    {
        points_.erase(points_.begin() + long(first), points_.begin() + long(first + count));
        return *this;
    }
    // The speed error (EE_VEL, 0.01 m/s) the points from now on log; 0: none.
    SyntheticLog& speedError(uint8_t centimetresPerSecond)
    {
        speedError_ = centimetresPerSecond;
        return *this;
    }
    // Milliseconds since 1970 of a time given from the log's start.
    static int64_t At(double seconds) { return kDayMs + kStartMs + std::llround(seconds * 1000); }

    std::vector<uint8_t> bytes() const
    {
        std::vector<uint8_t> out;
        for (const SbpFields& f : points_)
            AppendSbpRecord(out, f);
        return out;
    }

private:
    static constexpr int64_t kDayMs = 16411LL * 86400000;   // 2014-12-07
    static constexpr double kLat0 = 22.5, kLon0 = 114.0;

    void addPoint(double speed)
    {
        SbpFields f;
        const int64_t s = ms_ / 1000;
        f.utc = PackSbpTime(2014, 12, int(7 + s / 86400), int(s / 3600 % 24), int(s / 60 % 60), int(s % 60));
        f.milliseconds = uint16_t(ms_ % 1000);
        const double perDegree = kEarthRadiusMetres * std::numbers::pi / 180;
        f.latitude = int32_t(std::lround((kLat0 + north_ / perDegree) * 1e7));
        f.longitude = int32_t(std::lround((kLon0 + east_ / (perDegree * std::cos(kLat0 * std::numbers::pi / 180))) * 1e7));
        f.speed = uint16_t(std::lround(speed * 100));
        f.course = uint16_t(std::lround(std::fmod(std::fmod(heading_, 360) + 360, 360) * 100) % 36000);
        f.eeVel = speedError_;
        points_.push_back(f);
        lastSpeed_ = speed;
    }

    std::vector<SbpFields> points_;
    int64_t ms_ = kStartMs;
    int64_t nextStepMs_ = kStepMs;
    double north_ = 0, east_ = 0, heading_ = 0, lastSpeed_ = 0;
    uint8_t speedError_ = 0;
};

#include "analysis/SessionRuns.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <numbers>

#include "analysis/SessionTrack.h"

namespace {

struct Heading {
    int64_t timeMs;
    double x, y;   // unit vector: north, east
};

Heading HeadingOf(const TrackPoint& p)
{
    const double a = p.course * std::numbers::pi / 180;
    return {p.timeMs, std::cos(a), std::sin(a)};
}

double DegreesBetween(const TrackPoint& a, const TrackPoint& b)
{
    const double d = std::fabs(std::fmod(double(a.course) - double(b.course), 360.0));
    return std::min(d, 360 - d);
}

// The courses of a run's recent seconds and their vector sum.
class CourseMean {
public:
    void clear()
    {
        window_.clear();
        x_ = y_ = 0;
    }
    void add(const Heading& h)
    {
        window_.push_back(h);
        x_ += h.x;
        y_ += h.y;
        while (h.timeMs - window_.front().timeMs > std::llround(kRunMeanSeconds * 1000)) {
            x_ -= window_.front().x;
            y_ -= window_.front().y;
            window_.pop_front();
        }
    }
    bool steady() const
    {
        return !window_.empty() && window_.back().timeMs - window_.front().timeMs >= kRunSteadySeconds * 1000 &&
               std::hypot(x_, y_) >= kRunSteadyLength * double(window_.size());
    }
    // Whether h points more than the turn angle away from the mean course.
    bool turnsAway(const Heading& h) const
    {
        return h.x * x_ + h.y * y_ < std::cos(kRunTurnDegrees * std::numbers::pi / 180) * std::hypot(x_, y_);
    }

private:
    std::deque<Heading> window_;
    double x_ = 0, y_ = 0;
};

} // namespace

SessionRuns FindRuns(const SessionTrack& t)
{
    SessionRuns r;
    r.runOf.assign(t.points.size(), 0);
    CourseMean mean;
    bool open = false;
    bool turning = false;
    size_t settleFrom = 0;   // the point about 2 s before the current one, while turning
    size_t nextStretch = 0;
    const auto startRun = [&](size_t i) {
        r.runs.push_back({i, i});
        mean.clear();
        open = true;
    };
    // A turn cut short by a stop, a gap or the log's end is no turn between runs.
    const auto closeRun = [&]() {
        if (turning)
            r.turns.pop_back();
        open = turning = false;
    };
    for (size_t i = 0; i < t.points.size(); ++i) {
        const TrackPoint& p = t.points[i];
        if (nextStretch < t.stretchStarts.size() && t.stretchStarts[nextStretch] == i) {
            ++nextStretch;
            closeRun();
        }
        if (p.speed < kStopSpeed) {
            closeRun();
            continue;
        }
        const Heading h = HeadingOf(p);
        if (!open) {
            startRun(i);
        } else if (mean.steady() && mean.turnsAway(h)) {
            closeRun();
            r.turns.push_back({i - 1, i, p.speed, uint32_t(r.runs.size() + 1)});
            startRun(i);
            turning = true;
            settleFrom = i;
        } else if (turning) {
            Turn& turn = r.turns.back();
            turn.minimum = std::min(turn.minimum, p.speed);
            while (t.points[settleFrom + 1].timeMs <= p.timeMs - std::llround(kTurnSettleSeconds * 1000))
                ++settleFrom;
            if (p.timeMs - t.points[settleFrom].timeMs >= kTurnSettleSeconds * 1000 &&
                DegreesBetween(p, t.points[settleFrom]) <= kTurnSettleDegrees) {
                turn.exit = i;
                turning = false;
                mean.clear();   // the new course's mean starts where it settles
            }
        }
        mean.add(h);
        r.runs.back().last = i;
        r.runOf[i] = uint32_t(r.runs.size());
    }
    closeRun();
    return r;
}

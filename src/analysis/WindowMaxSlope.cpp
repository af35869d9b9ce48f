#include "analysis/WindowMaxSlope.h"

void WindowMaxSlope::clear(size_t at)
{
    begin_ = mid_ = end_ = at;
    back_.clear();
    front_.clear();
    frontSize_ = 0;
    undo_.clear();
}

void WindowMaxSlope::pushBack()
{
    const size_t c = end_++;
    while (back_.size() >= 2 && above(back_[back_.size() - 2], back_.back(), c) >= 0)
        back_.pop_back();
    back_.push_back(c);
}

void WindowMaxSlope::refillFront()
{
    frontSize_ = 0;
    undo_.clear();
    for (size_t p = end_; p-- > mid_;) {
        // Keep the vertices up to the tangent from p (right to left, a prefix).
        size_t keep = 1;   // vertices kept; the rightmost always stays
        if (frontSize_ > 1) {
            size_t lo = 0, hi = frontSize_ - 1;   // the last kept vertex lies in [lo, hi]
            while (lo < hi) {
                const size_t m = (lo + hi + 1) / 2;
                // front_[m] stays when it lies above the line from p to front_[m - 1].
                if (above(p, front_[m - 1], front_[m]) > 0)
                    lo = m;
                else
                    hi = m - 1;
            }
            keep = lo + 1;
        } else {
            keep = frontSize_;
        }
        const Undo u{keep, keep < front_.size() ? front_[keep] : 0, frontSize_};
        if (keep < front_.size())
            front_[keep] = p;
        else
            front_.push_back(p);
        frontSize_ = keep + 1;
        undo_.push_back(u);
    }
    begin_ = mid_;
    mid_ = end_;
    back_.clear();
}

void WindowMaxSlope::popFront()
{
    if (begin_ == mid_)
        refillFront();
    const Undo u = undo_.back();
    undo_.pop_back();
    if (u.position < front_.size())
        front_[u.position] = u.previous;
    frontSize_ = u.size;
    ++begin_;
}

size_t WindowMaxSlope::steepestFrom(double qx, double qy) const
{
    size_t best = 0;
    bool found = false;
    const auto consider = [&](size_t i) {
        if (!found || slope(qx, qy, i) > slope(qx, qy, best)) {
            best = i;
            found = true;
        }
    };
    if (!back_.empty()) {
        // Slopes rise then fall along the hull: find the first vertex whose
        // right neighbour does not lie above the line from q through it.
        size_t lo = 0, hi = back_.size() - 1;
        while (lo < hi) {
            const size_t m = (lo + hi) / 2;
            if (aboveFrom(qx, qy, back_[m], back_[m + 1]) > 0)
                lo = m + 1;
            else
                hi = m;
        }
        consider(back_[lo]);
    }
    if (frontSize_ > 0) {
        // The same with front_ running right to left: the last index (from the
        // right end) whose right neighbour does not lie above that line.
        size_t lo = 0, hi = frontSize_ - 1;
        while (lo < hi) {
            const size_t m = (lo + hi + 1) / 2;
            if (aboveFrom(qx, qy, front_[m], front_[m - 1]) > 0)
                hi = m - 1;
            else
                lo = m;
        }
        consider(front_[lo]);
    }
    return best;
}

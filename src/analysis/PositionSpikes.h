#pragma once
// Position spikes: records whose position leaves the track for one or two
// records and comes back, while the logged (Doppler) speed says the logger
// cannot have been there. HDOP and the speed check do not see them, yet one
// such record 25 m off adds 50 m of path to every distance run across it.
//
// A step from record a to a later record b is a jump when the straight line
// between them is longer than `margin` metres plus 1.5 times the distance the
// faster of the two logged speeds covers in the time between them. A real path
// is never longer than that: a chord is shorter than its arc, however sharp the
// turn. Within a segment, after the last good record g:
//   - record i is dropped when g -> i and i -> i+1 are jumps and g -> i+1 is not;
//   - records i, i+1 are dropped when g -> i and i+1 -> i+2 are jumps and g -> i+2 is not;
//   - the last record of a segment is dropped when g -> it is a jump and the
//     two records before it agree.
// At a segment's start nothing vouches for the first record: it is dropped when
// it jumps to the next and the next two agree; the first two are dropped when
// both jump to the third and the third and fourth agree. Anything else, a lasting
// change of path above all, stays.

#include <cstddef>

struct SessionTrack;

inline constexpr double kJumpSpeedFactor = 1.5;

// Whether the step from point a to point b (a before b) is a jump; uses points and sphere.
bool IsJump(const SessionTrack& track, size_t a, size_t b, double marginMetres);

// Drops the spikes from points, sphere and segmentStarts (before the running
// sums exist) into leftOut; nothing when marginMetres is 0 or less.
void DropPositionSpikes(SessionTrack& track, double marginMetres);

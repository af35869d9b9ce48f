#include "analysisview/TrackGaps.h"

#include <algorithm>

#include "analysis/SessionTrack.h"

std::vector<TrackGap> TrackGaps(const SessionTrack& track)
{
    std::vector<TrackGap> gaps;
    for (size_t s = 1; s < track.segmentStarts.size(); ++s) {
        const size_t after = track.segmentStarts[s];
        const bool spanned = !std::binary_search(track.stretchStarts.begin(), track.stretchStarts.end(), after);
        gaps.push_back({after - 1, after, spanned});
    }
    return gaps;
}

#pragma once
// The four slots of a store (tracks, points of interest) that the operator ticked.

#include <array>
#include <cstddef>

#include "platform/ResultCode.h"

enum class SlotOutcome { Done, Failed, Stopped };

// Runs each for every checked slot in order (0-3). A stop ends it at once with kInterrupted;
// a failed slot gives failedCode but the others still run.
template <typename Each>
ResultCode ForEachCheckedSlot(const std::array<bool, 4>& checked, Each each, ResultCode failedCode = kIncomplete)
{
    ResultCode result = kOk;
    for (int n = 0; n < 4; ++n) {
        if (!checked[std::size_t(n)])
            continue;
        switch (each(n)) {
        case SlotOutcome::Done:
            break;
        case SlotOutcome::Failed:
            result = failedCode;
            break;
        case SlotOutcome::Stopped:
            return kInterrupted;
        }
    }
    return result;
}

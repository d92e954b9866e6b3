#include "platform/name_refusal.h"

namespace kelvor {

Refusal JudgeRefusal(bool exists, bool denied, bool listed, int attempt) {
    if (exists || (denied && listed))
        return Refusal::Taken;
    return denied && attempt < RefusalAttempts ? Refusal::TryAgain : Refusal::Failure;
}

std::chrono::milliseconds RefusalPause(int attempt) {
    return std::chrono::milliseconds(5 << (attempt - 1));
}

} // namespace kelvor

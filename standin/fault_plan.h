#pragma once

// The injected faults of a mailbox file, with their occurrence counts.

#include "standin/failure.h"
#include "standin/mailbox_file.h"

#include <optional>
#include <string_view>
#include <vector>

namespace kelvor::standin {

class FaultPlan {
public:
    FaultPlan() = default;
    explicit FaultPlan(std::vector<FaultSpec> faults);

    // Counts the operation against every fault whose `op` and `message` it matches (a control
    // without a current message matches no fault that names one) and returns the failure of
    // the first such fault, in file order, that fires on this occurrence.
    std::optional<Failure> Match(std::string_view op, std::optional<std::int32_t> message);

private:
    std::vector<FaultSpec> faults_;
    std::vector<std::int64_t> seen_;
};

} // namespace kelvor::standin

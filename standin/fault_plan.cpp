#include "standin/fault_plan.h"

namespace kelvor::standin {

FaultPlan::FaultPlan(std::vector<FaultSpec> faults)
    : faults_(std::move(faults)), seen_(faults_.size(), 0) {}

std::optional<Failure> FaultPlan::Match(std::string_view op, std::optional<std::int32_t> message) {
    std::optional<Failure> failure;
    for (std::size_t i = 0; i < faults_.size(); ++i) {
        const FaultSpec& fault = faults_[i];
        if (fault.op != op || (fault.message && fault.message != message))
            continue;
        const std::int64_t occurrence = ++seen_[i];
        if (!failure && (!fault.call || *fault.call == occurrence))
            failure = Failure{fault.hresult, fault.description, fault.viaStatus};
    }
    return failure;
}

} // namespace kelvor::standin

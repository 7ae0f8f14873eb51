#include "estimation/context.h"

void EstimationContext::report(const Failure& failure) const {
    if (log_path)
        write_error_report(*log_path, request, failure);
}

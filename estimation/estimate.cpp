#include "estimation/estimate.h"

#include "estimation/bounded.h"
#include "estimation/normal.h"
#include "estimation/positive.h"

Estimate estimate(Support support, double position, double lower, double upper,
                  const Vector& moments, EstimationContext& context) {
    switch (support) {
    case Support::whole:
        return estimate_normal(moments, position, context);
    case Support::half:
        return estimate_positive(moments, position, lower, context);
    case Support::interval:
        return estimate_bounded(moments, position, lower, upper, context);
    }
    return Estimate{};
}

Estimate estimate(Support support, double position, double lower, double upper,
                  const double* moments, int count, EstimationContext& context) {
    const Vector copy(moments, count);
    return estimate(support, position, lower, upper, copy, context);
}

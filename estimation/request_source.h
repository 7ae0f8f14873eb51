// SPDX-License-Identifier: Apache-2.0
#pragma once
// A request held as plain values, for the front ends whose request is not a
// form on the screen (vendrill-cli, the Python package): it hands the request
// to the error log, so that a report written during their estimation records
// it in rows 4 to 8 just as a report from the dialog records the dialog's.
// With several positions the position is the one being computed when the
// report is written.

#include <vector>

#include "numeric/error_log.h"
#include "numeric/support.h"

class StoredRequestSource : public RequestSource {
public:
    StoredRequestSource(Support support, double lower, double upper, std::vector<double> moments);

    void set_position(double position) { position_ = position; }

    double position() const override { return position_; }
    int type() const override { return support_index(support_); }
    double lower() const override { return lower_; }
    double upper() const override { return upper_; }
    int momentCount() const override { return static_cast<int>(moments_.size()); }
    double moment(int i) const override { return moments_[static_cast<std::size_t>(i)]; }

private:
    double position_ = 0.0;
    Support support_;
    double lower_;
    double upper_;
    std::vector<double> moments_;
};

// SPDX-License-Identifier: Apache-2.0
#pragma once
// --sample: the moments of a sample read from a file or standard input,
// about the sample mean (estimation/sample_moments.h).  The values stream
// through: a sample of any length takes the memory of one read buffer.
//
// The text is a column of numbers.  Without a column every item counts,
// separated by blanks, commas or semicolons, '#' starting a comment to the
// end of the line (the form of a moments file).  With a column (counted from
// 1) every line is a record of fields separated by commas, semicolons or
// tabs, blanks around a field and double quotes around it ignored; a line
// that is blank or starts with '#' is skipped, and a first record whose field
// is a name (not a number and not starting like one) is taken as the header.

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

#include "estimation/sample_moments.h"
#include "numeric/support.h"

namespace vendrill::cli {

// An item longer than this is refused without reading it whole.
inline constexpr std::size_t max_sample_item_bytes = 1024;

struct SampleRequest {
    std::string path;                  // "-" for standard input
    std::optional<std::size_t> column; // from 1; none: every item
    int moment_count = 5;              // counting the 0th
};

// The moments of the sample.  A regular file is read twice (the mean, then
// the central sums about it); standard input and other streams once.  Every
// value must lie on the support: the first that does not is named, with its
// line.  Throws InvalidInput for a fault (a file that cannot be read, an item
// that is not a number, a value off the support, no values at all, moments
// beyond the range of a double).
SampleMoments read_sample(const SampleRequest& sample, Support support, double lower, double upper,
                          std::FILE* standard_input);

} // namespace vendrill::cli

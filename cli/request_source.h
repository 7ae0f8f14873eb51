// SPDX-License-Identifier: Apache-2.0
#pragma once
// The command-line request as the error log's request source
// (estimation/request_source.h).

#include "estimation/request_source.h"

namespace vendrill::cli {

using CliRequestSource = StoredRequestSource;

} // namespace vendrill::cli

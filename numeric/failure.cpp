// SPDX-License-Identifier: Apache-2.0
#include "numeric/failure.h"

void fail_out_of_memory() {
    throw Failure("asset", "Nincs elég memória!", FailureCode::computation);
}

// SPDX-License-Identifier: Apache-2.0
#include "estimation/request_source.h"

#include <utility>

StoredRequestSource::StoredRequestSource(Support support, double lower, double upper,
                                         std::vector<double> moments)
    : support_(support), lower_(lower), upper_(upper), moments_(std::move(moments)) {}

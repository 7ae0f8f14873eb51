#include "cli/request_source.h"

#include <utility>

namespace vendrill::cli {

CliRequestSource::CliRequestSource(Support support, double lower, double upper,
                                   std::vector<double> moments)
    : support_(support), lower_(lower), upper_(upper), moments_(std::move(moments)) {}

} // namespace vendrill::cli

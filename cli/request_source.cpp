#include "cli/request_source.h"

#include <utility>

namespace vendrill::cli {

CliRequestSource::CliRequestSource(int type, double lower, double upper,
                                   std::vector<double> moments)
    : type_(type), lower_(lower), upper_(upper), moments_(std::move(moments)) {}

ScopedRequestSource::ScopedRequestSource(const RequestSource* source)
    : previous_(request_source()) {
    set_request_source(source);
}

ScopedRequestSource::~ScopedRequestSource() {
    set_request_source(previous_);
}

} // namespace vendrill::cli

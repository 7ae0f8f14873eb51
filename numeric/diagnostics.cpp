// SPDX-License-Identifier: Apache-2.0
#include "numeric/diagnostics.h"

void DiagnosticSink::write(std::string_view utf8_text) const {
    if (stream_ == nullptr || utf8_text.empty())
        return;
    std::fwrite(utf8_text.data(), 1, utf8_text.size(), stream_);
}

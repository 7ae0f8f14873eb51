#include "numeric/diagnostics.h"

namespace {

// Until a front end chooses a stream, diagnostics go to standard output.
bool stream_chosen = false;
std::FILE* chosen_stream = nullptr;

} // namespace

void set_diagnostic_stream(std::FILE* stream) {
    stream_chosen = true;
    chosen_stream = stream;
}

std::FILE* diagnostic_stream() {
    return stream_chosen ? chosen_stream : stdout;
}

void write_diagnostic(std::string_view utf8_text) {
    std::FILE* stream = diagnostic_stream();
    if (stream == nullptr || utf8_text.empty())
        return;
    std::fwrite(utf8_text.data(), 1, utf8_text.size(), stream);
}

// SPDX-License-Identifier: Apache-2.0
#include "numeric/error_log.h"

#include "numeric/number_text.h"
#include "numeric/printable_text.h"
#include "numeric/support.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <optional>
#include <pthread.h>
#include <string>
#include <string_view>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

const char* const error_log_banner = "Vendrill, 2001.05.14. 16:06";

namespace {

// The letters of the messages that are not ASCII, with their Windows-1250 bytes.
struct Cp1250Letter {
    char32_t code_point;
    unsigned char byte;
};
constexpr Cp1250Letter cp1250_letters[] = {
    {U'á', 0xE1}, {U'é', 0xE9}, {U'í', 0xED}, {U'ó', 0xF3}, {U'ö', 0xF6}, {U'ő', 0xF5},
    {U'ú', 0xFA}, {U'ü', 0xFC}, {U'ű', 0xFB}, {U'Á', 0xC1}, {U'É', 0xC9}, {U'Í', 0xCD},
    {U'Ó', 0xD3}, {U'Ö', 0xD6}, {U'Ő', 0xD5}, {U'Ú', 0xDA}, {U'Ü', 0xDC}, {U'Ű', 0xDB},
};
constexpr char unknown_letter = '?';

char cp1250_byte(char32_t code_point) {
    for (const Cp1250Letter& letter : cp1250_letters)
        if (letter.code_point == code_point)
            return static_cast<char>(letter.byte);
    return unknown_letter;
}

// Length of the UTF-8 sequence that starts with lead (0 for a byte that
// cannot start one) and the payload bits of the lead byte.
int utf8_sequence_length(unsigned char lead, char32_t& bits) {
    if ((lead & 0xE0) == 0xC0) {
        bits = lead & 0x1F;
        return 2;
    }
    if ((lead & 0xF0) == 0xE0) {
        bits = lead & 0x0F;
        return 3;
    }
    if ((lead & 0xF8) == 0xF0) {
        bits = lead & 0x07;
        return 4;
    }
    return 0;
}

// Converts UTF-8 text to Windows-1250.  ASCII passes unchanged; letters
// outside the table and malformed sequences become '?', so the log never
// holds a multibyte sequence.
std::string to_cp1250(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        const unsigned char lead = static_cast<unsigned char>(utf8[i]);
        if (lead < 0x80) {
            out += static_cast<char>(lead);
            ++i;
            continue;
        }
        char32_t code_point = 0;
        const int length = utf8_sequence_length(lead, code_point);
        int taken = 1;
        bool well_formed = length > 0;
        while (well_formed && taken < length) {
            if (i + taken >= utf8.size())
                break;
            const unsigned char next = static_cast<unsigned char>(utf8[i + taken]);
            if ((next & 0xC0) != 0x80)
                break;
            code_point = (code_point << 6) | (next & 0x3F);
            ++taken;
        }
        well_formed = well_formed && taken == length;
        out += well_formed ? cp1250_byte(code_point) : unknown_letter;
        i += taken;
    }
    return out;
}

// "%2d": the index right-aligned in two characters.
std::string padded_index(int i) {
    std::string text = std::to_string(i);
    if (text.size() < 2)
        text.insert(0, 2 - text.size(), ' ');
    return text;
}

void append_type_rows(std::string& report, const RequestSource& source) {
    const std::optional<Support> support = support_from_index(source.type());
    if (!support)
        return; // an unknown type leaves the line ending in its blank
    switch (*support) {
    case Support::whole:
        report += "ULNormal";
        break;
    case Support::half:
        report += "ULPositive\n\talsó határ = " + format_fixed(source.lower());
        break;
    case Support::interval:
        report += "ULBounded\n\talsó határ = " + format_fixed(source.lower()) +
                  "\n\tfelső határ = " + format_fixed(source.upper());
        break;
    }
}

// Rows 1 to 9 of one report, in UTF-8.
std::string report_text(const char* routine, const char* message, const RequestSource* source) {
    std::string report = "\n//****************** HIBA ******************\\";
    report += "\n\nHiba a következő függvényben: ";
    report += routine != nullptr ? routine : "";
    report += "\nA hiba leírása: ";
    report += message != nullptr ? message : "";
    report += "\n\nPozíció = " + format_fixed(source != nullptr ? source->position() : 0.0);
    report += "\nA becslés típusa: ";
    if (source != nullptr)
        append_type_rows(report, *source);
    report += "\n\nA momentumok:\n-------------\n";
    const int count = source != nullptr ? source->momentCount() : 0;
    for (int i = 0; i < count; ++i) {
        report += '\n';
        report += padded_index(i);
        report += ". momentum = ";
        report += format_fixed(source->moment(i));
    }
    report += "\n";
    return report;
}

// Why the log did not take a report.
struct LogProblem {
    enum Kind { none, cannot_open, no_reader, foreign_link, cannot_write } kind = none;
    int error = 0; // errno, 0 when it says nothing more
};

// Closes the descriptor at the end of its scope; closing also releases the
// flock taken on it.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

// Writes all of bytes with as few write calls as the kernel allows (one for a
// regular file).  False with errno set when a write fails.
bool write_all(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// True when the file starts with the banner and a line end: its first line is
// exactly the banner.
bool starts_with_banner(int fd) {
    const std::string expected = std::string(error_log_banner) + '\n';
    std::string head(expected.size(), '\0');
    std::size_t got = 0;
    while (got < head.size()) {
        const ssize_t n =
            ::pread(fd, head.data() + got, head.size() - got, static_cast<off_t>(got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    return got == head.size() && head == expected;
}

// The part of a regular log's update that other writers must not see half
// done: under the lock, the check of the first line, the restart of a foreign
// log and the report's write.  A failed write is undone, so that a full disk
// leaves no partial report behind.
LogProblem append_under_lock(int fd, bool linked, const std::string& report) {
    // A file system without locks (some network and FUSE ones) gets the
    // reports all the same, as a single writer would write them.
    while (::flock(fd, LOCK_EX) != 0 && errno == EINTR) {
    }
    std::string restarted;
    const std::string* bytes = &report;
    if (!starts_with_banner(fd)) {
        if (linked)
            return {LogProblem::foreign_link, 0};
        if (::ftruncate(fd, 0) != 0)
            return {LogProblem::cannot_write, errno};
        restarted = error_log_banner + report;
        bytes = &restarted;
    }
    struct stat before {};
    if (::fstat(fd, &before) != 0)
        return {LogProblem::cannot_write, errno};
    if (!write_all(fd, *bytes)) {
        const int error = errno;
        if (::ftruncate(fd, before.st_size) != 0) {
            // Nothing more can be done: the report goes to standard error all the same.
        }
        return {LogProblem::cannot_write, error};
    }
    return {};
}

// A log that is not a regular file: opened without waiting for a reader, then
// written as a stream.  A reader that has gone away gives an error, not the
// end of the process: SIGPIPE is held back in this thread while writing.
LogProblem write_to_stream(const std::string& path, const std::string& report) {
    const Descriptor fd(
        ::open(path.c_str(), O_WRONLY | O_APPEND | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (fd.get() < 0)
        return {errno == ENXIO ? LogProblem::no_reader : LogProblem::cannot_open, errno};
    const int flags = ::fcntl(fd.get(), F_GETFL);
    if (flags < 0 || ::fcntl(fd.get(), F_SETFL, flags & ~O_NONBLOCK) != 0)
        return {LogProblem::cannot_write, errno};

    sigset_t pipe_signal;
    sigemptyset(&pipe_signal);
    sigaddset(&pipe_signal, SIGPIPE);
    sigset_t previous_mask;
    pthread_sigmask(SIG_BLOCK, &pipe_signal, &previous_mask);
    sigset_t pending;
    sigpending(&pending);
    const bool was_pending = sigismember(&pending, SIGPIPE) == 1;
    const bool written = write_all(fd.get(), report);
    const int error = errno;
    if (!written && error == EPIPE && !was_pending) {
        const timespec no_wait{};
        sigtimedwait(&pipe_signal, nullptr, &no_wait); // the SIGPIPE this write raised
    }
    pthread_sigmask(SIG_SETMASK, &previous_mask, nullptr);
    if (!written)
        return {LogProblem::cannot_write, error};
    return {};
}

LogProblem append_report(const std::string& path, const std::string& report) {
    struct stat entry {};
    const bool linked = ::lstat(path.c_str(), &entry) == 0 && S_ISLNK(entry.st_mode);
    struct stat target {};
    if (::stat(path.c_str(), &target) == 0 && !S_ISREG(target.st_mode) && !S_ISDIR(target.st_mode))
        return write_to_stream(path, report);
    // O_NONBLOCK: a FIFO put in place after the check above is not waited for.
    // A link is not created through (no O_CREAT), and a path that was no link
    // must not become one before the open (O_NOFOLLOW).
    int flags = O_RDWR | O_APPEND | O_NOCTTY | O_CLOEXEC | O_NONBLOCK;
    if (!linked)
        flags |= O_CREAT | O_NOFOLLOW;
    const Descriptor fd(::open(path.c_str(), flags, 0666));
    if (fd.get() < 0)
        return {LogProblem::cannot_open, errno};
    struct stat opened {};
    if (::fstat(fd.get(), &opened) != 0)
        return {LogProblem::cannot_open, errno};
    if (!S_ISREG(opened.st_mode))
        return {LogProblem::cannot_open, 0};
    return append_under_lock(fd.get(), linked, report);
}

// The line that says why the reports go to standard error.
std::string problem_text(const std::string& path, const LogProblem& problem) {
    const std::string log = "The error log " + quoted_excerpt(path);
    const std::string destination = ": its reports go to standard error.\n";
    const std::string reason =
        problem.error != 0 ? std::string(" (") + std::strerror(problem.error) + ")" : "";
    switch (problem.kind) {
    case LogProblem::no_reader:
        return log + " is a FIFO that nobody reads" + destination;
    case LogProblem::foreign_link:
        return log +
               " is a symbolic link to a file that is not a Vendrill log, which is left as it is" +
               destination;
    case LogProblem::cannot_write:
        if (problem.error == ENOSPC || problem.error == EDQUOT || problem.error == EFBIG)
            return log + " is full" + reason + destination;
        return log + " cannot be written" + reason + destination;
    case LogProblem::cannot_open:
    case LogProblem::none:
        break;
    }
    return log + " cannot be opened" + reason + destination;
}

} // namespace

ReportDestination write_error_report(const std::string& path, const RequestSource* source,
                                     const Failure& failure, bool explain,
                                     std::string* problem_line) {
    const std::string utf8_report = report_text(failure.routine(), failure.message(), source);
    const LogProblem problem = append_report(path, to_cp1250(utf8_report));
    if (problem.kind == LogProblem::none)
        return ReportDestination::log;
    // The failure is handled by its catcher all the same.
    const std::string why = problem_text(path, problem);
    if (explain)
        std::fputs(why.c_str(), stderr);
    if (problem_line != nullptr)
        *problem_line = why.substr(0, why.size() - 1); // without the newline
    std::fwrite(utf8_report.data(), 1, utf8_report.size(), stderr);
    std::fflush(stderr);
    return ReportDestination::standard_error;
}

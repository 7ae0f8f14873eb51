// SPDX-License-Identifier: Apache-2.0
#pragma once
// Helpers shared by the test suites and the benchmark programs: files and
// scratch folders, the error log's bytes and reports, captured streams, a
// request with plain values and the moments of simple distributions.

#include "numeric/error_log.h"

#include <cstdio>
#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace test_support {

// The whole content of a file ("" when it cannot be read).
std::string read_file(const std::filesystem::path& path);
void write_file(const std::filesystem::path& path, const std::string& bytes);

// The bytes the log should hold for UTF-8 text: the letters of the messages
// replaced by their Windows-1250 bytes.  Kept apart from the library's own
// conversion so that a wrong table there is caught.
std::string cp1250(std::string text);
// Those Windows-1250 letters back to UTF-8; other bytes pass unchanged.
std::string utf8_from_cp1250(const std::string& bytes);

// A folder made with mkdtemp, removed with everything in it at the end.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::string& prefix = "vendrill-test");
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string folder() const { return path_.string(); }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

// One report of the error log: the failing routine and the message, in UTF-8.
struct Report {
    std::string routine;
    std::string message;
    bool operator==(const Report&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Report& r);

// The reports in the bytes of a log, in order.
std::vector<Report> reports_in(const std::string& log_bytes);

// The rows that name the routine and the message in a report, as logged.
std::string logged_failure(const std::string& routine, const std::string& message);

// A request with plain values, as a front end would hand it over.
class FixedRequest : public RequestSource {
public:
    double position_ = 0.0;
    int type_ = 0;
    double lower_ = 0.0;
    double upper_ = 0.0;
    std::vector<double> moments_;

    double position() const override { return position_; }
    int type() const override { return type_; }
    double lower() const override { return lower_; }
    double upper() const override { return upper_; }
    int momentCount() const override { return static_cast<int>(moments_.size()); }
    double moment(int i) const override { return moments_.at(static_cast<std::size_t>(i)); }
};

// Runs action, which must throw a Failure; returns its code, or -999 when
// nothing was thrown and -998 when something else was.
int thrown_code(const std::function<void()>& action);

// An error log in a scratch folder of its own.
class LogFolder : public ScratchFolder {
public:
    LogFolder() : ScratchFolder("vendrill-log") {}

    std::string log_path() const { return folder() + "/error.log"; }
    std::string log() const { return read_file(log_path()); }
    std::vector<Report> reports() const { return reports_in(log()); }
    std::vector<std::string> routines() const;

    // thrown_code, and the failure's report written to this log with the
    // request of source, as the code that catches a failure writes it.
    int thrown_code(const std::function<void()>& action,
                    const RequestSource* source = nullptr) const;
};

// Collects what a FILE stream (stdout, stderr) receives while an object
// lives: the stream's descriptor is pointed at a temporary file and restored
// afterwards.
class StreamCapture {
public:
    explicit StreamCapture(std::FILE* stream);
    StreamCapture(const StreamCapture&) = delete;
    StreamCapture& operator=(const StreamCapture&) = delete;
    ~StreamCapture();
    // Ends the capture and returns what arrived.
    std::string text();

private:
    void restore();
    std::FILE* stream_;
    std::FILE* target_ = nullptr;
    int saved_fd_ = -1;
};

// A temporary file to hand out as a stream (a diagnostic sink), whose
// content can be read back at any time.
class CapturedStream {
public:
    CapturedStream();
    CapturedStream(const CapturedStream&) = delete;
    CapturedStream& operator=(const CapturedStream&) = delete;
    ~CapturedStream();
    std::FILE* stream() const { return file_; }
    // Everything written so far; writing may go on afterwards.
    std::string text() const;

private:
    std::FILE* file_;
};

// Moments 1/(k+1), k = 0 .. count-1, of the uniform distribution on [0, 1].
std::vector<double> uniform_moments(int count);
// Moments m0 .. m(count-1) of the discrete distribution with these points and
// masses (m0 set to exactly 1).
std::vector<double> discrete_moments(const std::vector<double>& points,
                                     const std::vector<double>& masses, int count);

} // namespace test_support

#pragma once
// Failure convention of the numerical code and the error log "error.log".
//
// Every failure that the numerical code detects goes through report_error: it
// appends one report (routine, message and the user's request) to the log and
// then throws the code as an int.  The estimation drivers catch that int around
// each attempt.  report_warning marks conditions a routine handles by itself and
// does nothing at all.  asset is the check every allocation passes through.
//
// The log is written in Windows-1250 with '\n' line ends, numbers always with
// '.' as the decimal point, whatever the process locale is.

#include <string>

// The request that a report records in its rows 4 to 8.  The front end that
// owns the request (the dialog, the command-line tool) implements it and
// registers itself with set_request_source.
class RequestSource {
public:
    virtual ~RequestSource() = default;
    virtual double position() const = 0;
    virtual int type() const = 0; // 0 whole line, 1 half-line, 2 bounded interval
    virtual double lower() const = 0;
    virtual double upper() const = 0;
    virtual int momentCount() const = 0;
    virtual double moment(int i) const = 0; // the value of row i, as the user entered it
};

// Registers the source of the request (nullptr: none).  With no source
// registered a report still holds rows 4 to 8, for an empty request: position
// 0.000000, a type line with nothing after its final blank, and no moment rows.
void set_request_source(const RequestSource* source);
const RequestSource* request_source();

// Where reports go: "error.log" in the working directory unless changed.
void set_error_log_path(const std::string& path);
const std::string& error_log_path();
// With the log disabled, report_error writes nothing and only throws.
void set_error_log_enabled(bool enabled);
bool error_log_enabled();

// The first line of every log file.
extern const char* const error_log_banner;

// Writes one report and throws code as an int.  When the log cannot be
// created, emptied or opened for appending, the same report text goes to
// standard error instead and the code is thrown all the same.
// routine and message are UTF-8; the log receives them in Windows-1250.
[[noreturn]] void report_error(const char* routine, const char* message, int code);

// Has no effect: the caller handles the condition by itself.
void report_warning(const char* routine, const char* message);

// Returns p when it is not null; a null p is reported as exhausted memory.
[[noreturn]] void report_out_of_memory();
template <class T> T* asset(T* p) {
    if (p == nullptr)
        report_out_of_memory();
    return p;
}

#pragma once
// The error log "error.log": one report for each failure that its catcher
// chooses to record (numeric/failure.h).
//
// The log is written in Windows-1250 with '\n' line ends, numbers always with
// '.' as the decimal point, whatever the process locale is.  Nothing here is
// shared between calls: the path and the request come with each report, so
// estimations running at once on other threads write their own logs.

#include <string>

#include "numeric/failure.h"

// The request that a report records in its rows 4 to 8.  The front end that
// owns the request (the dialog, the command-line tool) implements it and
// hands it to the estimation with each call.
class RequestSource {
public:
    virtual ~RequestSource() = default;
    virtual double position() const = 0;
    virtual int type() const = 0; // support_index: 0 whole line, 1 half-line, 2 interval
    virtual double lower() const = 0;
    virtual double upper() const = 0;
    virtual int momentCount() const = 0;
    virtual double moment(int i) const = 0; // the value of row i, as the user entered it
};

// The first line of every log file.
extern const char* const error_log_banner;

// Appends the report of failure to the log at path: the routine, the message
// and the request of source.  Without a source (nullptr) the report still
// holds rows 4 to 8, for an empty request: position 0.000000, a type line
// with nothing after its final blank, and no moment rows.  A log whose first
// line is not the banner is started afresh.  When the log cannot be created,
// emptied or opened for appending, the same report text goes to standard
// error instead.  The failure's texts are UTF-8; the log receives them in
// Windows-1250.
void write_error_report(const std::string& path, const RequestSource* source,
                        const Failure& failure);

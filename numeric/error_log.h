// SPDX-License-Identifier: Apache-2.0
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

// Where write_error_report put a report.
enum class ReportDestination {
    log,            // the log at the path given
    standard_error, // the log could not take it (see below)
};

// Appends the report of failure to the log at path: the routine, the message
// and the request of source.  Without a source (nullptr) the report still
// holds rows 4 to 8, for an empty request: position 0.000000, a type line
// with nothing after its final blank, and no moment rows.  The failure's texts
// are UTF-8; the log receives them in Windows-1250.
//
// A regular file is opened for appending and locked (flock) while its first
// line is checked and the report is written, in one write: a log whose first
// line is not the banner is emptied and started afresh with it, and reports
// of other processes writing the same log at the same time land whole, none
// lost.  A log that is not a regular file (a pipe, a FIFO, a terminal,
// /dev/stderr) receives the report as it is, without the banner check; a FIFO
// that nobody reads is not waited for.  A path that is a symbolic link is
// followed only to a file that already starts with the banner: any other
// target is left untouched.
//
// When the log cannot take the report (it cannot be opened, it is such a
// link, a write fails, the disk is full), nothing of the report stays in the
// log and the same report text goes to standard error instead, in UTF-8;
// with explain, one line before it says why.  That line, without its newline,
// is also put in *problem (when given) for a front end that tells its user;
// a report that reached the log leaves *problem as it was.
ReportDestination write_error_report(const std::string& path, const RequestSource* source,
                                     const Failure& failure, bool explain = false,
                                     std::string* problem = nullptr);

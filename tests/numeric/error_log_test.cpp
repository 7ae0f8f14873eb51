// SPDX-License-Identifier: Apache-2.0
// The error log: the exact bytes of reports, the banner and restart rules,
// the rows of the request, and what happens when the log cannot be written.

#include "numeric/error_log.h"
#include "numeric/vector.h"

#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

using test_support::cp1250;
using test_support::FixedRequest;
using test_support::LogFolder;
using test_support::read_file;
using test_support::write_file;

namespace {

const std::string banner = "Vendrill, 2001.05.14. 16:06";

// One report from "Vector::drop" with the request of position 0.5, type 1,
// lower limit 0 and moments 1, 0.5, 0.5, spelled out byte by byte.
const std::string worked_example_report =
    "\n//****************** HIBA ******************\\\n"
    "\n"
    "Hiba a k\xF6vetkez\xF5 f\xFCggv\xE9nyben: Vector::drop\n"
    "A hiba le\xEDr\xE1sa: T\xFAl sokat elemet akar eldobni!\n"
    "\n"
    "Poz\xED"
    "ci\xF3 = 0.500000\n"
    "A becsl\xE9s t\xEDpusa: ULPositive\n"
    "\tals\xF3 hat\xE1r = 0.000000\n"
    "\n"
    "A momentumok:\n"
    "-------------\n"
    "\n"
    " 0. momentum = 1.000000\n"
    " 1. momentum = 0.500000\n"
    " 2. momentum = 0.500000\n";

FixedRequest worked_example_request() {
    FixedRequest request;
    request.position_ = 0.5;
    request.type_ = 1;
    request.lower_ = 0.0;
    request.upper_ = 7.0; // not logged for type 1
    request.moments_ = {1.0, 0.5, 0.5};
    return request;
}

// Makes the report of the worked example through the real failing routine.
void drop_too_many() {
    const double elements[] = {1.0, 0.5, 0.5};
    Vector v(elements, 3);
    v.drop(4);
}

void fail_r_m() {
    throw Failure("r", "m", FailureCode::computation);
}

// The text between the type line's blank and the moments header.
std::string type_rows(const std::string& log) {
    const std::string start = cp1250("\nA becslés típusa: ");
    const std::size_t from = log.find(start);
    const std::size_t to = log.find("\n\nA momentumok:");
    if (from == std::string::npos || to == std::string::npos)
        return "<missing>";
    return log.substr(from + start.size(), to - from - start.size());
}

TEST(ErrorLogFile, FreshLogHoldsBannerThenTheWorkedExample) {
    LogFolder folder;
    const FixedRequest request = worked_example_request();
    EXPECT_EQ(folder.thrown_code(drop_too_many, &request), 1);
    EXPECT_EQ(folder.log(), banner + worked_example_report);
}

TEST(ErrorLogFile, SecondReportIsAppendedWithoutRepeatingTheBanner) {
    LogFolder folder;
    const FixedRequest request = worked_example_request();
    EXPECT_EQ(folder.thrown_code(drop_too_many, &request), 1);
    EXPECT_EQ(folder.thrown_code(drop_too_many, &request), 1);
    EXPECT_EQ(folder.log(), banner + worked_example_report + worked_example_report);
}

struct ExistingLog {
    const char* name;
    std::string content;
    bool kept; // true: the report is appended; false: the log restarts
};

void PrintTo(const ExistingLog& c, std::ostream* os) {
    *os << c.name;
}

class ErrorLogBanner : public testing::TestWithParam<ExistingLog> {};

TEST_P(ErrorLogBanner, RestartsUnlessTheFirstLineIsExactlyTheBanner) {
    LogFolder folder;
    const FixedRequest request = worked_example_request();
    write_file(folder.log_path(), GetParam().content);
    EXPECT_EQ(folder.thrown_code(drop_too_many, &request), 1);
    const std::string expected =
        (GetParam().kept ? GetParam().content : banner) + worked_example_report;
    EXPECT_EQ(folder.log(), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, ErrorLogBanner,
    testing::Values(
        ExistingLog{"BannerLineKept", banner + "\nolder report\n", true},
        ExistingLog{"BannerAndLineEndOnly", banner + "\n", true},
        ExistingLog{"EmptyFile", "", false},
        ExistingLog{"BannerFollowedByMoreText", banner + " and more\nold\n", false},
        ExistingLog{"BannerWithoutLineEnd", banner, false},
        ExistingLog{"ShorterFirstLine", "Vendrill, 2001.05.14.\nold\n", false},
        ExistingLog{"OtherBanner", "Vendrill, 1999.01.01. 10:00\nold\n", false},
        ExistingLog{"LongFirstLine", std::string(200, 'x') + "\n" + banner + "\n", false},
        ExistingLog{"BannerAfter79Characters", std::string(79, 'x') + banner + "\n", false}),
    [](const testing::TestParamInfo<ExistingLog>& info) { return info.param.name; });

struct TypeCase {
    const char* name;
    int type;
    std::string rows; // UTF-8
};

void PrintTo(const TypeCase& c, std::ostream* os) {
    *os << c.name;
}

class ErrorLogTypeRows : public testing::TestWithParam<TypeCase> {};

TEST_P(ErrorLogTypeRows, WritesTheLimitsThatTheTypeHas) {
    LogFolder folder;
    FixedRequest request;
    request.type_ = GetParam().type;
    request.lower_ = -1.25;
    request.upper_ = 3.5;
    EXPECT_EQ(folder.thrown_code([] { throw Failure("trybounded", "x", FailureCode::request); },
                                 &request),
              10);
    EXPECT_EQ(type_rows(folder.log()), cp1250(GetParam().rows));
}

INSTANTIATE_TEST_SUITE_P(
    Types, ErrorLogTypeRows,
    testing::Values(TypeCase{"WholeLine", 0, "ULNormal"},
                    TypeCase{"HalfLine", 1, "ULPositive\n\talsó határ = -1.250000"},
                    TypeCase{"Interval", 2,
                             "ULBounded\n\talsó határ = -1.250000\n\tfelső határ = 3.500000"},
                    TypeCase{"Unknown", 3, ""}, TypeCase{"Negative", -1, ""}),
    [](const testing::TestParamInfo<TypeCase>& info) { return info.param.name; });

TEST(ErrorLogRows, NoMomentsEndsWithTheHeaderAndOneEmptyLine) {
    LogFolder folder;
    FixedRequest request;
    request.position_ = -2.0;
    EXPECT_EQ(folder.thrown_code(fail_r_m, &request), 1);
    const std::string tail = "\nA momentumok:\n-------------\n\n";
    const std::string log = folder.log();
    ASSERT_GE(log.size(), tail.size());
    EXPECT_EQ(log.substr(log.size() - tail.size()), tail);
    EXPECT_NE(log.find(cp1250("\nPozíció = -2.000000\n")), std::string::npos);
}

TEST(ErrorLogRows, WithoutARequestSourceTheRequestIsEmpty) {
    LogFolder folder;
    EXPECT_EQ(folder.thrown_code([] {
        throw Failure("Matrix::ludet", "Túl kicsi Hankel-mátrix!", FailureCode::computation);
    }),
              1);
    const std::string expected =
        banner + cp1250("\n//****************** HIBA ******************\\\n"
                        "\nHiba a következő függvényben: Matrix::ludet"
                        "\nA hiba leírása: Túl kicsi Hankel-mátrix!\n"
                        "\nPozíció = 0.000000"
                        "\nA becslés típusa: \n"
                        "\nA momentumok:\n-------------\n\n");
    EXPECT_EQ(folder.log(), expected);
}

TEST(ErrorLogRows, IndexIsPaddedToTwoCharactersAndValuesUseSixDecimals) {
    LogFolder folder;
    FixedRequest request;
    for (int i = 0; i < 11; ++i)
        request.moments_.push_back(i == 10 ? -1234.5678915 : 0.1 * i);
    EXPECT_EQ(folder.thrown_code(fail_r_m, &request), 1);
    const std::string log = folder.log();
    EXPECT_NE(log.find("\n 0. momentum = 0.000000\n 1. momentum = 0.100000\n"), std::string::npos);
    EXPECT_NE(log.find("\n 9. momentum = 0.900000\n10. momentum = -1234.567892\n"),
              std::string::npos);
}

TEST(ErrorLogText, HungarianLettersBecomeSingleWindows1250Bytes) {
    LogFolder folder;
    EXPECT_EQ(folder.thrown_code(
                  [] { throw Failure("áéíóöőúüű", "ÁÉÍÓÖŐÚÜŰ", FailureCode::computation); }),
              1);
    EXPECT_NE(folder.log().find(": \xE1\xE9\xED\xF3\xF6\xF5\xFA\xFC\xFB\nA hiba le\xEDr\xE1"
                                "sa: \xC1\xC9\xCD\xD3\xD6\xD5\xDA\xDC\xDB\n"),
              std::string::npos);
}

TEST(ErrorLogText, LettersOutsideTheCodePageAndBrokenSequencesBecomeQuestionMarks) {
    LogFolder folder;
    // "ÿ", the euro sign, a lone continuation byte and a cut two-byte sequence.
    EXPECT_EQ(folder.thrown_code([] {
        throw Failure("a\xC3\xBF|\xE2\x82\xAC|\x80|\xC3", "m", FailureCode::computation);
    }),
              1);
    EXPECT_NE(folder.log().find(": a?|?|?|?\n"), std::string::npos);
}

TEST(ErrorLogCodes, TheCodeGivenIsTheIntThrown) {
    LogFolder folder;
    EXPECT_EQ(failure_code_number(FailureCode::computation), 1);
    EXPECT_EQ(failure_code_number(FailureCode::request), 10);
    for (int code : {1, 10, -3, 0})
        EXPECT_EQ(
            folder.thrown_code([code] { throw Failure("r", "m", static_cast<FailureCode>(code)); }),
            code);
}

TEST(ErrorLogCompanions, AssetReturnsAPointerUnchangedAndWritesNothing) {
    LogFolder folder;
    int value = 4;
    EXPECT_EQ(asset(&value), &value);
    EXPECT_FALSE(std::filesystem::exists(folder.log_path()));
}

TEST(ErrorLogCompanions, AssetReportsANullPointerAsExhaustedMemory) {
    LogFolder folder;
    EXPECT_EQ(folder.thrown_code([] { asset(static_cast<double*>(nullptr)); }), 1);
    EXPECT_NE(folder.log().find(test_support::logged_failure("asset", "Nincs elég memória!")),
              std::string::npos);
}

TEST(ErrorLogCompanions, WarningsLeaveTheLogUntouched) {
    LogFolder folder;
    report_warning("Vector::luhankeldet", "Páratlan számú momentum kell!");
    EXPECT_FALSE(std::filesystem::exists(folder.log_path()));
    write_file(folder.log_path(), "something else\n");
    report_warning("trynormal", "x");
    EXPECT_EQ(folder.log(), "something else\n");
}

TEST(ErrorLogCompanions, AFailureWritesNothingWhereItIsThrown) {
    LogFolder folder;
    test_support::StreamCapture err(stderr);
    EXPECT_EQ(test_support::thrown_code([] { throw Failure("r", "m", FailureCode::request); }), 10);
    EXPECT_EQ(test_support::thrown_code(drop_too_many), 1);
    EXPECT_FALSE(std::filesystem::exists(folder.log_path()));
    EXPECT_FALSE(std::filesystem::exists("error.log"));
    EXPECT_EQ(err.text(), "");
}

// Log paths that cannot be opened even by root.
struct UnwritableLog {
    const char* name;
    void (*prepare)(const std::string& folder);
    const char* relative_path;
};

void PrintTo(const UnwritableLog& c, std::ostream* os) {
    *os << c.name;
}

class ErrorLogUnwritable : public testing::TestWithParam<UnwritableLog> {};

TEST_P(ErrorLogUnwritable, ReportGoesToStandardErrorAndTheCodeIsThrown) {
    LogFolder folder;
    GetParam().prepare(folder.folder());
    const std::string path = folder.folder() + GetParam().relative_path;
    test_support::StreamCapture err(stderr);
    write_error_report(
        path, nullptr,
        Failure("Vector::drop", "Túl sokat elemet akar eldobni!", FailureCode::computation));
    const std::string expected = "\n//****************** HIBA ******************\\\n"
                                 "\nHiba a következő függvényben: Vector::drop"
                                 "\nA hiba leírása: Túl sokat elemet akar eldobni!\n"
                                 "\nPozíció = 0.000000"
                                 "\nA becslés típusa: \n"
                                 "\nA momentumok:\n-------------\n\n";
    EXPECT_EQ(err.text(), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, ErrorLogUnwritable,
    testing::Values(UnwritableLog{"LogIsAFolder",
                                  [](const std::string& f) {
                                      std::filesystem::create_directory(f + "/error.log");
                                  },
                                  "/error.log"},
                    UnwritableLog{"FolderMissing", [](const std::string&) {}, "/missing/error.log"},
                    UnwritableLog{"ParentIsAFile",
                                  [](const std::string& f) { write_file(f + "/plain", "x"); },
                                  "/plain/error.log"}),
    [](const testing::TestParamInfo<UnwritableLog>& info) { return info.param.name; });

// The line handed to a front end is the one standard error gets, without its
// newline; a report that reaches the log leaves it alone.
TEST(ErrorLogUnwritable, ProblemLineIsTheExplanationOfStandardError) {
    LogFolder folder;
    const Failure failure("r", "m", FailureCode::computation);
    std::string problem = "as it was";
    EXPECT_EQ(write_error_report(folder.log_path(), nullptr, failure, true, &problem),
              ReportDestination::log);
    EXPECT_EQ(problem, "as it was");
    const std::string blocked = folder.folder() + "/blocked";
    std::filesystem::create_directory(blocked);
    test_support::StreamCapture err(stderr);
    EXPECT_EQ(write_error_report(blocked, nullptr, failure, true, &problem),
              ReportDestination::standard_error);
    EXPECT_NE(problem.find("cannot be opened"), std::string::npos) << problem;
    EXPECT_EQ(err.text().substr(0, problem.size() + 2), problem + "\n\n") << err.text();
}

TEST(ErrorLogUnwritable, ProgramCarriesOnAndLaterReportsReachTheLogAgain) {
    LogFolder folder;
    std::filesystem::create_directory(folder.log_path());
    {
        test_support::StreamCapture err(stderr);
        EXPECT_EQ(folder.thrown_code(fail_r_m), 1);
    }
    std::filesystem::remove(folder.log_path());
    EXPECT_EQ(folder.thrown_code(fail_r_m), 1);
    EXPECT_EQ(folder.log().substr(0, banner.size() + 1), banner + "\n");
}

} // namespace

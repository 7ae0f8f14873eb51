// The Calculate command: checks the request, hands it to the estimation
// driver of the chosen type (or, in sharp mode, to the sharp method) and
// shows the bounds and the verdict.

#include "app/bounds_dlg.h"
#include "app/message_box.h"
#include "estimation/bounded.h"
#include "estimation/normal.h"
#include "estimation/positive.h"
#include "numeric/number_text.h"
#include "numeric/vector.h"

#include <QLineEdit>

namespace vendrill {

const char* const too_few_moments_messages[3] = {
    "Enter at least 3 moments!",
    "Enter at least 4 moments!",
    "Enter at least 5 moments!",
};
const char* const zeroth_moment_message = "The 0th moment must equal to 1!";
const char* const normal_not_applicable_message =
    "The (-inf, inf) estimation is not applicable in this case!";
const char* const none_applicable_message = "Neither type of the estimations was applicable!";
const char* const normal_tightest_message = "The (-inf, inf) estimation gave the tightest bounds.";
const char* const positive_tightest_message = "The [a, inf) estimation gave the tightest bounds.";
const char* const calculation_failed_message =
    "The calculation could not be completed; the details are in error.log.";

namespace {

// Fewest moments each estimation type needs: 3 for the whole line, one more
// for each limit.
constexpr int minimum_moments[3] = {3, 4, 5};

} // namespace

int CBoundsDlg::RunEstimation(const Vector& moments) {
    int outcome = 0;
    switch (m_type) {
    case 0:
        estimate_normal(moments, m_position, m_lowerBound, m_upperBound, outcome);
        break;
    case 1:
        estimate_positive(moments, m_position, m_lower, m_lowerBound, m_upperBound, outcome);
        break;
    case 2:
        estimate_bounded(moments, m_position, m_lower, m_upper, m_lowerBound, m_upperBound,
                         outcome);
        break;
    default:
        break;
    }
    return outcome;
}

void CBoundsDlg::ActOnOutcome(int outcome) {
    // When the chosen estimation itself gave the tightest bounds, nothing is said.
    if (outcome == 0) {
        AfxMessageBox(QString::fromUtf8(m_type == 0 ? normal_not_applicable_message
                                                    : none_applicable_message));
    } else if (outcome == 1 && m_type != 0) {
        AfxMessageBox(QString::fromUtf8(normal_tightest_message));
        const bool wasBounded = m_type == 2;
        m_type = 0;
        m_lowerEdit->setEnabled(false);
        if (wasBounded)
            m_upperEdit->setEnabled(false);
    } else if (outcome == 2 && m_type == 2) {
        AfxMessageBox(QString::fromUtf8(positive_tightest_message));
        m_type = 1;
        m_upperEdit->setEnabled(false);
    }
}

void CBoundsDlg::OnCalculate() {
    // A field that does not hold a number stops the command: bounds for a
    // request other than the one on the screen would be shown as success.
    if (!UpdateData(true))
        return;
    if (m_type < 0 || m_type > 2)
        return;
    m_message.clear();

    if (m_momentCount < minimum_moments[m_type]) {
        m_message = QString::fromUtf8(too_few_moments_messages[m_type]);
        UpdateData(false);
        return;
    }

    try {
        ZeroFilledArray<double> storage(m_momentCount);
        for (int i = 0; i < m_momentCount; ++i)
            storage[i] = parse_leading_double(MomentText(i).toStdString());
        if (storage[0] != 1.0) {
            m_message = QString::fromUtf8(zeroth_moment_message);
            m_lowerBound = 0;
            m_upperBound = 1;
            UpdateData(false);
            return;
        }
        if (m_sharp) {
            CalculateSharp(storage.data(), m_momentCount);
        } else {
            const Vector moments(storage.data(), m_momentCount);
            const int outcome = RunEstimation(moments);
            ActOnOutcome(outcome);
        }
    } catch (int) {
        // A report escaped the estimation (its text is in error.log): the
        // request is kept, the bounds say nothing, and the dialog goes on.
        m_lowerBound = 0;
        m_upperBound = 1;
        AfxMessageBox(QString::fromUtf8(calculation_failed_message));
    }
    UpdateData(false);
}

} // namespace vendrill

// SPDX-License-Identifier: Apache-2.0
// The Calculate command: checks the request, hands it to the classic
// estimation (or, in sharp mode, to the sharp method) and shows the bounds
// and the verdicts: the guard's first, then the outcome's with the switch to
// a weaker type.

#include "app/bounds_dlg.h"
#include "app/message_box.h"
#include "estimation/estimate.h"
#include "estimation/messages.h"
#include "numeric/number_text.h"
#include "numeric/support.h"
#include "numeric/vector.h"

#include <QLineEdit>

#include <optional>

namespace vendrill {

const char* const calculation_failed_message =
    "The calculation could not be completed; the details are in error.log.";

Estimate CBoundsDlg::RunEstimation(const Vector& moments) {
    const std::optional<Support> support = support_from_index(m_type);
    if (!support)
        return Estimate{};
    const Estimate result = estimate(*support, m_position, m_lower, m_upper, moments, m_estimation);
    m_lowerBound = result.lower_bound;
    m_upperBound = result.upper_bound;
    return result;
}

void CBoundsDlg::ReportFailure(const Failure& failure) {
    m_estimation.report(failure);
    TellLogProblem(m_estimation.log_problem);
}

void CBoundsDlg::ActOnEstimate(const Estimate& estimate) {
    const std::optional<Support> support = support_from_index(m_type);
    if (!support)
        return;
    const Outcome outcome = estimate.outcome;
    const bool switches = (outcome == Outcome::whole_line && *support != Support::whole) ||
                          (outcome == Outcome::half_line && *support == Support::interval);
    // The guard speaks first, about the bounds the fields show for the type
    // that was chosen; its word replaces the outcome's unless the type switches.
    const char* const guard = guard_message(estimate.guard);
    if (*guard != '\0')
        AfxMessageBox(QString::fromUtf8(guard));
    // When the chosen estimation itself gave the tightest bounds, nothing is said.
    const char* const verdict = outcome_message(*support, outcome);
    if (*verdict != '\0' && (*guard == '\0' || switches))
        AfxMessageBox(QString::fromUtf8(verdict));
    // A weaker estimation that gave the bounds becomes the chosen type.
    if (outcome == Outcome::whole_line && *support != Support::whole) {
        const bool wasBounded = *support == Support::interval;
        m_type = support_index(Support::whole);
        m_lowerEdit->setEnabled(false);
        if (wasBounded)
            m_upperEdit->setEnabled(false);
    } else if (outcome == Outcome::half_line && *support == Support::interval) {
        m_type = support_index(Support::half);
        m_upperEdit->setEnabled(false);
    }
}

void CBoundsDlg::OnCalculate() {
    // A field that does not hold a number stops the command: bounds for a
    // request other than the one on the screen would be shown as success.
    if (!UpdateData(true))
        return;
    const std::optional<Support> support = support_from_index(m_type);
    if (!support)
        return;
    m_message.clear();

    // The classic estimations need 3, 4 or 5 moments; the sharp method
    // answers from M0 alone.
    if (!m_sharp && m_momentCount < minimum_moment_count(*support)) {
        m_message = QString::fromStdString(too_few_moments_message(*support));
        UpdateData(false);
        return;
    }
    if (m_sharp && m_momentCount < 1) {
        m_message = QString::fromUtf8(no_moments_message);
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
            const Estimate estimate = RunEstimation(moments);
            // Failed attempts are reported during the estimation: a log that
            // could not take them is told of before the verdicts.
            TellLogProblem(m_estimation.log_problem);
            ActOnEstimate(estimate);
        }
    } catch (const Failure& failure) {
        // A failure escaped the estimation: its report goes to the log, the
        // request is kept, the bounds say nothing, and the dialog goes on.
        ReportFailure(failure);
        m_lowerBound = 0;
        m_upperBound = 1;
        AfxMessageBox(QString::fromUtf8(calculation_failed_message));
    }
    UpdateData(false);
}

} // namespace vendrill

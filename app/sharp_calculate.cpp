// SPDX-License-Identifier: Apache-2.0
// Calculate in sharp mode: the bounds of the sharp method for the request as
// the classic path reads it (but any number of moments from M0 on), shown in
// the same fields, with a box only when the verdict needs a word.  The sharp
// method reports through its results, so nothing here writes to error.log,
// and the estimation type never changes.

#include "app/bounds_dlg.h"
#include "app/message_box.h"
#include "numeric/support.h"
#include "sharp/sharp.h"

#include <cmath>
#include <optional>

namespace vendrill {

const char* const sharp_bounds_entry_text = "Sharp bounds";
const char* const sharp_determinate_message =
    "The moments determine the distribution: the bounds are exact.";
const char* const sharp_near_atom_message =
    "The moments determine the distribution, but this position is next to an atom: "
    "the bounds cover the moments' rounding and are not exact.";
const char* const sharp_infeasible_message = "These moments do not fit the chosen support.";
const char* const sharp_limits_message =
    "The sharp bounds need the lower limit below the upper limit.";
const char* const sharp_position_message = "The sharp bounds need a finite position.";

QString sharp_partial_message(int momentsUsed) {
    return QStringLiteral("Only the first %1 moments could be used.").arg(momentsUsed);
}

namespace {

// Why a request cannot be answered.  The dialog's own checks leave only the
// limits of the bounded interval to go wrong; the rest is the method's word.
QString invalid_request_message(const SharpAnalysis& analysis) {
    if (analysis.status != SharpStatus::invalid)
        return QString::fromUtf8(sharp_position_message);
    if (analysis.support == Support::interval && !(analysis.lower < analysis.upper))
        return QString::fromUtf8(sharp_limits_message);
    return QString::fromStdString(analysis.message);
}

} // namespace

QString sharp_verdict_message(const SharpAnalysis& analysis, const SharpBounds& bounds) {
    if (bounds.status == SharpStatus::invalid)
        return invalid_request_message(analysis);
    switch (analysis.status) {
    case SharpStatus::determinate:
        // "Exact" only where the position itself is: next to an atom the
        // moments' rounding lets mass move across it.
        return QString::fromUtf8(bounds.status == SharpStatus::determinate
                                     ? sharp_determinate_message
                                     : sharp_near_atom_message);
    case SharpStatus::infeasible:
        return QString::fromUtf8(sharp_infeasible_message);
    case SharpStatus::sharp:
        if (analysis.moments_used < analysis.moments_given)
            return sharp_partial_message(analysis.moments_used);
        return {};
    case SharpStatus::invalid:
        return invalid_request_message(analysis);
    }
    return {};
}

void CBoundsDlg::CalculateSharp(const double* moments, int count) {
    const std::optional<Support> support = support_from_index(m_type);
    if (!support)
        return;
    const SharpAnalysis analysis = analyse_moments(*support, m_lower, m_upper, moments, count);
    const SharpBounds bounds = sharp_bounds_at(analysis, m_position);
    m_lowerBound = bounds.lower_bound;
    m_upperBound = bounds.upper_bound;
    if (!std::isfinite(m_lowerBound) || !std::isfinite(m_upperBound)) {
        // The bounds that always hold, rather than a number that is none.
        m_lowerBound = 0;
        m_upperBound = 1;
    }
    // The fields already hold the bounds the box talks about.
    UpdateData(false);
    const QString verdict = sharp_verdict_message(analysis, bounds);
    if (!verdict.isEmpty())
        AfxMessageBox(verdict);
}

} // namespace vendrill

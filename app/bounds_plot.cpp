// SPDX-License-Identifier: Apache-2.0
#include "app/bounds_plot.h"

#include "app/bounds_dlg.h"
#include "app/message_box.h"
#include "numeric/number_text.h"

#include <QBuffer>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QSaveFile>
#include <QSvgGenerator>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace vendrill {

const char* const plot_window_title = "Vendrill – bounds";

namespace {

const QColor upper_colour(31, 101, 170);
const QColor lower_colour(196, 54, 40);
const QColor band_colour(31, 101, 170, 56);
const QColor grid_colour(226, 226, 226);
const QColor frame_colour(90, 90, 90);
const QColor position_colour(60, 60, 60);
const QColor hover_colour(120, 120, 120);

// Room for the tick labels and the axis titles around the drawing area, and
// the pixels between ticks that the labels may use.
constexpr int tick_length = 4;
constexpr int gap = 6;
constexpr int wanted_tick_spacing = 90;
// How the pictures are drawn into a PNG: twice the window's pixels.
constexpr qreal png_scale = 2.0;
// Significant digits of the numbers the picture and the readout show.
constexpr int shown_digits = 6;

QString number(double value) {
    return QString::number(value + 0.0, 'g', shown_digits); // + 0.0: no "-0"
}

QString support_text(const BoundsRequest& request) {
    switch (request.support) {
    case Support::whole:
        return QStringLiteral("(-inf, inf)");
    case Support::half:
        return QStringLiteral("[%1, inf)").arg(number(request.lower));
    case Support::interval:
        return QStringLiteral("[%1, %2]").arg(number(request.lower), number(request.upper));
    }
    return {};
}

QString title_of(const PlotPicture& picture) {
    if (!picture.hasCurve)
        return picture.note;
    const BoundsRequest& request = picture.request;
    const QString method = request.method == Method::sharp ? QStringLiteral("Sharp bounds")
                                                           : QStringLiteral("Classic bounds");
    QString title = QStringLiteral("%1 on %2 from %3 moments")
                        .arg(method, support_text(request))
                        .arg(request.moments.size());
    if (!picture.note.isEmpty())
        title += QStringLiteral(" \u2014 ") + picture.note;
    return title;
}

// The sharp method's word on the moments, as Calculate would say it.
QString verdict_note(const BoundsRequest& request, const Envelope& envelope) {
    if (request.method != Method::sharp)
        return {};
    switch (envelope.status) {
    case SharpStatus::determinate:
        return QString::fromUtf8(sharp_determinate_message);
    case SharpStatus::infeasible:
        return QString::fromUtf8(sharp_infeasible_message);
    case SharpStatus::sharp:
        if (envelope.moments_used < static_cast<int>(request.moments.size()))
            return sharp_partial_message(envelope.moments_used);
        return {};
    case SharpStatus::invalid:
        if (request.support == Support::interval && !(request.lower < request.upper))
            return QString::fromUtf8(sharp_limits_message);
        return QStringLiteral("The sharp method cannot use these moments.");
    }
    return {};
}

// Where the curves go inside area: the axes' labels and the two title lines
// take the rest.
QRectF inner_rect(const QRect& area, const QFontMetrics& metrics) {
    const int line = metrics.height();
    const double left = area.x() + line + gap + metrics.horizontalAdvance(QStringLiteral("0.8")) +
                        tick_length + gap;
    const double top = area.y() + 2 * line + 2 * gap;
    const double right =
        area.x() + area.width() -
        std::max(2 * gap, metrics.horizontalAdvance(QStringLiteral("0.000000")) / 2);
    const double bottom = area.y() + area.height() - (2 * line + tick_length + 2 * gap);
    return QRectF(QPointF(left, top),
                  QPointF(std::max(left + 1, right), std::max(top + 1, bottom)));
}

struct Mapping {
    QRectF inner;
    PositionSpan span;

    double px(double x) const {
        return inner.left() + (x - span.from) / (span.to - span.from) * inner.width();
    }
    double py(double p) const { return inner.bottom() - p * inner.height(); }
    bool shows(double x) const { return x >= span.from && x <= span.to; }
};

void draw_axes(QPainter& painter, const Mapping& map, const QRect& area) {
    const QFontMetrics metrics = painter.fontMetrics();
    const QRectF& inner = map.inner;
    const int line = metrics.height();

    // Probability axis: 0 to 1 in fifths (tenths when there is room).
    const int steps = inner.height() > 20 * line ? 10 : 5;
    for (int i = 0; i <= steps; ++i) {
        const double p = static_cast<double>(i) / steps;
        const double y = map.py(p);
        painter.setPen(QPen(grid_colour, 1));
        painter.drawLine(QPointF(inner.left(), y), QPointF(inner.right(), y));
        painter.setPen(QPen(frame_colour, 1));
        painter.drawLine(QPointF(inner.left() - tick_length, y), QPointF(inner.left(), y));
        const QRectF label(area.x(), y - line / 2.0,
                           inner.left() - tick_length - gap / 2.0 - area.x(), line);
        painter.drawText(label, Qt::AlignRight | Qt::AlignVCenter, number(p));
    }

    // Position axis: round values whose labels do not touch.
    const int widest = metrics.horizontalAdvance(QStringLiteral("-0.00000"));
    int count = std::max(2, static_cast<int>(inner.width() / wanted_tick_spacing));
    AxisTicks ticks;
    for (;;) {
        ticks = axis_ticks(map.span.from, map.span.to, count);
        int labelWidth = widest;
        for (const QString& label : ticks.labels)
            labelWidth = std::max(labelWidth, metrics.horizontalAdvance(label));
        const double spacing = inner.width() / std::max<std::size_t>(1, ticks.values.size());
        if (count <= 2 || spacing >= labelWidth + 2 * gap)
            break;
        count = count / 2;
    }
    for (std::size_t i = 0; i < ticks.values.size(); ++i) {
        const double x = map.px(ticks.values[i]);
        painter.setPen(QPen(grid_colour, 1));
        painter.drawLine(QPointF(x, inner.top()), QPointF(x, inner.bottom()));
        painter.setPen(QPen(frame_colour, 1));
        painter.drawLine(QPointF(x, inner.bottom()), QPointF(x, inner.bottom() + tick_length));
        const int width = metrics.horizontalAdvance(ticks.labels[i]);
        // Labels at the ends stay inside the picture.
        const double left = std::clamp(x - width / 2.0, static_cast<double>(area.x()),
                                       static_cast<double>(area.x() + area.width() - width));
        painter.drawText(QRectF(left, inner.bottom() + tick_length + gap / 2.0, width, line),
                         Qt::AlignCenter, ticks.labels[i]);
    }

    painter.setPen(QPen(frame_colour, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(inner);

    // Axis titles.
    painter.drawText(
        QRectF(inner.left(), inner.bottom() + tick_length + gap + line, inner.width(), line),
        Qt::AlignCenter, QStringLiteral("x"));
    painter.save();
    painter.translate(area.x() + gap / 2.0 + line / 2.0, inner.center().y());
    painter.rotate(-90);
    painter.drawText(QRectF(-inner.height() / 2, -line / 2.0, inner.height(), line),
                     Qt::AlignCenter, QStringLiteral("probability"));
    painter.restore();
}

// The title line and the legend line above the drawing area.
void draw_heading(QPainter& painter, const QRect& area, const Mapping& map,
                  const PlotPicture& picture) {
    const QFontMetrics metrics = painter.fontMetrics();
    const int line = metrics.height();
    const double left = map.inner.left();
    const double width = area.x() + area.width() - left - gap;
    painter.setPen(Qt::black);
    painter.drawText(
        QRectF(left, area.y() + gap, width, line), Qt::AlignLeft | Qt::AlignVCenter,
        metrics.elidedText(title_of(picture), Qt::ElideRight, static_cast<int>(width)));
    if (!picture.hasCurve)
        return;

    double x = left;
    const double y = area.y() + gap + line + gap / 2.0;
    const double middle = y + line / 2.0;
    const auto entry = [&](const QColor& colour, Qt::PenStyle style, const QString& text) {
        painter.setPen(QPen(colour, 2, style));
        painter.drawLine(QPointF(x, middle), QPointF(x + 2 * line, middle));
        x += 2 * line + gap;
        painter.setPen(Qt::black);
        const int textWidth = metrics.horizontalAdvance(text);
        painter.drawText(QRectF(x, y, textWidth, line), Qt::AlignLeft | Qt::AlignVCenter, text);
        x += textWidth + 3 * gap;
    };
    entry(upper_colour, Qt::SolidLine, QStringLiteral("U(x) \u2265 P(X \u2264 x)"));
    entry(lower_colour, Qt::SolidLine, QStringLiteral("L(x) \u2264 P(X < x)"));
    if (picture.position && map.shows(picture.position->x))
        entry(position_colour, Qt::DashLine, QStringLiteral("position"));
    if (!picture.envelope.atoms.empty()) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::black);
        const double size = line / 2.5;
        painter.drawPolygon(QPolygonF({QPointF(x + line - size, middle + size * 0.8),
                                       QPointF(x + line + size, middle + size * 0.8),
                                       QPointF(x + line, middle - size * 0.8)}));
        painter.setBrush(Qt::NoBrush);
        x += 2 * line + gap;
        painter.setPen(Qt::black);
        painter.drawText(QRectF(x, y, metrics.horizontalAdvance(QStringLiteral("atom")), line),
                         Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("atom"));
    }
}

void draw_band(QPainter& painter, const Mapping& map, const Envelope& envelope) {
    const std::size_t count = envelope.position.size();
    if (count == 0)
        return;
    QPolygonF upper;
    QPolygonF lower;
    upper.reserve(static_cast<qsizetype>(count));
    lower.reserve(static_cast<qsizetype>(count));
    for (std::size_t i = 0; i < count; ++i) {
        const double x = map.px(envelope.position[i]);
        upper.append(QPointF(x, map.py(envelope.upper_bound[i])));
        lower.append(QPointF(x, map.py(envelope.lower_bound[i])));
    }
    QPolygonF band = upper;
    for (qsizetype i = lower.size() - 1; i >= 0; --i)
        band.append(lower[i]);
    painter.setPen(Qt::NoPen);
    painter.setBrush(band_colour);
    painter.drawPolygon(band);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(lower_colour, 2));
    painter.drawPolyline(lower);
    painter.setPen(QPen(upper_colour, 2));
    painter.drawPolyline(upper);
}

void draw_atoms(QPainter& painter, const Mapping& map, const std::vector<SharpAtom>& atoms) {
    const double size = painter.fontMetrics().height() / 2.5;
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    for (const SharpAtom& atom : atoms) {
        if (!map.shows(atom.point))
            continue;
        const double x = map.px(atom.point);
        const double y = map.inner.bottom();
        painter.drawPolygon(
            QPolygonF({QPointF(x - size, y), QPointF(x + size, y), QPointF(x, y - 1.6 * size)}));
    }
    painter.setBrush(Qt::NoBrush);
}

// A vertical line at the point, a dot on each bound and, when labelled, the
// two values beside the dots.
void draw_point(QPainter& painter, const Mapping& map, const PlotPoint& point, const QColor& colour,
                Qt::PenStyle style, bool labelled) {
    if (!map.shows(point.x))
        return;
    const double x = map.px(point.x);
    painter.setPen(QPen(colour, 1, style));
    painter.drawLine(QPointF(x, map.inner.top()), QPointF(x, map.inner.bottom()));
    const double yUpper = map.py(point.upper);
    const double yLower = map.py(point.lower);
    const double radius = 3.5;
    painter.setPen(Qt::NoPen);
    painter.setBrush(upper_colour);
    painter.drawEllipse(QPointF(x, yUpper), radius, radius);
    painter.setBrush(lower_colour);
    painter.drawEllipse(QPointF(x, yLower), radius, radius);
    painter.setBrush(Qt::NoBrush);
    if (!labelled)
        return;

    const QFontMetrics metrics = painter.fontMetrics();
    const int line = metrics.height();
    const QString upperText = QStringLiteral("U = ") + number(point.upper);
    const QString lowerText = QStringLiteral("L = ") + number(point.lower);
    const int width =
        std::max(metrics.horizontalAdvance(upperText), metrics.horizontalAdvance(lowerText));
    // Right of the line, or left of it near the right edge; the two labels
    // apart by a line at least, U above L.
    const bool right = x + gap + width <= map.inner.right();
    const double left = right ? x + gap : x - gap - width;
    double upperMiddle = yUpper;
    double lowerMiddle = yLower;
    if (lowerMiddle - upperMiddle < line) {
        const double centre = (upperMiddle + lowerMiddle) / 2;
        upperMiddle = centre - line / 2.0;
        lowerMiddle = centre + line / 2.0;
    }
    const double shift = std::max(0.0, map.inner.top() + line / 2.0 - upperMiddle) -
                         std::max(0.0, lowerMiddle - (map.inner.bottom() - line / 2.0));
    upperMiddle += shift;
    lowerMiddle += shift;
    const Qt::Alignment align = (right ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter;
    const QColor backing(255, 255, 255, 200);
    for (const auto& [middle, text, colour] : {std::tuple{upperMiddle, upperText, upper_colour},
                                               std::tuple{lowerMiddle, lowerText, lower_colour}}) {
        const QRectF box(left, middle - line / 2.0, width, line);
        painter.fillRect(box, backing);
        painter.setPen(colour.darker(130));
        painter.drawText(box, align, text);
    }
}

} // namespace

// ---------------------------------------------------------------------------
// The picture

int picture_sample_count(const BoundsRequest& request) {
    const double moments = static_cast<double>(request.moments.size());
    if (request.method == Method::sharp || moments <= plot_classic_full_moments)
        return plot_sample_count;
    const double share = std::pow(plot_classic_full_moments / moments, 3);
    return std::max(plot_sample_count_least, static_cast<int>(plot_sample_count * share));
}

PlotPicture sample_picture(const BoundsRequest& request, PositionSpan span, double position) {
    PlotPicture picture;
    picture.hasCurve = true;
    picture.request = request;
    picture.span = span;
    picture.envelope = sample_envelope(request, span, picture_sample_count(request));
    if (std::isfinite(position))
        picture.position = bounds_at(picture, position);
    picture.note = verdict_note(request, picture.envelope);
    return picture;
}

PlotPoint bounds_at(const PlotPicture& picture, double x) {
    const Envelope one = sample_envelope(picture.request, PositionSpan{x, x}, 1);
    return PlotPoint{x, one.lower_bound.front(), one.upper_bound.front()};
}

QString point_readout(const PlotPoint& point, PositionSpan span) {
    // x with the digits that tell apart positions a thousandth of the span
    // apart, however far the span is from 0.
    const double largest = std::max(std::fabs(span.from), std::fabs(span.to));
    const double resolution = (span.to - span.from) / 1000;
    int digits = shown_digits;
    if (largest > 0 && resolution > 0 && std::isfinite(largest / resolution))
        digits = std::clamp(static_cast<int>(std::ceil(std::log10(largest / resolution))) + 1,
                            shown_digits, 17);
    return QStringLiteral("x = %1   L(x) = %2   U(x) = %3   P(X \u2265 x) \u2264 %4   "
                          "P(X > x) \u2265 %5")
        .arg(QString::number(point.x + 0.0, 'g', digits), number(point.lower), number(point.upper),
             number(1 - point.lower), number(1 - point.upper));
}

AxisTicks axis_ticks(double from, double to, int maxCount) {
    AxisTicks ticks;
    const double width = to - from;
    if (!(width > 0) || !std::isfinite(width) || maxCount < 1)
        return ticks;
    const double raw = width / maxCount;
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    const double normalised = raw / magnitude;
    const double factor = normalised <= 1 ? 1 : normalised <= 2 ? 2 : normalised <= 5 ? 5 : 10;
    const double step = factor * magnitude;
    const double first = std::ceil(from / step);
    const double last = std::floor(to / step);
    if (!(step > 0) || !std::isfinite(first) || !std::isfinite(last) || last - first > 4 * maxCount)
        return ticks;

    // Decimals enough for the step; scientific notation where fixed would be
    // too long.  The nudge keeps log10 of an exact power of ten on its integer.
    const int stepExponent = static_cast<int>(std::floor(std::log10(step) + 1e-9));
    const double largest = std::max(std::fabs(from), std::fabs(to));
    const int largestExponent =
        largest > 0 ? static_cast<int>(std::floor(std::log10(largest))) : stepExponent;
    const bool scientific = largestExponent >= 7 || stepExponent <= -7;
    const int decimals = std::max(0, -stepExponent);
    const int mantissaDigits = std::max(0, largestExponent - stepExponent);
    for (double k = first; k <= last; ++k) {
        const double value = k * step + 0.0; // + 0.0: no "-0"
        ticks.values.push_back(value);
        if (!scientific)
            ticks.labels.push_back(QString::number(value, 'f', decimals));
        else
            ticks.labels.push_back(value == 0 ? QStringLiteral("0")
                                              : QString::number(value, 'e', mantissaDigits));
    }
    return ticks;
}

void draw_picture(QPainter& painter, const QRect& area, const PlotPicture& picture,
                  const std::optional<PlotPoint>& hover) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.fillRect(area, Qt::white);
    const Mapping map{inner_rect(area, painter.fontMetrics()), picture.span};
    draw_heading(painter, area, map, picture);
    if (!picture.hasCurve) {
        painter.setPen(frame_colour);
        painter.drawRect(map.inner);
        painter.drawText(map.inner, Qt::AlignCenter | Qt::TextWordWrap, picture.note);
        painter.restore();
        return;
    }
    draw_axes(painter, map, area);
    painter.save();
    painter.setClipRect(map.inner.adjusted(-4, -4, 4, 4));
    draw_band(painter, map, picture.envelope);
    draw_atoms(painter, map, picture.envelope.atoms);
    if (picture.position)
        draw_point(painter, map, *picture.position, position_colour, Qt::DashLine, true);
    if (hover)
        draw_point(painter, map, *hover, hover_colour, Qt::SolidLine, false);
    painter.restore();
    painter.restore();
}

double position_at_pixel(const QRect& area, const QFont& font, const PlotPicture& picture,
                         double px) {
    const QRectF inner = inner_rect(area, QFontMetrics(font));
    const double t = std::clamp((px - inner.left()) / inner.width(), 0.0, 1.0);
    // The weighted mean stays within the span for any ends.
    return (1 - t) * picture.span.from + t * picture.span.to;
}

// ---------------------------------------------------------------------------
// The window

CPlotView::CPlotView(CPlotWnd* window) : QWidget(window), m_window(window) {
    setMouseTracking(true);
    setMinimumSize(480, 300);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setAccessibleName(QStringLiteral("Picture of the bounds"));
}

void CPlotView::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    draw_picture(painter, rect(), m_window->picture(), m_window->hover());
}

void CPlotView::mouseMoveEvent(QMouseEvent* event) {
    const PlotPicture& picture = m_window->picture();
    if (!picture.hasCurve)
        return;
    const QRectF inner = inner_rect(rect(), fontMetrics());
    const QPointF at = event->position();
    if (inner.contains(at))
        m_window->HoverAt(position_at_pixel(rect(), font(), picture, at.x()));
    else
        m_window->HoverAt(std::nullopt);
}

void CPlotView::leaveEvent(QEvent* /*event*/) {
    m_window->HoverAt(std::nullopt);
}

namespace {

const char* const idle_readout = "Point at the picture to read the bounds there.";
const char* const range_tooltip =
    "Leave empty for the range that fits the moments; Enter draws the new range.";

} // namespace

CPlotWnd::CPlotWnd(QWidget* parent) : QWidget(parent, Qt::Window) {
    setWindowTitle(QString::fromUtf8(plot_window_title));

    auto* fromLabel = new QLabel(QStringLiteral("From"), this);
    m_fromEdit = new QLineEdit(this);
    auto* toLabel = new QLabel(QStringLiteral("To"), this);
    m_toEdit = new QLineEdit(this);
    for (auto [label, edit] : {std::pair{fromLabel, m_fromEdit}, std::pair{toLabel, m_toEdit}}) {
        label->setBuddy(edit);
        edit->setAccessibleName(label->text());
        edit->setToolTip(QString::fromUtf8(range_tooltip));
        edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("-0.00000000")));
        connect(edit, &QLineEdit::editingFinished, this, [this] { OnRangeEdited(); });
    }
    m_saveButton = new QPushButton(QStringLiteral("Save picture\u2026"), this);
    m_saveButton->setToolTip(QStringLiteral("Save the picture as a PNG or an SVG file (Ctrl+S)"));
    m_saveButton->setShortcut(QKeySequence(QKeySequence::Save));
    m_saveButton->setAutoDefault(false);
    connect(m_saveButton, &QPushButton::clicked, this, [this] { OnSave(); });

    m_view = new CPlotView(this);
    m_noteLabel = new QLabel(this);
    m_noteLabel->setWordWrap(true);
    m_noteLabel->setTextFormat(Qt::PlainText);
    m_readout = new QLabel(QString::fromUtf8(idle_readout), this);
    m_readout->setTextFormat(Qt::PlainText);
    m_readout->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* controls = new QHBoxLayout;
    controls->addWidget(fromLabel);
    controls->addWidget(m_fromEdit);
    controls->addSpacing(12);
    controls->addWidget(toLabel);
    controls->addWidget(m_toEdit);
    controls->addStretch(1);
    controls->addWidget(m_saveButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(controls);
    layout->addWidget(m_view, 1);
    layout->addWidget(m_noteLabel);
    layout->addWidget(m_readout);
    m_noteLabel->hide();
    // The picture, not the From field, has the focus at first, so that the
    // fields show the automatic range.
    m_view->setFocusPolicy(Qt::ClickFocus);
    m_view->setFocus();
    resize(720, 500);
}

CPlotWnd::~CPlotWnd() = default;

void CPlotWnd::ShowRequest(const BoundsRequest& request, double position) {
    m_position = position;
    const PositionSpan automatic = default_span(request, position);
    m_fromEdit->setPlaceholderText(QString::fromStdString(format_general15(automatic.from)));
    m_toEdit->setPlaceholderText(QString::fromStdString(format_general15(automatic.to)));
    PositionSpan span = automatic;
    ReadRange(automatic, span);
    m_picture = sample_picture(request, span, position);
    Redraw();
}

void CPlotWnd::ShowProblem(const QString& text) {
    m_fromEdit->setPlaceholderText(QString());
    m_toEdit->setPlaceholderText(QString());
    m_picture = PlotPicture{};
    m_picture.note = text;
    Redraw();
}

bool CPlotWnd::ReadRange(PositionSpan automatic, PositionSpan& span) {
    m_rangeProblem.clear();
    PositionSpan wanted = automatic;
    const struct {
        QLineEdit* edit;
        double* end;
        const char* name;
    } fields[] = {{m_fromEdit, &wanted.from, "From"}, {m_toEdit, &wanted.to, "To"}};
    for (const auto& field : fields) {
        const QString text = field.edit->text().trimmed();
        if (text.isEmpty())
            continue;
        if (!parse_whole_double(text.toStdString(), *field.end)) {
            m_rangeProblem = QStringLiteral("%1 is not a number.").arg(QLatin1String(field.name));
            return false;
        }
    }
    if (!(wanted.from < wanted.to))
        m_rangeProblem = QStringLiteral("From must be below To.");
    else if (!std::isfinite(wanted.to - wanted.from))
        m_rangeProblem = QStringLiteral("The range is too wide to draw.");
    if (!m_rangeProblem.isEmpty())
        return false;
    span = wanted;
    return true;
}

void CPlotWnd::OnRangeEdited() {
    PositionSpan span = m_picture.span;
    const bool read = ReadRange(default_span(m_picture.request, m_position), span);
    if (m_picture.hasCurve && read &&
        (span.from != m_picture.span.from || span.to != m_picture.span.to))
        m_picture = sample_picture(m_picture.request, span, m_position);
    Redraw();
}

void CPlotWnd::Redraw() {
    ++m_pictureCount;
    m_hover.reset();
    m_readout->setText(m_picture.hasCurve ? QString::fromUtf8(idle_readout) : QString());
    m_noteLabel->setText(m_rangeProblem.isEmpty() ? m_picture.note : m_rangeProblem);
    m_noteLabel->setVisible(!m_noteLabel->text().isEmpty());
    m_view->update();
}

void CPlotWnd::HoverAt(std::optional<double> x) {
    if (x && m_picture.hasCurve) {
        m_hover = bounds_at(m_picture, *x);
        m_readout->setText(point_readout(*m_hover, m_picture.span));
    } else {
        m_hover.reset();
        m_readout->setText(QString::fromUtf8(idle_readout));
    }
    m_view->update();
}

bool CPlotWnd::SavePicture(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    const QSize size = m_view->size();
    const QRect area(QPoint(0, 0), size);
    QByteArray bytes;
    if (suffix == QStringLiteral("svg")) {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QSvgGenerator generator;
        generator.setOutputDevice(&buffer);
        generator.setSize(size);
        generator.setViewBox(area);
        // Text as large, compared with the picture, as on the screen.
        generator.setResolution(m_view->logicalDpiX());
        generator.setTitle(QString::fromUtf8(plot_window_title));
        generator.setDescription(title_of(m_picture));
        QPainter painter(&generator);
        painter.setFont(m_view->font());
        draw_picture(painter, area, m_picture);
        painter.end();
    } else if (suffix == QStringLiteral("png")) {
        QImage image(size * png_scale, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(png_scale);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setFont(m_view->font());
        draw_picture(painter, area, m_picture);
        painter.end();
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
    } else {
        AfxMessageBox(QStringLiteral("Save the picture as a .png or an .svg file."));
        return false;
    }

    QSaveFile file(path);
    if (bytes.isEmpty() || !file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() ||
        !file.commit()) {
        AfxMessageBox(QStringLiteral("Could not save the picture to %1: %2")
                          .arg(QDir::toNativeSeparators(path), file.errorString()));
        return false;
    }
    return true;
}

void CPlotWnd::OnSave() {
    QString filter;
    QString path = QFileDialog::getSaveFileName(
        this, QStringLiteral("Save picture"), QStringLiteral("vendrill-bounds.png"),
        QStringLiteral("PNG image (*.png);;SVG image (*.svg)"), &filter);
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += filter.startsWith(QStringLiteral("SVG")) ? QStringLiteral(".svg")
                                                         : QStringLiteral(".png");
    SavePicture(path);
}

} // namespace vendrill

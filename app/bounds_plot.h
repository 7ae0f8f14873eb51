// SPDX-License-Identifier: Apache-2.0
#pragma once
// The picture of the bounds: L(x) and U(x) of one request over a range of
// positions, the band between them filled, the dialog's position marked with
// its two bounds and the atoms of a determinate moment list on the axis.  The
// curve comes from the library (sample_envelope); this file only draws it,
// in the modeless window "Vendrill – bounds" and into PNG and SVG files.

#include "estimation/envelope.h"

#include <QString>
#include <QWidget>

#include <optional>
#include <vector>

class QFont;
class QLabel;
class QLineEdit;
class QEvent;
class QMouseEvent;
class QPaintEvent;
class QPainter;
class QPushButton;
class QRect;

namespace vendrill {

extern const char* const plot_window_title; // "Vendrill – bounds"

// Positions sampled across the range.
inline constexpr int plot_sample_count = 500;
// The classic method's cost at a position grows with about the cube of the
// moment count (20 moments: 0.2 ms, 80 moments: 45 ms); beyond this count its
// pictures take fewer positions, at least plot_sample_count_least, so that a
// long list does not hold the dialog for minutes.
inline constexpr int plot_classic_full_moments = 20;
inline constexpr int plot_sample_count_least = 50;
// The positions a picture of request takes.
int picture_sample_count(const BoundsRequest& request);

// The bounds at one position.
struct PlotPoint {
    double x = 0.0;
    double lower = 0.0; // L(x), a lower bound for P(X < x)
    double upper = 1.0; // U(x), an upper bound for P(X <= x)
};

// Everything the picture shows.
struct PlotPicture {
    // False: no curve, only the note (a request the dialog would refuse).
    bool hasCurve = false;
    BoundsRequest request;
    PositionSpan span;
    Envelope envelope;
    // The dialog's position and its bounds (none when it is not finite).
    std::optional<PlotPoint> position;
    // Why there is no curve, or the sharp method's verdict on the moments.
    QString note;
};

// The picture of request over span, with the bounds at position.
PlotPicture sample_picture(const BoundsRequest& request, PositionSpan span, double position);
// The bounds of the picture's request at x, from the library.
PlotPoint bounds_at(const PlotPicture& picture, double x);

// One line on the bounds at a point of span: x, L(x), U(x) and the tail
// bounds P(X >= x) <= 1 - L and P(X > x) >= 1 - U.
QString point_readout(const PlotPoint& point, PositionSpan span);

// Ticks of an axis from `from` to `to`: round values, at most maxCount of
// them, with labels that tell them apart ('.' as the decimal point).
struct AxisTicks {
    std::vector<double> values;
    std::vector<QString> labels;
};
AxisTicks axis_ticks(double from, double to, int maxCount);

// Draws picture into area; hover, if any, is marked as the pointer's place.
void draw_picture(QPainter& painter, const QRect& area, const PlotPicture& picture,
                  const std::optional<PlotPoint>& hover = std::nullopt);
// The position under pixel column px of a picture drawn into area.
double position_at_pixel(const QRect& area, const QFont& font, const PlotPicture& picture,
                         double px);

class CPlotWnd;

// The drawing area of the window; the pointer over it reads the bounds.
class CPlotView : public QWidget {
public:
    explicit CPlotView(CPlotWnd* window);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    CPlotWnd* m_window;
};

// The window: "From" and "To" fields for the range (empty: the range that
// fits the request), the picture, a line on the point under the pointer, and
// a button that saves the picture.
class CPlotWnd : public QWidget {
public:
    explicit CPlotWnd(QWidget* parent = nullptr);
    ~CPlotWnd() override;

    // Draws the band of request, with position marked, over the range of
    // the fields.
    void ShowRequest(const BoundsRequest& request, double position);
    // No curve: only why.
    void ShowProblem(const QString& text);

    const PlotPicture& picture() const { return m_picture; }
    // Pictures drawn since the window was made (a new request, a new range).
    int pictureCount() const { return m_pictureCount; }

    // Writes the picture, as the window shows it, to a PNG or an SVG file
    // (by the name's suffix).  Tells the user and returns false when it
    // cannot.
    bool SavePicture(const QString& path);

    // The pointer is over position x (nullopt: it has left the picture).
    void HoverAt(std::optional<double> x);
    const std::optional<PlotPoint>& hover() const { return m_hover; }

    QLineEdit* m_fromEdit = nullptr;
    QLineEdit* m_toEdit = nullptr;
    QPushButton* m_saveButton = nullptr;
    CPlotView* m_view = nullptr;
    QLabel* m_noteLabel = nullptr;
    QLabel* m_readout = nullptr;

private:
    // The range of the fields, an empty field taking its end from
    // automatic; false (and the note saying why) when they make none.
    bool ReadRange(PositionSpan automatic, PositionSpan& span);
    void OnRangeEdited();
    void OnSave();
    void Redraw();

    PlotPicture m_picture;
    double m_position = 0.0;
    std::optional<PlotPoint> m_hover;
    int m_pictureCount = 0;
    QString m_rangeProblem;
};

} // namespace vendrill

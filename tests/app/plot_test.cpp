// SPDX-License-Identifier: Apache-2.0
// "Plot…" and the window "Vendrill – bounds": the sampled band is the
// library's bounds at those positions for the request on the dialog and the
// method it is set to, Calculate redraws it, the From/To fields set the range,
// the pointer reads the bounds, and the picture saves as PNG and SVG.

#include "app_test_support.h"

#include "app/bounds_plot.h"
#include "estimation/estimate.h"
#include "estimation/messages.h"
#include "numeric/number_text.h"
#include "sharp/sharp.h"
#include "tests/support/contexts.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QSet>
#include <QTest>
#include <QXmlStreamReader>

#include <algorithm>
#include <cmath>

namespace vendrill::test {
namespace {

class PlotTest : public DialogTest {
protected:
    CPlotWnd* plot() const { return dlg->m_plotWindow; }
    void set_sharp(bool on) {
        if (dlg->m_sharpBoundsEntry->isChecked() != on)
            dlg->m_sharpBoundsEntry->trigger();
    }
    void type_range(const QString& from, const QString& to) {
        // Both typed, then Enter in the second.
        plot()->m_fromEdit->setText(from);
        plot()->m_toEdit->setText(to);
        emit plot()->m_toEdit->editingFinished();
        settle();
    }
};

// The library's bounds of request at x, asked for one position at a time.
PlotPoint library_bounds(const BoundsRequest& request, double x) {
    const int count = static_cast<int>(request.moments.size());
    if (request.method == Method::sharp) {
        const SharpAnalysis analysis = analyse_moments(
            request.support, request.lower, request.upper, request.moments.data(), count);
        const SharpBounds bounds = sharp_bounds_at(analysis, x);
        return {x, bounds.lower_bound, bounds.upper_bound};
    }
    EstimationContext quiet = test_support::quiet_context();
    const Estimate e = estimate(request.support, x, request.lower, request.upper,
                                request.moments.data(), count, quiet);
    return {x, e.lower_bound, e.upper_bound};
}

// The library's bounds of request at the positions xs: the sharp method as
// one sweep over them in their order, the classic one position by position.
std::vector<PlotPoint> library_band(const BoundsRequest& request, const std::vector<double>& xs) {
    std::vector<PlotPoint> points;
    if (request.method != Method::sharp) {
        for (double x : xs)
            points.push_back(library_bounds(request, x));
        return points;
    }
    const SharpAnalysis analysis =
        analyse_moments(request.support, request.lower, request.upper, request.moments.data(),
                        static_cast<int>(request.moments.size()));
    SharpSweep sweep(analysis);
    for (double x : xs) {
        const SharpBounds bounds = sweep.at(x);
        points.push_back({x, bounds.lower_bound, bounds.upper_bound});
    }
    return points;
}

struct PlotRow {
    const char* name;
    bool sharp;
    int radio;
    Support support;
    const char* position;
    const char* lower; // "": left alone
    const char* upper;
    QStringList moments;
    std::size_t atoms;
};

TEST_F(PlotTest, PlotShowsTheLibrarysBoundsForTheDialogsRequest) {
    const PlotRow rows[] = {
        {"classic uniform",
         false,
         IDC_TYPE_BOUNDED,
         Support::interval,
         "0.3",
         "0",
         "1",
         {"1", "0.5", "0.3333333333333333", "0.25", "0.2", "0.16666666666666666"},
         0},
        {"sharp millimetre",
         true,
         IDC_TYPE_BOUNDED,
         Support::interval,
         "0.0003",
         "0",
         "0.001",
         {"1", "5e-4", "3.3333333333333e-7", "2.5e-10", "2e-13"},
         0},
        {"sharp coin",
         true,
         IDC_TYPE_NORMAL,
         Support::whole,
         "-0.3",
         "",
         "",
         {"1", "0", "1", "0", "1"},
         2},
        {"classic exponential",
         false,
         IDC_TYPE_POSITIVE,
         Support::half,
         "1",
         "0",
         "",
         {"1", "1", "2", "6"},
         0},
    };
    for (const PlotRow& row : rows) {
        SCOPED_TRACE(row.name);
        dlg.reset();
        dlg = MakeDialog();
        UseTestLog(*dlg);
        dlg->Create();
        dlg->show();
        QApplication::setActiveWindow(dlg.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(dlg.get()));
        set_sharp(row.sharp);
        enter_request(row.radio, row.position, row.moments, row.lower, row.upper);
        click(IDC_CALCULATE);
        click(IDC_PLOT);
        ASSERT_NE(plot(), nullptr);
        EXPECT_TRUE(plot()->isVisible());
        EXPECT_EQ(plot()->windowTitle(), QStringLiteral("Vendrill – bounds"));

        const PlotPicture& picture = plot()->picture();
        ASSERT_TRUE(picture.hasCurve);
        const BoundsRequest& request = picture.request;
        EXPECT_EQ(request.method, row.sharp ? Method::sharp : Method::classic);
        EXPECT_EQ(request.support, row.support);
        EXPECT_EQ(request.moments.size(), static_cast<std::size_t>(row.moments.size()));
        const double position = std::stod(row.position);
        const PositionSpan span = default_span(request, position);
        EXPECT_EQ(picture.span.from, span.from);
        EXPECT_EQ(picture.span.to, span.to);
        const Envelope& band = picture.envelope;
        ASSERT_EQ(band.position.size(), static_cast<std::size_t>(plot_sample_count));
        ASSERT_EQ(picture_sample_count(request), plot_sample_count);
        const std::vector<PlotPoint> expected = library_band(request, band.position);
        for (std::size_t i = 0; i < band.position.size(); ++i) {
            ASSERT_EQ(band.lower_bound[i], expected[i].lower) << "x = " << band.position[i];
            ASSERT_EQ(band.upper_bound[i], expected[i].upper) << "x = " << band.position[i];
        }
        EXPECT_EQ(band.atoms.size(), row.atoms);
        // The marked position shows what Calculate shows.
        ASSERT_TRUE(picture.position.has_value());
        EXPECT_EQ(QString::fromStdString(format_general15(picture.position->lower)), lower_bound());
        EXPECT_EQ(QString::fromStdString(format_general15(picture.position->upper)), upper_bound());
    }
}

TEST_F(PlotTest, CalculateRedrawsThePlot) {
    enter_request(IDC_TYPE_NORMAL, "0", {"1", "0", "1"});
    click(IDC_PLOT);
    ASSERT_NE(plot(), nullptr);
    const int drawn = plot()->pictureCount();
    EXPECT_EQ(plot()->picture().request.moments.size(), 3u);

    // Back in the dialog, as a click on it would make it.
    QApplication::setActiveWindow(dlg.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(dlg.get()));
    type_into(IDC_POSITION, "0.5");
    add_moments({"0"});
    click(IDC_CALCULATE);
    EXPECT_GT(plot()->pictureCount(), drawn);
    EXPECT_EQ(plot()->picture().request.moments.size(), 4u);
    ASSERT_TRUE(plot()->picture().position.has_value());
    EXPECT_EQ(plot()->picture().position->x, 0.5);

    // A request Calculate refuses: no curve, Calculate's words.
    click(IDC_TYPE_BOUNDED);
    click(IDC_CALCULATE);
    EXPECT_FALSE(plot()->picture().hasCurve);
    EXPECT_EQ(plot()->m_noteLabel->text(), QStringLiteral("Enter at least 5 moments!"));
}

TEST_F(PlotTest, FromAndToFieldsSetTheRange) {
    enter_request(IDC_TYPE_BOUNDED, "0.5", {"1", "0.5", "0.3333333333333333", "0.25", "0.2"}, "0",
                  "1");
    click(IDC_PLOT);
    ASSERT_NE(plot(), nullptr);
    const struct {
        const char* from;
        const char* to;
        double spanFrom, spanTo;
        const char* note;
    } rows[] = {
        {"0.25", "0.75", 0.25, 0.75, ""},
        {"abc", "0.75", 0.25, 0.75, "From is not a number."},
        {"0.8", "0.2", 0.25, 0.75, "From must be below To."},
        {"-1e308", "1e308", 0.25, 0.75, "The range is too wide to draw."},
        {"", "0.5", 0, 0.5, ""}, // an empty field takes the automatic end
        {"", "", 0, 1, ""},
    };
    for (const auto& row : rows) {
        type_range(row.from, row.to);
        EXPECT_EQ(plot()->picture().span.from, row.spanFrom) << row.from << " " << row.to;
        EXPECT_EQ(plot()->picture().span.to, row.spanTo) << row.from << " " << row.to;
        EXPECT_EQ(plot()->picture().envelope.position.back(), row.spanTo);
        EXPECT_EQ(plot()->m_noteLabel->text(), QString::fromUtf8(row.note));
    }
    EXPECT_EQ(plot()->m_fromEdit->placeholderText(), QStringLiteral("0"));
    EXPECT_TRUE(boxes.isEmpty());
}

TEST_F(PlotTest, PointerReadsTheBoundsAndTheTails) {
    enter_request(IDC_TYPE_BOUNDED, "0.5", {"1", "0.5", "0.3333333333333333", "0.25", "0.2"}, "0",
                  "1");
    click(IDC_PLOT);
    ASSERT_NE(plot(), nullptr);
    QWidget* view = plot()->m_view;
    const auto move_to = [view](QPoint at) {
        QMouseEvent move(QEvent::MouseMove, at, view->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(view, &move);
        settle();
    };
    move_to(QPoint(view->width() / 2, view->height() / 2));
    const std::optional<PlotPoint>& hover = plot()->hover();
    ASSERT_TRUE(hover.has_value());
    EXPECT_GT(hover->x, 0.3);
    EXPECT_LT(hover->x, 0.7);
    const PlotPoint expected = library_bounds(plot()->picture().request, hover->x);
    EXPECT_EQ(hover->lower, expected.lower);
    EXPECT_EQ(hover->upper, expected.upper);
    const QString readout = plot()->m_readout->text();
    EXPECT_EQ(readout, point_readout(*hover, plot()->picture().span));
    EXPECT_TRUE(readout.startsWith(QStringLiteral("x = %1 ").arg(hover->x, 0, 'g', 6)));
    const QString tail = QStringLiteral("P(X ≥ x) ≤ %1   P(X > x) ≥ %2")
                             .arg(QString::number(1 - expected.lower, 'g', 6),
                                  QString::number(1 - expected.upper, 'g', 6));
    EXPECT_TRUE(readout.endsWith(tail)) << readout.toStdString();
    move_to(QPoint(1, 1)); // outside the axes
    EXPECT_FALSE(plot()->hover().has_value());
}

TEST_F(PlotTest, SavesAPngAndAWellFormedSvg) {
    enter_request(IDC_TYPE_NORMAL, "-0.3", {"1", "0", "1", "0", "1"});
    set_sharp(true);
    click(IDC_PLOT);
    ASSERT_NE(plot(), nullptr);

    const std::string png = (folder->path() / "bounds.png").string();
    ASSERT_TRUE(plot()->SavePicture(QString::fromStdString(png)));
    QImage image;
    ASSERT_TRUE(image.load(QString::fromStdString(png), "PNG"));
    EXPECT_EQ(image.size(), plot()->m_view->size() * 2);
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 7)
        for (int x = 0; x < image.width(); x += 7)
            colours.insert(image.pixel(x, y));
    EXPECT_GT(colours.size(), 10); // more than a blank page

    const std::string svg = (folder->path() / "bounds.svg").string();
    ASSERT_TRUE(plot()->SavePicture(QString::fromStdString(svg)));
    QFile file(QString::fromStdString(svg));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    int elements = 0;
    QString root;
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement) {
            if (elements++ == 0)
                root = xml.name().toString();
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_EQ(root, QStringLiteral("svg"));
    EXPECT_GT(elements, 20);
    EXPECT_TRUE(boxes.isEmpty());

    for (const std::string& bad : {(folder->path() / "bounds.jpg").string(),
                                   (folder->path() / "no-folder" / "bounds.png").string()}) {
        boxes.clear();
        EXPECT_FALSE(plot()->SavePicture(QString::fromStdString(bad)));
        EXPECT_EQ(boxes.size(), 1) << bad;
    }
}

// x keeps the digits that tell neighbouring positions apart, however far
// from 0 the range lies; the tails are 1 - L and 1 - U.
TEST(PointReadout, TellsApartPositionsFarFromZero) {
    EXPECT_EQ(point_readout({1000000.5, 0.25, 0.75}, {999996, 1000004}),
              QStringLiteral("x = 1000000.5   L(x) = 0.25   U(x) = 0.75   P(X ≥ x) ≤ 0.75   "
                             "P(X > x) ≥ 0.25"));
    EXPECT_TRUE(point_readout({0.3, 0, 1}, {0, 1}).startsWith(QStringLiteral("x = 0.3 ")));
}

// A long list takes fewer positions with the classic method only.
TEST(PictureSampleCount, FewerPositionsForLongClassicLists) {
    const struct {
        Method method;
        std::size_t moments;
        int count;
    } rows[] = {
        {Method::classic, 20, 500}, {Method::classic, 1000, 50}, {Method::sharp, 1000, 500}};
    for (const auto& row : rows) {
        BoundsRequest request;
        request.method = row.method;
        request.moments.assign(row.moments, 1.0);
        EXPECT_EQ(picture_sample_count(request), row.count) << row.moments;
    }
}

// Ticks are few, inside the range, increasing, and their labels are distinct
// and read back as the ticks' values.
TEST(AxisTicks, LabelsSayTheValuesOfRoundTicksInsideTheRange) {
    const struct {
        double from, to;
        int count;
    } rows[] = {{0, 1, 6},  {0, 0.001, 6},      {999996, 1000004, 6}, {0, 5e-9, 6},
                {-4, 4, 8}, {1e7, 1e7 + 10, 5}, {-3e-5, 7e-5, 5},     {-1e300, 1e300, 4}};
    for (const auto& row : rows) {
        const AxisTicks ticks = axis_ticks(row.from, row.to, row.count);
        ASSERT_GE(ticks.values.size(), 2u) << row.from << " " << row.to;
        EXPECT_LE(ticks.values.size(), static_cast<std::size_t>(2 * row.count + 1));
        const double step = ticks.values[1] - ticks.values[0];
        for (std::size_t i = 0; i < ticks.values.size(); ++i) {
            const double value = ticks.values[i];
            EXPECT_GE(value, row.from);
            EXPECT_LE(value, row.to);
            if (i > 0) {
                EXPECT_GT(value, ticks.values[i - 1]);
            }
            double read = 0;
            ASSERT_TRUE(parse_whole_double(ticks.labels[i].toStdString(), read))
                << ticks.labels[i].toStdString();
            EXPECT_NEAR(read, value, step * 1e-6) << ticks.labels[i].toStdString();
            EXPECT_EQ(std::count(ticks.labels.begin(), ticks.labels.end(), ticks.labels[i]), 1);
        }
    }
}

} // namespace
} // namespace vendrill::test

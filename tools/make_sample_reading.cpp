// Writes the sample reading for the sample chart:
//   make_sample_reading PROGRAM_FOLDER [OUT.orvd]
// The chart is PROGRAM_FOLDER/sample/chart.png; the reading goes to
// PROGRAM_FOLDER/sample/chart.orvd unless OUT is given. The picture path is
// stored relative to the program's folder ("\sample\chart.png"), so the file
// opens from any installation.
//
// The reading is made the way a user makes one: the picture is opened, the two
// corners of the axes box are clicked, the corner values typed, every marker
// clicked in its series, two Z values typed in the tables; then the file is
// written by the program's own writer.
#include "graphwin/graph_form.h"
#include "mainwin/main_mdi_form.h"
#include "model/reading.h"
#include "statefile/state_file.h"
#include "table/grid_form.h"
#include "tools/sample_chart.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <cstdio>

using namespace orv;

namespace {

// A pixel of the chart in normalised picture coordinates (y upwards).
QPointF normalised(QPointF px)
{
    return {px.x() / sample::kWidth, 1.0 - px.y() / sample::kHeight};
}

bool fail(const char *what)
{
    std::fprintf(stderr, "make_sample_reading: %s\n", what);
    return false;
}

bool click(Graph_Form &g, QPointF px)
{
    const QPointF n = normalised(px);
    g.mouseUp(Graph_Form::LeftButton, float(n.x()), float(n.y()));
    return true;
}

// Clicks the markers of one series after choosing it in the series combo.
bool clickSeries(Reading &r, Graph_Form &g, int series, const std::vector<QPointF> &values)
{
    r.settings.keiretsu.setIndex(series - 1);
    if (r.settings.seriesNumber() != series)
        return fail("the series combo did not take the series");
    const int before = r.grid(series).rowCount();
    for (const QPointF &v : values)
        click(g, sample::toPixel(v.x(), v.y()));
    if (r.grid(series).rowCount() - before != int(values.size()))
        return fail("a click did not add its point");
    return true;
}

// Types a Z value in a series table row as the table's editor takes it.
bool typeZ(Reading &r, int series, int row, const QString &z)
{
    Grid_Form table(r, series);
    table.gridClick(row, SeriesTable::ColZ);
    table.editorTextChanged(z);
    table.editorEnter();
    return r.grid(series).cell(row, SeriesTable::ColZ) == z || fail("the Z value was not taken");
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: make_sample_reading PROGRAM_FOLDER [OUT.orvd]\n");
        return 2;
    }
    const QString folder = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    const QString picture = folder + QStringLiteral("/sample/chart.png");
    const QString out = argc > 2 ? QString::fromLocal8Bit(argv[2]) : folder + QStringLiteral("/sample/chart.orvd");

    ScriptedDesktop desk;
    Reading r(&desk);
    r.programFolder = folder;
    Main_MDI_Form main(r);
    main.MDIForm_Load();
    if (!main.Open_Pic(picture)) {
        fail("cannot open the chart picture");
        return 1;
    }
    // The graph window shows the chart at its natural size.
    Graph_Form graph(r);
    graph.setPictureSize(sample::kWidth, sample::kHeight);

    // Diagonal frame: the lower-left and upper-right corners of the axes box.
    click(graph, {sample::kLeft, sample::kBottom});
    click(graph, {sample::kRight, sample::kTop});
    if (!r.Dfnt_Done) {
        fail("the frame is not complete after two corners");
        return 1;
    }
    r.panel.setVal(CalibPanel::LLX_VLText, QString::number(sample::kXMin));
    r.panel.setVal(CalibPanel::LLY_VLText, QString::number(sample::kYMin));
    r.panel.setVal(CalibPanel::RUX_VLText, QString::number(sample::kXMax));
    r.panel.setVal(CalibPanel::RUY_VLText, QString::number(sample::kYMax));

    if (!clickSeries(r, graph, 1, sample::dataPoints()) || !clickSeries(r, graph, 2, sample::secondSeries()))
        return 1;
    // Row 4 of series 1 is the point at x = 5; row 1 of series 2 the one at x = 1.
    if (!typeZ(r, 1, 4, QStringLiteral("12.5")) || !typeZ(r, 2, 1, QStringLiteral("-3")))
        return 1;
    if (!desk.messages.empty()) {
        for (const auto &m : desk.messages)
            std::fprintf(stderr, "make_sample_reading: message: %s\n", qPrintable(m.text));
        return 1;
    }

    auto written = writeStateFile(out, stateFileBytes(r));
    if (!written) {
        std::fprintf(stderr, "make_sample_reading: %s\n", qPrintable(written.error()));
        return 1;
    }
    return 0;
}

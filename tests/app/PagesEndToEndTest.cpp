// Page objects from the terminal against the simulated box: a slider's list
// switches the lamp, a graph records the light it makes, and the curves
// exported for a spreadsheet read back as CSV; a drawing with a label
// exported as a picture.
#include <QColor>
#include <QImage>
#include <cstdlib>
#include <string>

#include "ProgramRun.h"

namespace {

using PagesEndToEnd = ProgramTest;

TEST_F(PagesEndToEnd, ASliderLightsTheLampAndAGraphRecordsItForASpreadsheet) {
    const std::string csv = (config_ / "light.csv").string();
    const RunResult run = Kinetra(
        "wait 5\n"
        ".setboxname 5 \"lux\n"
        "newobject \"slider \"speed [0 0] [100 10]\n"
        "setsliderfunction [talkto \"b setpower speed on]\n"
        "newobject \"graph \"chart [0 0] [300 200]\n"
        "setcurvefunction 1 \".lux\n"
        "setinterval 2\n"
        "startsample wait 6 setvalue 7 wait 10 stopsample\n"
        "print first curve 1\n"
        "print last curve 1\n"
        "exportcurves \"" +
            csv + "\n",
        "--port virtual");
    EXPECT_EQ(run.status, 0);
    // Dark, then the lamp at power 7 (80 a power level) lights input 6.
    EXPECT_EQ(run.out, "1023\n463\n");
    const std::string check =
        "python3 -c \"import csv,sys; rows=list(csv.reader(open(sys.argv[1]))); "
        "assert rows[0]==['X','.lux','Y2','Y3','Y4'], rows[0]; "
        "assert rows[1][:2]==['0','1023'] and rows[-1][1]=='463', rows; "
        "assert all(float(r[0])==2*i for i,r in enumerate(rows[1:]))\" '" +
        csv + "'";
    if (std::system("python3 -c '' 2>/dev/null") != 0) GTEST_SKIP() << "no python3";
    EXPECT_EQ(std::system(check.c_str()), 0);
}

// Text is drawn in the terminal too: its headless drawing has fonts.
TEST_F(PagesEndToEnd, APictureBoxDrawnWithALabelIsExportedAsAPicture) {
    const std::string png = (config_ / "page.png").string();
    const RunResult run = Kinetra(
        "newobject \"picturebox \"pic [10 10] [200 150]\n"
        "setpencolor [255 0 0] moveto [0 75] lineto [199 75]\n"
        "moveto [20 20] label \"Hello\n"
        "exportpage \"" +
            png + "\n",
        "--port \"(none)\"");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "");
    const QImage page(QString::fromStdString(png));
    ASSERT_FALSE(page.isNull());
    EXPECT_EQ(page.pixelColor(110, 85), QColor(255, 0, 0)) << "the line, at the box's place";
    EXPECT_EQ(page.pixelColor(110, 95), QColor(Qt::white));
}

}  // namespace

// Pages drawn without a display: Logo drawing in a picture box, and the
// page renderer's pictures, drawings and PDFs as files.
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QXmlStreamReader>
#include <cstdlib>
#include <filesystem>

#include "LogoTestPrimitives.h"
#include "ProjectTestSupport.h"
#include "project/GraphPainter.h"
#include "project/PageExport.h"
#include "project/PageRenderer.h"
#include "project/TextDrawing.h"

namespace {

// Text needs a QGuiApplication; the offscreen platform needs no display.
// Made when a test first needs it, on the program's main thread, and
// closed after the last test, which frees its font database.
class GuiApplication : public ::testing::Environment {
  public:
    static void Need() {
        if (app_) return;
        qputenv("QT_QPA_PLATFORM", "offscreen");
        app_ = std::make_unique<QGuiApplication>(argc_, argv_);
    }
    void TearDown() override { app_.reset(); }

  private:
    static inline int argc_ = 1;
    static inline char name_[] = "project_tests";
    static inline char* argv_[] = {name_, nullptr};
    static inline std::unique_ptr<QGuiApplication> app_;
};

[[maybe_unused]] ::testing::Environment* const gGuiApplication =
    ::testing::AddGlobalTestEnvironment(new GuiApplication);

// A picture of one colour, as a 24-bit bitmap.
PictureRef SolidPicture(const std::string& name, int width, int height, QColor colour) {
    auto picture = std::make_shared<CPictureListItem>();
    picture->name = name;
    picture->width = width;
    picture->height = height;
    picture->header.assign(40, 0);
    const auto put = [&](std::size_t at, int value) {
        for (int i = 0; i < 4; ++i) picture->header[at + i] = (value >> (8 * i)) & 0xFF;
    };
    put(0, 40);
    put(4, width);
    put(8, height);
    put(12, 1 | (24 << 16));  // one plane, 24 bits a pixel
    const int stride = (width * 3 + 3) / 4 * 4;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            picture->rows.insert(picture->rows.end(), {static_cast<uint8_t>(colour.blue()),
                                                       static_cast<uint8_t>(colour.green()),
                                                       static_cast<uint8_t>(colour.red())});
        picture->rows.resize(static_cast<std::size_t>(stride * (y + 1)));
    }
    return picture;
}

bool Near(QRgb pixel, QColor want) {
    return std::abs(qRed(pixel) - want.red()) + std::abs(qGreen(pixel) - want.green()) +
               std::abs(qBlue(pixel) - want.blue()) <
           60;
}

class PageDrawing : public ProjectTest {
  protected:
    void SetUp() override {
        GuiApplication::Need();
        ProjectTest::SetUp();
        folder_ = std::filesystem::temp_directory_path() /
                  ("kinetra-drawing-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override {
        std::filesystem::remove_all(folder_);
        ProjectTest::TearDown();
    }
    std::string File(const std::string& name) const { return (folder_ / name).string(); }
    std::filesystem::path folder_;
};

TEST_F(PageDrawing, LogoDrawsLinesAndTextAndClearsBackToThePicture) {
    const QColor magenta(255, 0, 255);
    doc_->Pictures().Add(SolidPicture("blot", 30, 20, magenta));
    ASSERT_EQ(RunLogo("newobject \"picturebox \"pad [10 10] [40 30] setshape \"blot "
                      "moveto [5 10] lineto [35 10] print drawpos"),
              "[35 10]\r\n");
    CPageObject& object = *doc_->FindObject("pad");
    const CPictureBox& pad = *object.As<CPictureBox>();
    QImage pixels = pad.Pixels(object.Size());
    EXPECT_TRUE(Near(pixels.pixel(20, 10), Qt::black)) << "on the line";
    EXPECT_TRUE(Near(pixels.pixel(20, 13), magenta)) << "beside it";
    EXPECT_TRUE(Near(pixels.pixel(29, 12), magenta)) << "the picture at its own size";
    EXPECT_TRUE(Near(pixels.pixel(38, 10), Qt::white)) << "beyond the line and the picture";

    const uint64_t before = pad.changes;
    ASSERT_EQ(RunLogo("setpencolor [0 200 0] setpensize 5 moveto [20 0] lineto [20 29] "
                      "print pencolor print pensize moveto [26 1] label \"Hi"),
              "[0 200 0]\r\n5\r\n");
    EXPECT_GT(pad.changes, before) << "the window repaints";
    pixels = pad.Pixels(object.Size());
    EXPECT_TRUE(Near(pixels.pixel(22, 15), QColor(0, 200, 0))) << "five pixels wide";
    EXPECT_TRUE(Near(pixels.pixel(25, 15), magenta));
    int inked = 0;  // the label, from the drawing position down and right
    for (int y = 1; y < 15; ++y)
        for (int x = 26; x < 40; ++x) inked += Near(pixels.pixel(x, y), QColor(0, 200, 0));
    EXPECT_GT(inked, 0);

    EXPECT_EQ(RunLogo("cg"), "");
    pixels = pad.Pixels(object.Size());
    EXPECT_TRUE(Near(pixels.pixel(20, 10), magenta));
    EXPECT_TRUE(Near(pixels.pixel(22, 15), magenta));
    EXPECT_TRUE(Near(pixels.pixel(20, 25), Qt::white));
    EXPECT_EQ(RunLogo("setpensize 0"), Message(-4, {"setpensize", "0"}));

    // Resized, the box keeps what was drawn where it was.
    ASSERT_EQ(RunLogo("setpensize 1 setpencolor [0 0 0] moveto [5 10] lineto [15 10] "
                      "setsize [60 30] lineto [55 10]"),
              "");
    pixels = pad.Pixels(object.Size());
    EXPECT_TRUE(Near(pixels.pixel(10, 10), Qt::black));
    EXPECT_TRUE(Near(pixels.pixel(50, 10), Qt::black));
    EXPECT_TRUE(Near(pixels.pixel(50, 20), Qt::white));
    EXPECT_EQ(RunLogo("resetsize print objsize"), "[30 20]\r\n") << "the picture's size";
    doc_->Delete(object);
    EXPECT_EQ(RunLogo("newobject \"monitor \"m [60 0] [50 20] cg"),
              Message(-22, {"picturebox", "cg"}));
}

// The page of every kind of object as PNG, SVG and PDF: the PNG at the
// page's size, its background and a graph's curve where its samples map.
// With KINETRA_PAGE_PICTURE set, the PNG is also kept there to be looked at.
TEST_F(PageDrawing, ExportedPageShowsEveryObjectWhereTheModelPutsIt) {
    CPage& page = *doc_->CurrentPage();
    page.SetBackColour({235, 240, 225}, false);
    CPageObject& chart = doc_->NewObject(kGraphObject, "chart", {20, 30}, {320, 220});
    CGraph& graph = *chart.As<CGraph>();
    graph.xCaption = "time (tenths of a second)";
    graph.yCaption = "light";
    graph.curveFunctions[0] = "light";
    for (int i = 0; i < 25; ++i) {
        graph.curves[0].push_back(500 + 300 * std::sin(i / 4.0));
        graph.curves[1].push_back(200 + 12 * i);
    }
    CPageObject& pad = doc_->NewObject(kPictureBoxObject, "pad", {360, 30}, {150, 120});
    ASSERT_TRUE(pad.As<CPictureBox>()->ShowPicture(doc_->Pictures(), "house"));
    CPictureBox& drawn = *pad.As<CPictureBox>();
    drawn.penSize = 3;
    drawn.MoveTo({40, 100});
    drawn.LineTo(pad.Size(), {140, 20});
    drawn.MoveTo({4, 36});
    drawn.Label(pad.Size(), "home", FontOf(FontRecord{}));
    CPageObject& go = doc_->NewObject(kButtonObject, "go", {360, 180}, {80, 26});
    go.As<CPageButton>()->down = true;
    doc_->NewObject(kButtonObject, "bell", {460, 175}, {32, 32}).As<CPageButton>()->shape =
        ButtonShapes()[2].name;
    const char* buttons[] = {"brake", "earlier", "later"};
    for (int shape = 1; shape <= 3; ++shape) {
        const ButtonShape& look = ButtonShapes()[shape == 1 ? 1 : shape + 1];
        const PageSize size = look.FixedSize() ? look.fixedSize : PageSize{80, 26};
        doc_->NewObject(kButtonObject, buttons[shape - 1], {20 + 100 * (shape - 1), 350}, size)
            .As<CPageButton>()
            ->shape = look.name;
    }
    doc_->NewObject(kSliderObject, "speed", {20, 290}, {200, 18}).As<CSlider>()->value = 6;
    CPageObject& fine = doc_->NewObject(kSliderObject, "fine", {360, 350}, {200, 18});
    fine.As<CSlider>()->style = SliderStyles()[1].name;
    fine.As<CSlider>()->wholeNumbers = 0;
    fine.As<CSlider>()->value = 2.25;
    doc_->Resize(fine, fine.Size(), false);
    CPageObject& level = doc_->NewObject(kSliderObject, "level", {540, 30}, {18, 150});
    level.As<CSlider>()->orientation = 0;
    doc_->Resize(level, {18, 150}, false);
    CMonitor& watch =
        *doc_->NewObject(kMonitorObject, "watch", {250, 290}, {90, 22}).As<CMonitor>();
    watch.shown = CMonitor::DisplayText("3.7", true);
    watch.textColour = {180, 0, 0};
    CTextBox& notes =
        *doc_->NewObject(kTextBoxObject, "notes", {360, 240}, {200, 80}).As<CTextBox>();
    notes.text = "The lamp goes on\r\nwhen it gets dark.";

    ASSERT_EQ(RunLogo("exportpage \"" + File("page.png") + " exportpage \"" + File("page.svg")),
              "");
    QImage image(QString::fromStdString(File("page.png")));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), PageExtent(*doc_, page));
    EXPECT_EQ(image.pixel(2, 2), QColor(235, 240, 225).rgb());
    const QSize size(chart.Size().width, chart.Size().height);
    for (const std::size_t i : {std::size_t{5}, std::size_t{20}}) {
        const QPointF at = GraphPoint(graph, size, i * graph.interval, graph.curves[0][i]) +
                           QPointF(chart.Position().x, chart.Position().y);
        const QPoint pixel(static_cast<int>(at.x()), static_cast<int>(at.y()));
        EXPECT_TRUE(Near(image.pixel(pixel), CurveColour(0)))
            << "sample " << i << " " << at.x() << "," << at.y() << " "
            << QColor(image.pixel(pixel)).name().toStdString();
    }
    const QRgb background = image.pixel(2, 2);
    for (const auto& object : page.Objects()) {
        const PageRect r = object->Rect();
        int differs = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) differs += image.pixel(x, y) != background;
        EXPECT_GT(differs, 0) << object->Name() << " is drawn";
    }
    if (const char* keep = std::getenv("KINETRA_PAGE_PICTURE")) image.save(keep);

    // Sampling draws the new part of a curve alone.
    QImage part(size, QImage::Format_RGB32);
    part.fill(Qt::white);
    {
        QPainter painter(&part);
        PaintCurvePart(painter, graph, size, 0, 10, 15);
    }
    const auto curveAt = [&](std::size_t i) {
        const QPointF at = GraphPoint(graph, size, i * graph.interval, graph.curves[0][i]);
        return Near(part.pixel(static_cast<int>(at.x()), static_cast<int>(at.y())), CurveColour(0));
    };
    EXPECT_TRUE(curveAt(12));
    EXPECT_FALSE(curveAt(5));
    EXPECT_FALSE(curveAt(20));

    QFile svg(QString::fromStdString(File("page.svg")));
    ASSERT_TRUE(svg.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&svg);
    ASSERT_TRUE(xml.readNextStartElement());
    EXPECT_EQ(xml.name(), QStringLiteral("svg"));
    while (!xml.atEnd()) xml.readNext();
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    const QByteArray pdf = PagePdfBytes(*doc_, page);
    EXPECT_TRUE(pdf.startsWith("%PDF"));
    // The page's size at 96 pixels to the inch, in points.
    EXPECT_TRUE(pdf.contains("/MediaBox [0 0 " + QByteArray::number(image.width() * 0.75, 'f', 6) +
                             " " + QByteArray::number(image.height() * 0.75, 'f', 6) + "]"));
}

}  // namespace

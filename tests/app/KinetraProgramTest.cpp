// The built program, run as a user runs it: Logo piped in, the command
// centre's text on standard output, the exit status.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "ProgramRun.h"

#include "app/Startup.h"
#include "platform/DataFiles.h"

namespace fs = std::filesystem;

namespace {

class KinetraProgram : public ProgramTest {};

}  // namespace

TEST_F(KinetraProgram, AnUnusedValueIsReportedAndTheProgramEndsWithItsInput) {
    const RunResult run = Kinetra("3\n");
    EXPECT_EQ(run.out, "You don't say what to do with 3.\n");
    EXPECT_EQ(run.status, 0);
    // The stores fill themselves with what was asked for; the margins are
    // written back at the end.
    std::ifstream machine(config_ / "machine.ini"), profile(config_ / "profile.ini");
    const std::string stored(std::istreambuf_iterator<char>(machine), {});
    const std::string margins(std::istreambuf_iterator<char>(profile), {});
    EXPECT_NE(stored.find("ControlBox_Port=\"COM1\""), std::string::npos) << stored;
    EXPECT_NE(margins.find("TopMargin=6"), std::string::npos) << margins;
}

TEST(LocaleDecimalSeparator, FollowsTheLanguageEvenWithoutInstalledLocales) {
    EXPECT_EQ(DecimalSeparatorOfLocale("da_DK.UTF-8"), ',');
    EXPECT_EQ(DecimalSeparatorOfLocale("de_DE"), ',');
    EXPECT_EQ(DecimalSeparatorOfLocale("de_CH.UTF-8"), '.');
    EXPECT_EQ(DecimalSeparatorOfLocale("en_GB.UTF-8"), '.');
    EXPECT_EQ(DecimalSeparatorOfLocale("C"), '.');
    EXPECT_EQ(DecimalSeparatorOfLocale(""), '.');
}

TEST_F(KinetraProgram, LinesRunInTurnAndProceduresComeFromTheFileGiven) {
    // five and six lack their ends: each is said, where the next definition
    // begins, and nothing is lost.
    std::ofstream(config_ / "procs.txt") << "to five\n5\n\nto six\n6\nto seven\nend\n";
    const RunResult run = Kinetra("five\n \t\n; a note\nsix\nseven\n(\n",
                                  "--procedures '" + (config_ / "procs.txt").string() + "'");
    const std::string values =
        "Line 4 of the procedures page: A closing end is missing in five.\n"
        "Line 6 of the procedures page: A closing end is missing in six.\n"
        "You don't say what to do with 5.\nYou don't say what to do with 6.\n";
    EXPECT_EQ(run.out.substr(0, values.size()), values);
    EXPECT_GT(run.out.size(), values.size()) << "the syntax error of the last line is shown";
    EXPECT_EQ(run.status, 0);
}

TEST_F(KinetraProgram, ASecondCopyWithTheSameConfigurationRefusesToRun) {
    SingleInstance first;
    ASSERT_TRUE(first.Acquire(config_));
    const RunResult run = Kinetra("3\n");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(Errors().find("already running"), std::string::npos) << Errors();
}

// A run that would store nothing, or look for a box on no port, is refused;
// a file that cannot be read is named with the reason, and the run goes on.
TEST_F(KinetraProgram, OptionsThatCannotWorkAreRefusedWithAMessage) {
    std::ofstream(config_ / "file") << "";
    const struct {
        std::string arguments;
        int status;
        std::string message;
    } cases[] = {
        {"--config '" + (config_ / "file").string() + "'", 64, "file: Not a directory"},
        {"--port ''", 64, "The port name is empty."},
        {"--procedures '" + config_.string() + "'", 0, ": Is a directory"},
        {"no-such-project.KXP", 0, "error: Kinetra can't open the project no-such-project.KXP"},
    };
    for (const auto& c : cases) {
        const RunResult run = Kinetra("3\n", c.arguments);
        EXPECT_EQ(run.status, c.status) << c.arguments;
        EXPECT_NE(Errors().find(c.message), std::string::npos) << c.arguments << ": " << Errors();
    }
    const RunResult noDisplay =
        Kinetra("", "--window", "-u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM LC_ALL=C");
    EXPECT_EQ(noDisplay.status, 64);
    EXPECT_NE(Errors().find("no display is set"), std::string::npos) << Errors();
    const RunResult help = Kinetra("", "-h");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("virtual (a simulated box) or (none) (no box)"), std::string::npos);
}

// The README's round trip: a project built from Logo, saved, and opened
// again by naming it on the command line.
TEST_F(KinetraProgram, AProjectSavedFromLogoOpensAgainAtStart) {
    const std::string robot = (config_ / "robot").string();
    const RunResult built = Kinetra(
        "newobject \"slider \"speed [10 10] [150 18]\nnewpage\n"
        "newobject \"textbox \"notes [5 5] [150 100]\n.setboxname 8 \"fan\n"
        "saveprojectas \"" +
            robot + "\n",
        "--port '(none)'");
    ASSERT_EQ(built.out, "");
    ASSERT_EQ(built.status, 0);
    const RunResult opened = Kinetra("print pages print objects print speed print directory\n",
                                     "--port '(none)' '" + robot + ".KXP'");
    EXPECT_EQ(opened.out, "[page1 page2]\n[notes speed]\n4\n" + config_.string() + "/\n");
    EXPECT_EQ(Errors(), "");
}

// A session of the kind the README's tour shows, piped in: procedures from
// a file, arithmetic, words and lists, loops, the error trap.
TEST_F(KinetraProgram, ASessionOfTheLanguagePrintsWhatEachLineComputes) {
    std::ofstream(config_ / "procs.txt") << "to square :n\noutput :n * :n\nend\n"
                                            "to squares :list\nif empty? :list [output []]\n"
                                            "output fput square first :list squares butfirst "
                                            ":list\nend\n";
    const RunResult run = Kinetra(
        "print timer < 300\nprint 3 + 4 * 2\nprint 7 / 2\nprint butfirst \"kinetra\n"
        "print squares [1 2 3 4]\ndotimes [i 3] [type :i]\n"
        "carefully [print 1 / 0] [print errormessage]\nprint (sum 1 2 3 4)\n"
        "type \"a\ntype \"b\ntype \"c\n",
        "--procedures '" + (config_ / "procs.txt").string() + "'");
    // The timer counts from the start of Kinetra (30 s leave room for a slow
    // start); piped output is exactly what was printed, no line end type did
    // not print.
    EXPECT_EQ(run.out, "true\n11\n3.5\ninetra\n[1 4 9 16]\n123You can't divide by zero.\n10\nabc");
    EXPECT_EQ(run.status, 0);
}

// --help, the short usage and the manual page made from one usage table.
#include "ProgramUsage.h"
#include "ManPage.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

// A small program with commands, an option with a value and one with a long argument.
ProgramUsage sample() {
    return ProgramUsage{
        "tool",
        "Does things.",
        {},
        {
            {"Commands",
             {{"go", "--to N", ValueKind::None, "Go there."}, {"stop", "", ValueKind::None, "Stop."}},
             true},
            {"Options",
             {
                 {"-o, --out", "FILE.txt", ValueKind::File, "Where the result goes."},
                 {"--mode", "fast|slow|careful|very-careful", ValueKind::Choice,
                  "How to go. A long explanation that needs more than one line of the terminal to be said "
                  "completely."},
             }},
        },
        {{0, "done"}, {2, "wrong options"}},
    };
}

TEST(ProgramUsageTest, HelpListsEverySectionWrappedAtTheTextColumn) {
    EXPECT_EQ(helpText(sample()),
              "usage: tool [OPTION]... go --to N\n"
              "       tool [OPTION]... stop\n"
              "Does things.\n"
              "\n"
              "Commands:\n"
              "  go --to N                 Go there.\n"
              "  stop                      Stop.\n"
              "\n"
              "Options:\n"
              "  -o, --out FILE.txt        Where the result goes.\n"
              "  --mode fast|slow|careful|very-careful\n"
              "                            How to go. A long explanation that needs more than\n"
              "                            one line of the terminal to be said completely.\n"
              "\n"
              "Exit status:\n"
              "  0     done\n"
              "  2     wrong options\n");
    EXPECT_EQ(shortUsage(sample()), "usage: tool [OPTION]... go --to N\n"
                                    "       tool [OPTION]... stop\n"
                                    "Try 'tool --help' for more information.\n");
}

TEST(ProgramUsageTest, LongSynopsisLinesWrapBetweenOptionalParts) {
    const ProgramUsage usage{
        "tool",
        "",
        {},
        {{"Commands",
          {{"measure", "--address N --count K [--interval MS] [--command A|I] [--csv FILE]", ValueKind::None,
            ""}},
          true}},
        {},
    };
    EXPECT_EQ(shortUsage(usage), "usage: tool [OPTION]... measure --address N --count K [--interval MS]\n"
                                 "            [--command A|I] [--csv FILE]\n"
                                 "Try 'tool --help' for more information.\n");
}

TEST(ProgramUsageTest, OptionsAreFoundByEachOfTheirNamesButCommandsAreNot) {
    const ProgramUsage usage = sample();
    ASSERT_NE(usage.findOption("-o"), nullptr);
    EXPECT_EQ(usage.findOption("--out"), usage.findOption("-o"));
    EXPECT_EQ(usage.findOption("--out")->argument, "FILE.txt");
    EXPECT_EQ(usage.findOption("go"), nullptr);
    EXPECT_EQ(usage.findOption("--o"), nullptr);
}

TEST(ManPageTest, MarkersBecomeRoffWithOptionsBoldAndPlaceholdersItalic) {
    const ManPageResult page = fillManPage(".TH TOOL 1 \"\" \"v@VERSION@\"\n"
                                           ".SH SYNOPSIS\n@SYNOPSIS@\n"
                                           "@SECTION Commands@\n@SECTION Options@\n"
                                           ".SH EXIT STATUS\n@EXIT STATUS@\n",
                                           sample());
    ASSERT_EQ(page.error, "");
    EXPECT_EQ(page.page,
              ".TH TOOL 1 \"\" \"v" ZYL_PROGRAM_VERSION "\"\n"
              ".SH SYNOPSIS\n"
              ".B tool\n[\\fIOPTION\\fR]... \\fBgo\\fR \\fB\\-\\-to\\fR \\fIN\\fR\n.br\n"
              ".B tool\n[\\fIOPTION\\fR]... \\fBstop\\fR\n.br\n"
              ".TP\n\\fBgo\\fR \\fB\\-\\-to\\fR \\fIN\\fR\nGo there.\n"
              ".TP\n\\fBstop\\fR\nStop.\n"
              ".TP\n\\fB\\-o\\fR, \\fB\\-\\-out\\fR \\fIFILE.txt\\fR\nWhere the result goes.\n"
              ".TP\n\\fB\\-\\-mode\\fR \\fBfast\\fR|\\fBslow\\fR|\\fBcareful\\fR|\\fBvery\\-careful\\fR\n"
              "How to go. A long explanation that needs more than one line of the terminal to be "
              "said completely.\n"
              ".SH EXIT STATUS\n"
              ".TP\n.B 0\ndone\n.TP\n.B 2\nwrong options\n");
}

TEST(ManPageTest, TheSecondWordOfACommandIsTypedAsItStands) {
    const ProgramUsage usage{
        "tool", "", {}, {{"Commands", {{"net", "read [-o FILE.x]", ValueKind::None, ""}}, true}}, {}};
    const ManPageResult page = fillManPage("@SYNOPSIS@\n@SECTION Commands@\n", usage);
    ASSERT_EQ(page.error, "");
    EXPECT_TRUE(page.page.starts_with(".B tool\n[\\fIOPTION\\fR]... \\fBnet\\fR \\fBread\\fR "
                                      "[\\fB\\-o\\fR \\fIFILE.x\\fR]\n"))
        << page.page;
}

TEST(ManPageTest, TemplateMustPlaceEverySectionOnceAndOnlyThoseThatExist) {
    const struct {
        const char* manTemplate;
        const char* error;
    } cases[] = {
        {"@SECTION Commands@\n", "the page leaves out the section Options"},
        {"@SECTION Commands@\n@SECTION Options@\n@SECTION Optoins@\n", "line 3: no such section: Optoins"},
        {"@SECTION Options@\n@SECTION Commands@\n@SECTION Options@\n",
         "line 3: section placed twice: Options"},
    };
    for (const auto& c : cases) {
        const ManPageResult page = fillManPage(c.manTemplate, sample());
        EXPECT_EQ(page.error, c.error) << c.manTemplate;
        EXPECT_EQ(page.page, "") << c.manTemplate;
    }
}

TEST(ManPageTest, TextCannotTurnIntoRoffRequests) {
    EXPECT_EQ(roffText(".so /etc/passwd"), "\\&.so /etc/passwd");
    EXPECT_EQ(roffText("'br"), "\\&'br");
    EXPECT_EQ(roffText("a\\fBb -x"), "a\\efBb \\-x");
}

} // namespace

// German texts replace the English ones they are given for; the rest stays English, and a
// word with umlauts counts its letters, not its bytes, when the text is wrapped.
TEST(ProgramUsageTest, GermanHelpTakesTheGivenTextsAndWrapsByLetters) {
    const UsageGerman german{
        {"Does things.", "Tut Dinge."},
        {"Commands", "Befehle"},
        {"Go there.",
         "Geht dorthin. Für Übergrößen äußerst gründlich, über mehr als eine Zeile des Terminals "
         "hinweg."},
        {"Options", "Optionen"},
        {"How to go. A long explanation that needs more than one line of the terminal to be said "
         "completely.",
         "Wie es geht."},
        {"done", "erledigt"},
    };
    EXPECT_EQ(helpText(sample(), &german),
              "Aufruf: tool [OPTION]... go --to N\n"
              "        tool [OPTION]... stop\n"
              "Tut Dinge.\n"
              "\n"
              "Befehle:\n"
              "  go --to N                 Geht dorthin. Für Übergrößen äußerst gründlich,\n"
              "                            über mehr als eine Zeile des Terminals hinweg.\n"
              "  stop                      Stop.\n"
              "\n"
              "Optionen:\n"
              "  -o, --out FILE.txt        Where the result goes.\n"
              "  --mode fast|slow|careful|very-careful\n"
              "                            Wie es geht.\n"
              "\n"
              "Rückgabewert:\n"
              "  0     erledigt\n"
              "  2     wrong options\n");
    EXPECT_EQ(shortUsage(sample(), &german), "Aufruf: tool [OPTION]... go --to N\n"
                                             "        tool [OPTION]... stop\n"
                                             "Mehr dazu zeigt 'tool --help'.\n");
    EXPECT_EQ(untranslatedTexts(sample(), german),
              (std::vector<std::string_view>{"Stop.", "Where the result goes.", "wrong options"}));
}

// zylconfig's command line, read before the application object exists.
#include "LaunchOptions.h"

#include <gtest/gtest.h>

TEST(LaunchOptionsTest, AccessWordsAreTheWordsLeftAfterTheDemoAndQtOptions) {
    using Words = std::vector<std::string>;
    const struct {
        Words args;
        bool demo;
        Words words;
    } cases[] = {
        {{}, false, {}},
        {{"--demo", "kiesgrube"}, true, {"kiesgrube"}},
        {{"kiesgrube", "--demo"}, true, {"kiesgrube"}},
        {{"Kiesgrube", "harzwolke"}, false, {"Kiesgrube", "harzwolke"}},
        // A Qt option's value is never taken for an access word.
        {{"-platform", "offscreen", "--demo", "harzwolke"}, true, {"harzwolke"}},
        {{"--style", "fusion", "-reverse", "kiesgrube"}, false, {"kiesgrube"}},
    };
    for (const auto& c : cases) {
        const LaunchOptions o = ParseLaunchOptions(c.args);
        EXPECT_EQ(o.error, "") << testing::PrintToString(c.args);
        EXPECT_EQ(o.demo, c.demo) << testing::PrintToString(c.args);
        EXPECT_EQ(o.words, c.words) << testing::PrintToString(c.args);
    }
}

TEST(LaunchOptionsTest, HelpVersionAndMistakes) {
    EXPECT_TRUE(ParseLaunchOptions({"kiesgrube", "--help"}).help);
    EXPECT_TRUE(ParseLaunchOptions({"-h"}).help);
    EXPECT_TRUE(ParseLaunchOptions({"--demo", "--version"}).version);
    EXPECT_EQ(ParseLaunchOptions({"--demo", "--dmeo"}).error, "unknown option '--dmeo'");
    EXPECT_EQ(ParseLaunchOptions({"-demo"}).error, "unknown option '-demo'");
    EXPECT_EQ(ParseLaunchOptions({"--demo", "-platform"}).error, "option -platform needs a value");
}

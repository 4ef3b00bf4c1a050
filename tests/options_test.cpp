// SPDX-License-Identifier: MIT
// The command line: the players' window options and their bad values, the
// options that need --headless, and the --help and --version texts.
#include "shell/options.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

using ft::OptionsParse;
using ft::ParseOptions;
using ft::Renderer;

namespace {

// The error of a command line that must be refused.
std::string Refusal(const std::vector<std::string>& args) {
    const OptionsParse parse = ParseOptions(args);
    EXPECT_FALSE(parse.ok());
    EXPECT_EQ(parse.reason().find('\n'), std::string::npos) << "one line: " << parse.reason();
    return parse.reason();
}

}  // namespace

TEST(Options, NothingGivenMeansFullscreenFourByThreeAnySizeRendererPickedAtStart) {
    const OptionsParse parse = ParseOptions({});
    ASSERT_TRUE(parse.ok()) << parse.reason();
    EXPECT_FALSE(parse->window);
    EXPECT_FALSE(parse->noAspect);
    EXPECT_FALSE(parse->integerScale);
    EXPECT_EQ(parse->renderer, Renderer::Auto);
    EXPECT_EQ(parse->scale, 2);
    EXPECT_EQ(parse->fps, 70);
    EXPECT_FALSE(parse->headless);
}

TEST(Options, WindowOptionsAreTakenInBothForms) {
    OptionsParse parse = ParseOptions(
        {"--window", "--no-aspect", "--integer-scale", "--renderer", "software", "--scale=3"});
    ASSERT_TRUE(parse.ok()) << parse.reason();
    EXPECT_TRUE(parse->window);
    EXPECT_TRUE(parse->noAspect);
    EXPECT_TRUE(parse->integerScale);
    EXPECT_EQ(parse->renderer, Renderer::Software);
    EXPECT_EQ(parse->scale, 3);

    parse = ParseOptions({"--renderer=gpu", "--fps", "35"});
    ASSERT_TRUE(parse.ok()) << parse.reason();
    EXPECT_EQ(parse->renderer, Renderer::Gpu);
    EXPECT_EQ(parse->fps, 35);
    // The last word counts, auto included.
    parse = ParseOptions({"--renderer=gpu", "--renderer=auto"});
    ASSERT_TRUE(parse.ok()) << parse.reason();
    EXPECT_EQ(parse->renderer, Renderer::Auto);
}

TEST(Options, BadRendererIsRefusedNamingTheValue) {
    const std::string error = Refusal({"--renderer", "opengl"});
    EXPECT_NE(error.find("--renderer"), std::string::npos) << error;
    EXPECT_NE(error.find("'opengl'"), std::string::npos) << error;
    EXPECT_NE(error.find("gpu"), std::string::npos) << error;
    // Upper case is another word.
    Refusal({"--renderer=GPU"});
    Refusal({"--renderer="});
    // Without a value at the end of the line.
    const std::string missing = Refusal({"--window", "--renderer"});
    EXPECT_NE(missing.find("needs gpu|software"), std::string::npos) << missing;
}

TEST(Options, FlagsTakeNoValue) {
    EXPECT_NE(Refusal({"--no-aspect=1"}).find("takes no value"), std::string::npos);
    EXPECT_NE(Refusal({"--integer-scale=yes"}).find("takes no value"), std::string::npos);
    // A flag does not swallow the word after it: that word is refused on its own.
    EXPECT_NE(Refusal({"--integer-scale", "2"}).find("unexpected argument '2'"), std::string::npos);
}

TEST(Options, ScaleAndFpsOutsideTheirRangesAreRefused) {
    for (const char* bad : {"0", "17", "-1", "2.5", "x", ""}) {
        SCOPED_TRACE(bad);
        const std::string error = Refusal({"--scale", bad});
        EXPECT_NE(error.find("1 to 16"), std::string::npos) << error;
    }
    ASSERT_TRUE(ParseOptions({"--scale", "16"}).ok());
    ASSERT_TRUE(ParseOptions({"--scale", "1"}).ok());
    Refusal({"--fps", "0"});
    Refusal({"--fps", "1001"});
    Refusal({"--fps", "99999999999999999999999"});
}

TEST(Options, HeadlessAndWindowOptionsDoNotMix) {
    Refusal({"--frames", "10"});
    Refusal({"--script", "s.txt"});
    Refusal({"--dump", "pictures"});
    // Given, even at its default value, a headless option asks for a headless run.
    EXPECT_NE(Refusal({"--clock", "0"}).find("--clock needs --headless"), std::string::npos);
    ASSERT_TRUE(ParseOptions({"--headless", "--frames", "10", "--log", "-"}).ok());
    // A window option in a headless run is a mistake worth saying.
    for (const std::vector<std::string>& mixed :
         {std::vector<std::string>{"--headless", "--no-aspect"},
          {"--window", "--headless"},
          {"--headless", "--renderer", "gpu"},
          {"--fps", "35", "--headless"},
          {"--timedemo", "s.txt", "--scale", "3"}}) {
        const std::string error = Refusal(mixed);
        EXPECT_NE(error.find("is for the window"), std::string::npos) << error;
    }
    Refusal({"--sideways"});
    // The short forms of help and version.
    EXPECT_TRUE(ParseOptions({"-h"})->help);
    EXPECT_TRUE(ParseOptions({"-V"})->version);
    Refusal({"-x"});
}

TEST(Options, RecordingPlaybackAndTimedemoGoWhereTheyMakeSense) {
    // A window run may log, record or play back, not record and play back at once.
    const OptionsParse window = ParseOptions({"--log", "run.log", "--record", "s.txt"});
    ASSERT_TRUE(window.ok()) << window.reason();
    EXPECT_EQ(window->logPath, "run.log");
    EXPECT_EQ(window->recordPath, "s.txt");
    EXPECT_TRUE(ParseOptions({"--playback", "s.txt", "--window"}).ok());
    Refusal({"--record", "a.txt", "--playback", "b.txt"});
    Refusal({"--headless", "--record", "a.txt"});
    Refusal({"--headless", "--playback", "a.txt"});
    Refusal({"--record"});
    Refusal({"--record="});
    // The timedemo is a headless run of its own, with a clock and a frame limit.
    const OptionsParse demo =
        ParseOptions({"--timedemo", "s.txt", "--clock", "5", "--frames", "9"});
    ASSERT_TRUE(demo.ok()) << demo.reason();
    EXPECT_EQ(demo->timedemoPath, "s.txt");
    EXPECT_EQ(demo->clock, 5u);
    Refusal({"--timedemo", "s.txt", "--headless"});
    Refusal({"--timedemo", "s.txt", "--log", "-"});
    Refusal({"--timedemo", "s.txt", "--dump", "d"});
    Refusal({"--timedemo", "s.txt", "--script", "t.txt"});
    // So is --verify, and the two are not one run.
    const OptionsParse verify =
        ParseOptions({"--verify", "s.txt", "--frames", "9", "--clock", "3"});
    ASSERT_TRUE(verify.ok()) << verify.reason();
    EXPECT_EQ(verify->verifyPath, "s.txt");
    EXPECT_EQ(verify->frames, 9u);
    EXPECT_EQ(verify->clock, 3u);
    EXPECT_NE(Refusal({"--verify", "s.txt", "--headless"}).find("--verify is a headless run"),
              std::string::npos);
    EXPECT_NE(Refusal({"--verify", "s.txt", "--log", "-"}).find("--verify writes no log"),
              std::string::npos);
    EXPECT_NE(Refusal({"--verify", "s.txt", "--fps", "35"}).find("not a --verify run"),
              std::string::npos);
    Refusal({"--verify", "s.txt", "--timedemo", "t.txt"});
    Refusal({"--verify="});
}

TEST(Options, ScoresStandAloneAndNoHistoryIsForTheWindow) {
    const OptionsParse scores = ParseOptions({"--scores"});
    ASSERT_TRUE(scores.ok()) << scores.reason();
    EXPECT_TRUE(scores->scores);
    EXPECT_FALSE(scores->noHistory);
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"--scores", "--window"},
                                               {"--no-history", "--scores"},
                                               {"--scores", "--verify", "s.txt"},
                                               {"--scores", "--headless"}}) {
        EXPECT_NE(Refusal(args).find("--scores prints the table"), std::string::npos);
    }
    EXPECT_EQ(Refusal({"--scores=yes"}), "option '--scores' takes no value");
    const OptionsParse window = ParseOptions({"--window", "--no-history", "--record", "r.txt"});
    ASSERT_TRUE(window.ok()) << window.reason();
    EXPECT_TRUE(window->noHistory);
    EXPECT_NE(Refusal({"--headless", "--no-history"}).find("--no-history is for the window"),
              std::string::npos);
    EXPECT_NE(Refusal({"--verify", "s.txt", "--no-history"}).find("not a --verify run"),
              std::string::npos);
}

TEST(Options, WatchTakesARankOfTheTableForTheWindow) {
    const OptionsParse watch = ParseOptions({"--watch", "3", "--fps", "140"});
    ASSERT_TRUE(watch.ok()) << watch.reason();
    EXPECT_EQ(watch->watch, 3u);
    EXPECT_EQ(ParseOptions({"--window"})->watch, 0u);
    for (const char* rank : {"0", "11", "x", "-1"}) {
        EXPECT_EQ(Refusal({"--watch", rank}).rfind("option '--watch' ", 0), 0u) << rank;
    }
    EXPECT_NE(Refusal({"--watch", "1", "--playback", "p.txt"}).find("leave out --playback"),
              std::string::npos);
    EXPECT_NE(Refusal({"--watch", "1", "--record", "r.txt"}).find("leave out --playback"),
              std::string::npos);
    EXPECT_NE(Refusal({"--headless", "--watch", "1"}).find("--watch is for the window"),
              std::string::npos);
}

TEST(Options, VideoTakesItsFileAndRecordingAndTheOptionsThatShapeIt) {
    const OptionsParse video =
        ParseOptions({"--video", "out.mp4", "rec.txt", "--fps", "35", "--scale", "3", "--no-aspect",
                      "--volume", "40", "--clock", "7", "--frames", "900", "--game", "2",
                      "--video-args", " -crf  30\t-g 70 "});
    ASSERT_TRUE(video.ok()) << video.reason();
    EXPECT_EQ(video->videoPath, "out.mp4");
    EXPECT_EQ(video->videoRecording, "rec.txt");
    EXPECT_EQ(video->fps, 35);
    EXPECT_EQ(video->game, 2U);
    EXPECT_EQ(video->videoArgs, (std::vector<std::string>{"-crf", "30", "-g", "70"}));
    EXPECT_EQ(ParseOptions({"--video=a.mkv", "b.txt"})->videoRecording, "b.txt");
    EXPECT_NE(Refusal({"--video", "a.mkv"}).find("needs OUT and REC"), std::string::npos);
    EXPECT_NE(Refusal({"--video", "a.mkv", "b.txt", "--window"}).find("not a --video run"),
              std::string::npos);
    for (const std::vector<std::string>& other : {std::vector<std::string>{"--headless"},
                                                  {"--verify", "x"},
                                                  {"--script", "x"},
                                                  {"--log", "x"}}) {
        std::vector<std::string> args = {"--video", "a.mkv", "b.txt"};
        args.insert(args.end(), other.begin(), other.end());
        EXPECT_NE(Refusal(args).find("cannot go with --video"), std::string::npos) << other[0];
    }
    EXPECT_NE(Refusal({"--game", "1"}).find("--game needs --video"), std::string::npos);
    Refusal({"--video", "a.mkv", "b.txt", "--video-args", " "});
    Refusal({"--video", "a.mkv", "b.txt", "--video-args", "-y\n"});
}

TEST(Options, HelpFitsEightyColumnsAndListsEveryOptionWithItsDefault) {
    const std::string help = ft::HelpText();
    std::istringstream lines(help);
    std::string line;
    while (std::getline(lines, line)) {
        EXPECT_LE(line.size(), ft::kHelpWidth) << line;
        EXPECT_TRUE(line.empty() || line.back() != ' ') << "trailing space: '" << line << "'";
    }
    for (const ft::OptionHelp& option : ft::DescribeOptions()) {
        SCOPED_TRACE(option.name);
        std::string usage = "  --" + option.name;
        if (!option.argument.empty()) usage += " " + option.argument;
        const std::size_t at = help.find("\n" + usage);
        ASSERT_NE(at, std::string::npos) << help;
        const char after = help[at + 1 + usage.size()];
        EXPECT_TRUE(after == ' ' || after == '\n') << help;
        // Each word of the description shows, wrapped or not.
        std::istringstream words(option.help);
        std::string word;
        while (words >> word) EXPECT_NE(help.find(word), std::string::npos) << word;
        if (option.name != "help" && option.name != "version") {
            EXPECT_NE(option.help.find("default"), std::string::npos) << option.help;
        }
    }
    for (const char* name : {"no-aspect", "integer-scale", "renderer", "scale", "window", "fps"}) {
        EXPECT_NE(help.find(std::string("--") + name), std::string::npos) << name;
    }
}

TEST(Options, VersionNamesTheProgramAndItsVersionFirst) {
    const std::string version = ft::VersionText();
    EXPECT_EQ(version.rfind(std::string("fompy-talden ") + FT_VERSION + "\n", 0), 0u) << version;
    EXPECT_EQ(version.back(), '\n');
    std::istringstream lines(version);
    std::string line;
    int count = 0;
    while (std::getline(lines, line)) {
        EXPECT_LE(line.size(), ft::kHelpWidth) << line;
        ++count;
    }
    EXPECT_EQ(count, 2);
}

TEST(Options, ReadmeCommandLineBlockIsTheHelpText) {
    // This file is tests/options_test.cpp of the source tree.
    std::ifstream readme(std::filesystem::path(__FILE__).parent_path().parent_path() / "README.md");
    ASSERT_TRUE(readme) << "README.md not found";
    std::string line;
    while (std::getline(readme, line) && line != "## Command line") {
    }
    ASSERT_EQ(line, "## Command line");
    std::getline(readme, line);  // the blank line before the block
    // The indented block, blank lines within it included.
    std::string block;
    std::string blanks;
    while (std::getline(readme, line)) {
        if (line.empty()) {
            blanks += "\n";
            continue;
        }
        if (line.rfind("    ", 0) != 0) break;
        block += blanks + line.substr(4) + "\n";
        blanks.clear();
    }
    EXPECT_EQ(block, ft::HelpText());
}

TEST(Options, MessagesStayOneLineWhateverWasTyped) {
    // What the user typed is quoted with its control bytes shown, never raw.
    EXPECT_EQ(Refusal({"--headless", "--scale", "1\n2"}),
              "option '--scale' expects a whole number from 1 to 16, not '1\\x0a2'");
    EXPECT_EQ(Refusal({"--log\rx"}), "unknown option '--log\\x0dx'; try --help");
    EXPECT_NE(Refusal({"--renderer", "g\x1bpu"}).find("g\\x1bpu"), std::string::npos);
}

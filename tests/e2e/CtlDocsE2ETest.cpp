// The manual page and the bash completion that vr60ctl makes of its own --help
// (--help-man, --completion bash): nothing of --help lost, nothing misread.

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <set>

#include "support/Files.h"
#include "support/Processes.h"

namespace {

std::string RoffDashes(const std::string& s)
{
    std::string out;
    for (char c : s)
        out += c == '-' ? std::string("\\-") : std::string(1, c);
    return out;
}

std::string FirstWord(const std::string& line)
{
    const size_t start = line.find_first_not_of(' ');
    return line.substr(start, line.find(' ', start) - start);
}

} // namespace

TEST(CtlDocs, manPageHoldsEveryOptionCommandAndExitCodeOfHelp)
{
    const std::string help = RunCtl({"--help"}).out;
    const CtlResult man = RunCtl({"--help-man"});
    ASSERT_EQ(man.status, 0) << man.err;

    bool commands = false;
    int checked = 0;
    for (const std::string& line : Lines(help)) {
        if (line == "commands:") {
            commands = true;
            continue;
        }
        const size_t indent = line.find_first_not_of(' ');
        if (indent == std::string::npos || indent == 0 || indent > 5)
            continue;
        const std::string word = FirstWord(line);
        std::string tag;
        if (std::isdigit(static_cast<unsigned char>(word[0])))
            tag = ".TP\n\\fB" + word + "\\fR\n";
        else if (word[0] == '-' || commands)
            tag = ".TP\n\\fB" + RoffDashes(word) + "\\fR";
        else
            continue;
        EXPECT_TRUE(Contains(man.out, tag)) << "missing: " << line;
        ++checked;
    }
    EXPECT_GT(checked, 40);

    // No text line may be read as a request: only the generator's own start with '.'.
    const std::set<std::string> requests = {".TH", ".SH", ".TP", ".PP", ".nf", ".fi", ".br", ".nh", ".ad", ".\\\""};
    for (const std::string& line : Lines(man.out)) {
        if (!line.empty() && (line[0] == '.' || line[0] == '\'')) {
            EXPECT_EQ(requests.count(line.substr(0, 3)), 1u) << line;
        }
    }
}

TEST(CtlDocs, bashCompletionOffersWhatTheHelpNames)
{
    const CtlResult completion = RunCtl({"--completion", "bash"});
    ASSERT_EQ(completion.status, 0) << completion.err;
    ScratchDir dir;
    std::ofstream(dir.file("vr60ctl.bash")) << completion.out;

    // What is typed -> the candidates, cut as readline replaces them (after '=').
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"vr60ctl tr", "tracks"},
        {"vr60ctl --b", "--baud"},
        {"vr60ctl --baud 4", "4800 460800"},
        {"vr60ctl --yes help fa", "factory-reset"},
        {"vr60ctl gps c", "cold-start"},
        {"vr60ctl tracks e", "erase"},
        {"vr60ctl poi delete 2,", "2,1 2,2 2,3 2,4"},
        {"vr60ctl settings unit=", "KM MI MN"},
        {"vr60ctl settings log=OFF spd-f", "spd-font="},
        {"vr60ctl download --o", "--out"},
        {"vr60ctl download --out x.sbp --c", "--clear"},
        {"vr60ctl selftest --items rtc,g", "rtc,g-sensor-id rtc,gps-rmc"},
        {"vr60ctl --port COM7 analyze x.sbp --max-g", "--max-gap"},
        {"vr60ctl ini get", "get getlong"},
    };
    std::ofstream script(dir.file("run.sh"));
    script << ". " << dir.file("vr60ctl.bash") << "\n";
    for (const auto& c : cases)
        script << "COMP_LINE='" << c.first << "'; COMP_POINT=${#COMP_LINE}; _vr60ctl; echo \"${COMPREPLY[*]}\"\n";
    script.close();
    ASSERT_EQ(std::system(("bash " + dir.file("run.sh") + " >" + dir.file("out.txt") + " 2>&1").c_str()), 0);

    const std::vector<std::string> got = Lines(ReadText(dir.file("out.txt")));
    ASSERT_EQ(got.size(), cases.size()) << ReadText(dir.file("out.txt"));
    for (size_t i = 0; i < cases.size(); ++i)
        EXPECT_EQ(got[i], cases[i].second) << cases[i].first;
}

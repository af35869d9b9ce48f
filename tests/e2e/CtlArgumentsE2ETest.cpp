// vr60ctl's and vr60view's command lines: a word that looks like an option but is none
// never becomes a user name, a file name or a device request, and every mistake is
// status 2 with a message that names it, before anything is opened.

#include <gtest/gtest.h>

#include <cctype>
#include <sstream>

#include "support/Files.h"
#include "support/Processes.h"

namespace {

using Strings = std::vector<std::string>;

TEST(CtlArgumentsE2E, aWordThatLooksLikeAnOptionReachesNoDeviceAndNoFile)
{
    ScratchDir work;
    const std::string requests = work.file("requests.log");
    SimProcess sim({"--no-alias", "--request-log", requests});
    ASSERT_FALSE(sim.ptyPath().empty());
    const struct {
        Strings args;
        const char* err;
    } cases[] = {
        {{"username", "--bogus"}, "vr60ctl: username: unknown option --bogus (an argument that starts with '-' goes "
                                  "after --: vr60ctl username -- --bogus)"},
        {{"username", "-x"}, "vr60ctl: username: unknown option -x"},
        {{"load", "--bogus"}, "vr60ctl: load: unknown option --bogus"},
        {{"serial", "12", "--no-clera"}, "vr60ctl: serial: unknown option --no-clera"},
        {{"settings", "--log=OFF"}, "vr60ctl: settings: unknown option --log"},
        {{"tracks", "erase", "--all"}, "vr60ctl: tracks: unknown option --all"},
        {{"poi", "write", "-1=2,3"}, "vr60ctl: poi write: '-1=2,3' is not N=LAT,LON with N 1..4"},
        {{"nmea", "--on"}, "vr60ctl: nmea: unknown option --on"},
        {{"logbook", "add", "--all"}, "vr60ctl: logbook: unknown option --all"},
    };
    for (const auto& c : cases) {
        Strings args{"--port", sim.ptyPath()};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const CtlResult r = RunCtl(args, {}, work.path.string());
        SCOPED_TRACE(c.args.back());
        EXPECT_EQ(r.status, 2);
        EXPECT_TRUE(Contains(r.err, c.err)) << r.err;
        EXPECT_TRUE(r.out.empty()) << r.out;
    }
    EXPECT_EQ(ReadText(requests), "");

    // After "--" it is what the user meant.
    const CtlResult name = RunCtl({"--port", sim.ptyPath(), "username", "--", "-dash-"});
    EXPECT_EQ(name.status, 0) << name.out << name.err;
    EXPECT_TRUE(Contains(RunCtl({"--port", sim.ptyPath(), "info"}).out, "User name       -dash-"));
    EXPECT_EQ(RunCtl({"load", "--", "--bogus"}, {}, work.path.string()).status, 140);   // no such file

    const CtlResult view = CtlProcess(VR60VIEW_PATH, {"--bogus"}, {}, work.path.string(), {}).finish();
    EXPECT_EQ(view.status, 2);
    EXPECT_TRUE(Contains(view.err, "vr60view: unknown option --bogus")) << view.err;
    EXPECT_FALSE(Contains(view.err, "Cannot open")) << view.err;
    for (const Strings& args : {Strings{"a.sbp", "--rules", "fast"}, Strings{"--logbook", "--rules=gpstc"},
                                Strings{"a.sbp", "--rules"}}) {
        const CtlResult bad = CtlProcess(VR60VIEW_PATH, args, {}, work.path.string(), {}).finish();
        EXPECT_EQ(bad.status, 2) << args.back();
        EXPECT_TRUE(Contains(bad.err, "vr60view: ")) << bad.err;
        EXPECT_FALSE(Contains(bad.err, "Cannot open")) << bad.err;
    }
}

TEST(CtlArgumentsE2E, everyArgumentErrorSaysWhatIsWrong)
{
    const struct {
        Strings args;
        const char* err;
    } cases[] = {
        {{"records", "--since", "2026-13-01"}, "vr60ctl: records: --since needs a day as YYYY-MM-DD ('2026-13-01' is none)"},
        {{"records", "--serial", "12x"}, "vr60ctl: records: --serial needs a serial number of 1 to 9 digits ('12x')"},
        {{"records", "sync", "--json"}, "vr60ctl: records sync: --json does not go with sync"},
        {{"records", "--json", "--csv"}, "vr60ctl: records: --json and --csv together"},
        {{"records", "--summary", "--json"}, "vr60ctl: records: --summary and --json together"},
        {{"records", "all"}, "vr60ctl: records: 'all' is not one of sync"},
        {{"logbook", "add"}, "vr60ctl: logbook add: FILE is missing (usage: vr60ctl logbook add FILE...)"},
        {{"logbook", "worst"}, "vr60ctl: logbook: 'worst' is not one of best|add|remove"},
        {{"logbook", "best", "x"}, "vr60ctl: logbook best: unexpected 'x' (logbook best takes no arguments)"},
        {{"logbook", "best", "--rules", "fast"}, "vr60ctl: logbook best: 'fast' is not a rule set (gp3s, gpstc or vr60)"},
        {{"logbook", "add", "a.sbp", "--rules=vr60"}, "vr60ctl: logbook add: --rules does not go with add"},
        {{"analyze", "a.sbp", "--rules"}, "vr60ctl: analyze: --rules needs a rule set"},
        {{"post", "a.sbp"}, "vr60ctl: post: 'a.sbp' is not one of gpstc"},
        {{"post", "gpstc"}, "vr60ctl: post gpstc: FILE is missing (usage: vr60ctl post gpstc [OPTIONS] FILE)"},
        {{"tracks"}, "vr60ctl: tracks takes one of download|convert|erase|upload|untag"},
        {{"tracks", "erase", "5"}, "vr60ctl: tracks erase: SLOTS is a comma list of 1 to 4, such as 1,3 ('5')"},
        {{"poi", "read", "1", "2"}, "vr60ctl: poi read: unexpected '2' (usage: vr60ctl poi read [SLOTS])"},
        {{"gps", "on", "off"}, "vr60ctl: gps on: unexpected 'off' (gps on takes no arguments)"},
        {{"ini", "getlong", "f.ini", "s", "k"}, "vr60ctl: ini getlong: DEFAULT is missing (usage: vr60ctl ini getlong FILE "
                                                "SECTION KEY DEFAULT)"},
        {{"ini", "putlong", "f.ini", "s", "k", "ten"}, "vr60ctl: ini putlong: 'ten' is not a number"},
        {{"load"}, "vr60ctl: load: FILE is missing (usage: vr60ctl load FILE)"},
        {{"load", "a.sbp", "b.sbp"}, "vr60ctl: load: unexpected 'b.sbp' (usage: vr60ctl load FILE)"},
        {{"serial"}, "vr60ctl: serial: NUMBER is missing (usage: vr60ctl serial [OPTIONS] NUMBER)"},
        {{"download", "--split"}, "vr60ctl: download: unknown option --split (see vr60ctl download --help)"},
        {{"convert", "a.sbp", "--split=yes"}, "vr60ctl: convert: --split takes no value"},
        {{"testconfig", "load"}, "vr60ctl: testconfig: 'load' is not one of save"},
        {{"help", "a", "b"}, "vr60ctl: help: unexpected 'b' (help takes one COMMAND)"},
        {{}, "vr60ctl: no COMMAND given (see vr60ctl --help)"},
    };
    for (const auto& c : cases) {
        const CtlResult r = RunCtl(c.args, "/nonexistent-alias-folder");
        SCOPED_TRACE(c.err);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(Lines(r.err).empty() ? "" : Lines(r.err).front(), c.err);
        EXPECT_TRUE(r.out.empty()) << r.out;
    }
}

// Every form each command's help lists, called with an argument missing and one too many: the
// error names the command and shows the form as that help does (both come from the command table).
TEST(CtlArgumentsE2E, everyFormsUsageErrorNamesItsCommandAndMatchesItsHelp)
{
    std::vector<std::string> commands;
    bool listed = false;
    for (const std::string& line : Lines(RunCtl({"--help"}).out)) {
        listed = listed || line == "commands:";
        if (listed && line.size() > 2 && line.rfind("  ", 0) == 0 && line[2] != ' ') {
            const std::string name = line.substr(2, line.find(' ', 2) - 2);
            if (commands.empty() || commands.back() != name)
                commands.push_back(name);
        }
    }
    ASSERT_GT(commands.size(), 25u);
    int forms = 0;
    for (const std::string& command : commands) {
        const CtlResult help = RunCtl({command, "--help"});
        ASSERT_EQ(help.status, 0) << command;
        const CtlResult unknown = RunCtl({command, "--no-such-option"}, "/nonexistent-alias-folder");
        EXPECT_EQ(unknown.status, 2) << command;
        EXPECT_TRUE(Contains(unknown.err, "vr60ctl: " + command + ": unknown option --no-such-option")) << unknown.err;
        Strings usages;
        bool hasSubCommands = false;
        for (const std::string& line : Lines(help.out)) {
            const std::string form = line.substr(std::min(line.size(), size_t(15)));
            const bool usage = line.rfind("usage: vr60ctl ", 0) == 0 || line.rfind("       vr60ctl ", 0) == 0;
            if (usage && form.rfind(command, 0) == 0 && (form.size() == command.size() || form[command.size()] == ' ')) {
                usages.push_back(form);
                const std::string next = usages.back().substr(std::min(usages.back().size(), command.size() + 1));
                hasSubCommands = hasSubCommands || (!next.empty() && std::islower(static_cast<unsigned char>(next[0])));
            }
        }
        for (const std::string& usage : usages) {
            SCOPED_TRACE(usage);
            ++forms;
            // The words: the sub-command as typed, a placeholder as "x", [OPTIONS] left out.
            Strings args, required;
            std::string called = command, sub;
            bool repeats = false;
            std::istringstream words(usage.substr(command.size()));
            for (std::string w; words >> w;) {
                if (w == "[OPTIONS]")
                    continue;
                if (std::islower(static_cast<unsigned char>(w[0])) && args.empty()) {
                    called += " " + w;
                    sub = w;
                    continue;
                }
                repeats = repeats || Contains(w, "...");
                if (w[0] != '[')
                    required.push_back(w.substr(0, w.find('.')));
                args.push_back("x");
            }
            const Strings base = sub.empty() ? Strings{command} : Strings{command, sub};
            if (!required.empty()) {
                Strings few = base;
                few.insert(few.end(), args.begin(), args.begin() + long(required.size()) - 1);
                const CtlResult r = RunCtl(few, "/nonexistent-alias-folder");
                EXPECT_EQ(r.status, 2);
                EXPECT_EQ(r.err.substr(0, r.err.find('\n')),
                          "vr60ctl: " + called + ": " + required.back() + " is missing (usage: vr60ctl " + usage + ")");
            }
            if (repeats)
                continue;
            Strings many = base;
            many.insert(many.end(), args.begin(), args.end());
            many.push_back("surplus");
            const CtlResult r = RunCtl(many, "/nonexistent-alias-folder");
            EXPECT_EQ(r.status, 2);
            EXPECT_TRUE(r.out.empty()) << r.out;
            const std::string why = !args.empty()                  ? "unexpected 'surplus' (usage: vr60ctl " + usage + ")"
                                    : sub.empty() && hasSubCommands ? "'surplus' is not one of "
                                                                    : "unexpected 'surplus' (" + called + " takes no arguments)";
            EXPECT_EQ(r.err.rfind("vr60ctl: " + called + ": " + why, 0), 0u) << r.err;
        }
    }
    EXPECT_GT(forms, 40);
}

} // namespace

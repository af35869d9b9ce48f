// ini and testconfig: the INI reader/writer and the production test
// configuration, without the window.

#include <cstdio>
#include <cstdlib>
#include <string>

#include "CtlCommand.h"
#include "program/Program.h"
#include "prodtest/MinIni.h"
#include "prodtest/TestConfig.h"

namespace {

const char* SectionArg(const std::string& s)
{
    return s.c_str();   // "" is the unnamed section
}

bool ParseLong(const std::string& text, long* value)
{
    char* end = nullptr;
    *value = std::strtol(text.c_str(), &end, 10);
    return !text.empty() && *end == '\0';
}

int Usage()
{
    std::fprintf(stderr, "vr60ctl: usage: ini get|getlong|put|putlong|delete FILE SECTION ... (see --help)\n");
    return 2;
}

} // namespace

int RunIni(CtlContext&, const Args& a)
{
    if (a.size() < 3)
        return Usage();
    const std::string& op = a[0];
    const char* file = a[1].c_str();
    const char* section = SectionArg(a[2]);
    if (op == "get" && (a.size() == 4 || a.size() == 5)) {
        char buffer[kIniLineBuffer];
        IniGetString(section, a[3].c_str(), a.size() == 5 ? a[4].c_str() : "", buffer, sizeof buffer, file);
        std::printf("%s\n", buffer);
        return 0;
    }
    long number = 0;
    if (op == "getlong" && a.size() == 5) {
        if (!ParseLong(a[4], &number)) {
            std::fprintf(stderr, "vr60ctl: '%s' is not a number\n", a[4].c_str());
            return 2;
        }
        std::printf("%ld\n", IniGetLong(section, a[3].c_str(), number, file));
        return 0;
    }
    int result = -1;
    if (op == "put" && a.size() == 5)
        result = IniPutString(section, a[3].c_str(), a[4].c_str(), file);
    else if (op == "putlong" && a.size() == 5) {
        if (!ParseLong(a[4], &number)) {
            std::fprintf(stderr, "vr60ctl: '%s' is not a number\n", a[4].c_str());
            return 2;
        }
        result = IniPutLong(section, a[3].c_str(), number, file);
    } else if (op == "delete" && a.size() == 4)
        result = IniPutString(section, a[3].c_str(), nullptr, file);
    else if (op == "delete" && a.size() == 3)
        result = IniPutString(section, nullptr, nullptr, file);
    else
        return Usage();
    if (result == 1)
        return 0;
    std::fprintf(stderr, "vr60ctl: %s could not be rewritten; it is left as it was\n", file);
    return 1;
}

void PrintTestConfig(const Program& p)
{
    const TestConfig& c = p.testConfig;
    std::printf("test1 %d (%08xh)\n", c.test1, uint32_t(c.test1));
    std::printf("test2 %d\ntest3 %d\ntest4 %d\nsno %d\n", c.test2, c.test3, c.test4, c.sno);
    std::printf("version %s\nSNR %u\nAUTO_INCREASED %u\nTESTFUNCTION %u\n", c.version, c.SNR, c.AUTO_INCREASED,
                c.TESTFUNCTION);
    std::printf("auto_connect %u\nauto_log_clear %u\nauto_log_clear_after_download %u\nauto_poweroff %u\n",
                c.auto_connect, c.auto_log_clear, c.auto_log_clear_after_download, c.auto_poweroff);
    std::printf("ts_version %s\ngps_version %s\nbatt_base_volt %d\nbatt_volt_range %d\n", c.ts_version,
                c.gps_version, c.batt_base_volt, c.batt_volt_range);
    std::printf("test items:");
    for (const TestItemBox& b : p.form.test.items)
        if (b.checked)
            std::printf(" \"%s\"", b.caption.c_str());
    std::printf("\n");
}

int RunTestConfig(CtlContext& ctx, const Args& args)
{
    Program& p = ctx.program;
    if (args.empty()) {
        LoadTestConfig(p);
        PrintTestConfig(p);
        return 0;
    }
    if (args.size() == 1 && args[0] == "save") {
        // The off-screen "Button_ini_test": load, then save at once.
        LoadTestConfig(p);
        std::string error;
        if (const int saved = SaveTestConfig(p, &error); saved != 0) {
            p.host.messageBox(error);
            return saved;
        }
        PrintTestConfig(p);
        return 0;
    }
    std::fprintf(stderr, "vr60ctl: usage: testconfig [save]\n");
    return 2;
}

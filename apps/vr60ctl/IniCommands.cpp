// ini and testconfig: the INI reader/writer and the production test
// configuration, without the window.

#include <cstdio>
#include <cstdlib>
#include <string>

#include "CommandOptions.h"
#include "CtlCommand.h"
#include "program/Program.h"
#include "prodtest/MinIni.h"
#include "prodtest/TestConfig.h"

namespace {

const char* SectionArg(const std::string& s)
{
    return s.c_str();   // "" is the unnamed section
}

// The number of the last argument (DEFAULT or NUMBER); false after saying it is none.
bool ParseLong(const CommandOptions& options, long* value)
{
    const std::string& text = options.arguments().back();
    char* end = nullptr;
    *value = std::strtol(text.c_str(), &end, 10);
    if (!text.empty() && *end == '\0')
        return true;
    options.fail("'" + text + "' is not a number");
    return false;
}

} // namespace

int RunIni(CtlContext&, const CommandOptions& options)
{
    const Args& a = options.arguments();
    const std::string& op = options.sub();
    const char* file = a[0].c_str();
    const char* section = SectionArg(a[1]);
    const char* key = a.size() > 2 ? a[2].c_str() : nullptr;
    if (op == "get") {
        char buffer[kIniLineBuffer];
        IniGetString(section, key, a.size() == 4 ? a[3].c_str() : "", buffer, sizeof buffer, file);
        std::printf("%s\n", buffer);
        return 0;
    }
    long number = 0;
    if ((op == "getlong" || op == "putlong") && !ParseLong(options, &number))
        return kUsageError;
    if (op == "getlong") {
        std::printf("%ld\n", IniGetLong(section, key, number, file));
        return 0;
    }
    int result = -1;
    if (op == "put")
        result = IniPutString(section, key, a[3].c_str(), file);
    else if (op == "putlong")
        result = IniPutLong(section, key, number, file);
    else   // delete: a key, or without one the whole section
        result = IniPutString(section, key, nullptr, file);
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

int RunTestConfig(CtlContext& ctx, const CommandOptions& options)
{
    Program& p = ctx.program;
    LoadTestConfig(p);
    // save: the off-screen "Button_ini_test", which saves at once what it loaded.
    std::string error;
    if (options.sub() == "save") {
        if (const int saved = SaveTestConfig(p, &error); saved != 0) {
            p.host.messageBox(error);
            return saved;
        }
    }
    PrintTestConfig(p);
    return 0;
}

// The window in use: the port list and hot-plug, connect and download by clicks,
// a port that goes away, and every way of leaving the program.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "WindowRig.h"
#include "connection/PortHotPlug.h"
#include "link/LinkBusyGuard.h"
#include "link/PortList.h"
#include "platform/PortTable.h"

namespace {

int Count(const std::string& text, const std::string& part)
{
    int n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

std::vector<std::string> ListedAliases(WindowRig& rig)
{
    std::vector<std::string> names;
    for (const std::string& item : rig.p().form.connection.comPortItems)
        if (item != "COM  1")   // a real ttyS0 of the machine, when it has one
            names.push_back(item);
    return names;
}

std::vector<uint8_t> Bytes(const std::filesystem::path& path)
{
    const std::string text = ReadText(path);
    return std::vector<uint8_t>(text.begin(), text.end());
}

} // namespace

TEST(WindowPorts, ListIsSortedAsTextAndANewAliasRaisesOneBox)
{
    WindowRig rig([](ScratchHome& home) {
        home.alias(3);
        home.alias(10);
        home.alias(2);
    });
    EXPECT_EQ(ListedAliases(rig), (std::vector<std::string>{"COM  2", "COM  3", "COM 10"}));
    EXPECT_TRUE(rig.dialogs.boxes.empty());   // the first scan never warns

    // The list was just read: the first ticks have no change to report.
    rig.window->Timer1Timer();
    rig.window->refresh();
    rig.window->Timer1Timer();
    EXPECT_EQ(Count(rig.log(), "rescaned"), 0);
    EXPECT_TRUE(rig.dialogs.boxes.empty());

    // An alias appears: the folder watch (here the scan button) asks, the next tick rescans and warns.
    rig.home.alias(5);
    rig.window->Button_scan_portClick();
    rig.window->Timer1Timer();
    rig.window->refresh();
    EXPECT_EQ(rig.dialogs.boxes, std::vector<std::string>{"New device plugged in port COM  5\rPlease check COM port again!"});
    EXPECT_EQ(ListedAliases(rig), (std::vector<std::string>{"COM  2", "COM  3", "COM  5", "COM 10"}));
    EXPECT_EQ(rig.ui().ComboBox_COM->count(), int(rig.p().form.connection.comPortItems.size()));
    EXPECT_NE(rig.ui().Memo1->toPlainText().toStdString().find("COM  5"), std::string::npos);

    // Removing one warns about nothing; opening the list after a change rescans too.
    rig.home.removeAlias(5);
    rig.window->Button_scan_portClick();
    rig.window->Timer1Timer();
    EXPECT_EQ(rig.dialogs.boxes.size(), 1u);
    rig.home.alias(4);
    rig.window->Button_scan_portClick();
    rig.ui().ComboBox_COM->showPopup();
    rig.ui().ComboBox_COM->hidePopup();
    EXPECT_EQ(ListedAliases(rig), (std::vector<std::string>{"COM  2", "COM  3", "COM  4", "COM 10"}));
    EXPECT_EQ(rig.dialogs.boxes.size(), 2u);
}

TEST(WindowSession, ClickingConnectAndDownloadFillsTheFileTheGridAndTheGauge)
{
    WindowRig rig;
    rig.show();
    Ui::MainWindow& u = rig.ui();
    rig.connect();
    EXPECT_EQ(u.BitBtn_connect->text().toStdString(), "Disconnect");
    EXPECT_EQ(rig.window->windowTitle().toStdString(), "VR60 UTIL V0.2B0407B (000001234::username)");
    EXPECT_FALSE(u.ComboBox_COM->isEnabled());
    EXPECT_TRUE(u.Button_Power_Off->isEnabled());
    EXPECT_EQ(u.Label_current_sno->text().toStdString(), "000001234");
    EXPECT_EQ(u.ComboBox_SPEED_AVG->currentText().toStdString(), "10");   // read from the device
    EXPECT_FALSE(rig.host.busyCursor());

    const std::filesystem::path file = rig.home.work("window.sbp");
    u.Edit_Filename->setText(QString::fromStdString(file.string()));
    Q_EMIT u.Edit_Filename->textEdited(u.Edit_Filename->text());
    u.Button_downloadlog->click();

    const std::vector<uint8_t> expected = rig.device.logArea.loggedBytes(rig.device);
    EXPECT_EQ(Bytes(file), expected);
    EXPECT_EQ(u.StringGrid1->model()->rowCount(), int(expected.size() / 32) + 1);
    EXPECT_TRUE(u.StringGrid1->isEnabled());
    EXPECT_EQ(u.CGauge_uart->value(), u.CGauge_uart->maximum());
    EXPECT_EQ(u.Edit_StringGrid->text().toStdString(), file.string());
    EXPECT_TRUE(rig.dialogs.boxes.empty());
    EXPECT_FALSE(rig.host.busyCursor());
}

TEST(WindowSession, ServiceControlsAndTheTestPageRunTheirOperations)
{
    WindowRig rig;
    rig.show();
    Ui::MainWindow& u = rig.ui();
    rig.connect();
    ASSERT_EQ(u.BitBtn_connect->text().toStdString(), "Disconnect");

    u.Button_POI_download->click();
    EXPECT_EQ(u.Edit_POI1->text().toStdString(), "52.3702157,4.8951679");
    u.Button_VCON_ON->click();
    EXPECT_EQ(rig.device.requestLog().back(), 0x15);

    // The self test with only the RTC item, no auto clear or power-off: passed, green lamp.
    for (TestItemBox& b : rig.p().form.test.items)
        b.checked = b.name == "CheckBox_RTC";
    rig.p().form.test.autoLogClear = rig.p().form.test.autoPoweroff = false;
    rig.device.selfTest.resultDelayMs = 300;
    rig.window->refresh();
    u.BitBtn_Test->click();
    EXPECT_TRUE(u.ImageGREEN->isVisibleTo(u.TabBIT)) << rig.log();
    EXPECT_FALSE(u.ImageGRAY->isVisibleTo(u.TabBIT));
    EXPECT_EQ(u.Edit_batt->text().toStdString(), "423");
    EXPECT_EQ(u.CheckBox_RTC->styleSheet().toStdString(), "background-color: rgb(0,128,0);");
    EXPECT_TRUE(u.BitBtn_Test->isEnabled());

    u.Button_Power_Off->click();
    EXPECT_EQ(u.BitBtn_connect->text().toStdString(), "Connect");
    EXPECT_NE(rig.log().find("Remove USB Cable now."), std::string::npos);
}

TEST(WindowSession, APortThatGoesAwayEndsTheConnectionAtTheNextTick)
{
    WindowRig rig;
    rig.show();
    rig.connect();
    rig.device.faults.hangUpOn[0x0B] = 1;   // the cable comes out with the next settings read
    rig.ui().Button_Read_Config->click();
    EXPECT_NE(rig.log().find("COM port closed by the other side"), std::string::npos);
    rig.window->Timer1Timer();
    rig.window->refresh();
    EXPECT_NE(rig.log().find("COM7 is gone (device unplugged?): the connection is closed."), std::string::npos);
    EXPECT_EQ(rig.p().connected, 0);
    EXPECT_EQ(rig.p().link.ActiveLink, nullptr);
    EXPECT_EQ(rig.ui().BitBtn_connect->text().toStdString(), "Connect");
    EXPECT_TRUE(rig.ui().ComboBox_COM->isEnabled());
}

TEST(WindowPorts, aDevicePathIsShownAndRememberedAsThePath_notAsTheNumberItBorrowed)
{
    WindowRig rig([](ScratchHome& home) { home.alias(3); });
    const std::string pty = rig.home.work("pty").string();
    std::ofstream(pty) << "";
    Program& p = rig.p();
    std::vector<PortEntry>& given = p.ports.commandLinePorts;
    const int number = ResolveGivenPort(pty, given).number;
    ASSERT_GT(number, 0);
    EXPECT_EQ(PortItemText(given, number), PortDisplayName(number) + " (" + pty + ")");

    p.savedPortNumber = uint8_t(number);
    p.savedBaudIndex = 7;
    ASSERT_TRUE(SaveLinkSettings(p));
    std::string settings = ReadText(rig.home.settingsFile());
    EXPECT_NE(settings.find("PortPath=" + pty), std::string::npos) << settings;
    EXPECT_EQ(settings.find("COM="), std::string::npos) << settings;
    p.form.connection.comPortText.clear();
    RegisterSavedPortPath(p);
    LoadLinkSettings(p);
    EXPECT_EQ(p.form.connection.comPortText, PortItemText(given, number));

    // A real port afterwards: remembered by number, the path forgotten.
    p.savedPortNumber = 3;
    ASSERT_TRUE(SaveLinkSettings(p));
    settings = ReadText(rig.home.settingsFile());
    EXPECT_NE(settings.find("COM=3"), std::string::npos) << settings;
    EXPECT_NE(settings.find("PortPath=\n"), std::string::npos) << settings;
    LoadLinkSettings(p);
    EXPECT_EQ(p.form.connection.comPortText, "COM3");
}

struct ExitCase {
    const char* name;
    bool viaClose;     // the title-bar close instead of the Exit button
    bool connected;
};

class WindowExit : public ::testing::TestWithParam<ExitCase> {};

TEST_P(WindowExit, RunsTheExitStepsOnceAndSavesWhatTheRunEarned)
{
    const ExitCase& c = GetParam();
    WindowRig rig;
    rig.show();
    if (c.connected)
        rig.connect();
    if (c.viaClose) {
        rig.window->close();
    } else {
        rig.ui().BitBtn_Exit->click();
        rig.window->close();   // the close query that follows must not run the steps again
    }
    EXPECT_TRUE(rig.window->exitDone());
    EXPECT_FALSE(rig.window->isVisible());
    EXPECT_EQ(Count(rig.log(), "Device disconnected."), c.connected ? 1 : 0);
    const auto& requests = rig.device.requestLog();
    EXPECT_EQ(std::count(requests.begin(), requests.end(), 14), c.connected ? 1 : 0);

    const std::string ini = ReadText(rig.home.work("VR60Test.ini"));
    EXPECT_NE(ini.find("[VR60TEST]"), std::string::npos);
    EXPECT_NE(ini.find("test1=59"), std::string::npos);   // 255 keeps only the bits of items
    const std::string settings = ReadText(rig.home.settingsFile());
    EXPECT_EQ(settings.find("COM=7") != std::string::npos, c.connected) << settings;
    EXPECT_EQ(settings.find("BAUD=460800") != std::string::npos, c.connected) << settings;
}

INSTANTIATE_TEST_SUITE_P(, WindowExit,
                         ::testing::Values(ExitCase{"ButtonDisconnected", false, false},
                                           ExitCase{"ButtonConnected", false, true},
                                           ExitCase{"CloseDisconnected", true, false},
                                           ExitCase{"CloseConnected", true, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// Over an earlier complete log of the same name, which stays as it was.
TEST(WindowExitDuringTransfer, AsksThenStopsTheTransferKeepsThePartialFileAndClearsNothing)
{
    for (bool viaClose : {false, true}) {
        SCOPED_TRACE(viaClose ? "close" : "Exit");
        WindowRig rig;
        rig.show();
        rig.connect();
        rig.dialogs.answers = {true, true};   // overwrite the earlier file, then stop
        rig.p().form.logData.autoClearAfterDownload = true;
        // The third block goes unanswered, so the download waits (and pumps) there.
        int blocks = 0;
        const SimDevice::Handler readBlock = rig.device.handler(4);
        rig.device.setHandler(4, [&](SimDevice& d, const uint8_t* payload, int length) {
            if (++blocks != 3)
                readBlock(d, payload, length);
        });
        bool asked = false;
        rig.host.onPump = [&] {
            if (blocks == 3 && !asked) {
                asked = true;
                if (viaClose)
                    rig.window->close();
                else
                    rig.ui().BitBtn_Exit->click();
            }
        };
        const std::filesystem::path file = rig.home.work("stopped.sbp");
        const std::filesystem::path partial = rig.home.work("stopped.partial.sbp");
        std::ofstream(file) << "an earlier log";
        rig.p().form.logData.logFileName = file.string();
        rig.ui().Button_downloadlog->click();

        EXPECT_TRUE(asked);
        EXPECT_EQ(rig.dialogs.questions,
                  (std::vector<std::string>{file.string() + " exists!\r\nOverwrite?", kStopTransferQuestion}));
        EXPECT_TRUE(rig.window->exitDone());
        EXPECT_FALSE(rig.window->isVisible());
        EXPECT_EQ(ReadText(file.string()), "an earlier log");
        const std::vector<uint8_t> all = rig.device.logArea.loggedBytes(rig.device);
        const std::vector<uint8_t> kept = Bytes(partial);
        ASSERT_EQ(kept.size(), 2u * 8192);
        EXPECT_TRUE(std::equal(kept.begin(), kept.end(), all.begin()));
        // After the first block request only block requests and the leave-link command.
        const auto& requests = rig.device.requestLog();
        const auto firstBlock = std::find(requests.begin(), requests.end(), 4);
        EXPECT_TRUE(std::all_of(firstBlock, requests.end(), [](int id) { return id == 4 || id == 14; }));
        EXPECT_EQ(requests.back(), 14);
        EXPECT_EQ(rig.p().link.ActiveLink, nullptr);
        EXPECT_TRUE(rig.dialogs.boxes.empty());
        EXPECT_EQ(Count(rig.log(), "The download was stopped; " + partial.string() + " holds 16384 bytes (incomplete); " +
                                       file.string() + " is as it was"),
                  1);
        EXPECT_EQ(Count(rig.log(), "Failed to download log data!"), 0);
        EXPECT_EQ(Count(rig.log(), "Device disconnected."), 1);
        EXPECT_TRUE(std::filesystem::exists(rig.home.work("VR60Test.ini")));
    }
}

TEST(WindowDuringTransfer, NoKeepsItGoingASecondPressIsLoggedAndDisconnectStopsIt)
{
    WindowRig rig;
    rig.show();
    rig.connect();
    // The third block request goes unanswered once, so the download waits (and pumps) there.
    int blocks = 0;
    const SimDevice::Handler readBlock = rig.device.handler(4);
    rig.device.setHandler(4, [&](SimDevice& d, const uint8_t* payload, int length) {
        if (++blocks != 3)
            readBlock(d, payload, length);
    });
    rig.dialogs.answers = {false};   // keep going
    rig.host.onPump = [&] {
        if (blocks == 3) {
            ++blocks;
            rig.ui().BitBtn_Exit->click();
            rig.ui().Button_downloadlog->click();
        }
    };
    const std::filesystem::path whole = rig.home.work("whole.sbp");
    rig.p().form.logData.logFileName = whole.string();
    rig.ui().Button_downloadlog->click();
    EXPECT_EQ(rig.dialogs.questions, std::vector<std::string>{kStopTransferQuestion});
    EXPECT_FALSE(rig.window->ending());
    EXPECT_EQ(Bytes(whole), rig.device.logArea.loggedBytes(rig.device));
    // The busy notice went to the message log and held nothing up.
    EXPECT_TRUE(rig.dialogs.boxes.empty());
    EXPECT_EQ(Count(rig.log(), kLinkBusyText), 1);

    // Disconnect during a transfer stops it, then disconnects; the next Connect works as ever.
    blocks = 0;
    rig.host.onPump = [&] {
        if (blocks == 3) {
            ++blocks;
            rig.ui().BitBtn_connect->click();
        }
    };
    rig.p().form.logData.logFileName = rig.home.work("cut.sbp").string();
    const size_t before = rig.device.requestLog().size();
    rig.ui().Button_downloadlog->click();
    EXPECT_EQ(rig.p().connected, 0);
    EXPECT_EQ(rig.ui().BitBtn_connect->text().toStdString(), "Connect");
    const std::vector<int> after(rig.device.requestLog().begin() + long(before), rig.device.requestLog().end());
    EXPECT_EQ(after, (std::vector<int>{0x4B, 4, 4, 4, 14}));
    EXPECT_EQ(Count(rig.log(), "cut.partial.sbp holds 16384 bytes (incomplete)"), 1);
    rig.host.onPump = nullptr;
    rig.connect();
    EXPECT_EQ(rig.p().connected, 1);
    EXPECT_NE(rig.log().rfind("Device connected "), std::string::npos);
}

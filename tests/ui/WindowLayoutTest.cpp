// The window as it starts: every control with its kind, caption and visibility,
// the defaults of each page, and the service gestures.

#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyle>
#include <QStyleOption>
#include <QTabWidget>

#include "WindowRig.h"

namespace {

enum Sight { Seen, Unseen, Hidden };

struct Control {
    const char* name;
    const char* kind;
    const char* text;   // button/label/check box caption, group title, edit text; nullptr: not checked
    Sight sight;
};

// The visible page (Settings) and the hidden Test page are both inventoried: a control
// is "seen" when it is not hidden and lies inside its parent (the window clips the rest).
const Control kControls[] = {
    {"Image2", "QLabel", nullptr, Seen},
    {"GroupBox_Port", "QGroupBox", "Connection", Seen},
    {"Common_Command", "QGroupBox", "Common Commands", Seen},
    {"PageControl", "QTabWidget", nullptr, Seen},
    {"Memo_MP", "QPlainTextEdit", "", Seen},
    {"StatusBar1", "QStatusBar", nullptr, Hidden},
    {"ComboBox_COM", "PortComboBox", nullptr, Seen},
    {"ComboBox_COM_Baud", "QComboBox", "460800 bps", Seen},
    {"BitBtn_connect", "QPushButton", "Connect ", Seen},
    {"BitBtn_Exit", "QPushButton", "&Exit", Seen},
    {"ComboBox_logbaudrate", "QComboBox", "460800bps ", Hidden},
    {"RadioGroup_download_speed", "QGroupBox", "Download Speed", Unseen},
    {"RadioGroup_download_speed_2", "QRadioButton", "Unchanged", Unseen},
    {"Button_debug", "QPushButton", "VRLink Debug ON", Hidden},
    {"Label_fw_version", "QLabel", "Label_fw_version", Unseen},
    {"Label_version", "QLabel", "Label_version", Unseen},
    {"Button_Power_Off", "QPushButton", "Power Off", Seen},
    {"Label3", "QLabel", "Serial No", Seen},
    {"Label_current_sno", "QLabel", "999999999", Seen},
    {"MaskEdit_sno", "QLineEdit", nullptr, Hidden},
    {"BitBtn_update_sno", "QPushButton", "Update SNo", Hidden},
    {"CheckBox_SNO_AUTO_INCREASE", "QCheckBox", "Auto Increased", Hidden},
    {"Label_vers_60", "QLabel", "VR60 Version", Seen},
    {"Edit_VR60_Ver", "QLineEdit", "", Seen},
    {"gps_version", "QLabel", "GPS version", Seen},
    {"Edit_log_data_gps_ver", "QLineEdit", "", Seen},
    {"ComboBox_LOG", "QComboBox", "OFF", Seen},
    {"ComboBox_MIN_SPEED", "QComboBox", "0", Seen},
    {"ComboBox_UNIT", "QComboBox", "KM", Seen},
    {"ComboBox_utc_offset", "QComboBox", "+00:00", Seen},
    {"ComboBox_SPEED_AVG", "QComboBox", "10S", Seen},
    {"ComboBox_SPD_GENIE", "QComboBox", "0", Seen},
    {"ComboBox_ACTION_SPD", "QComboBox", "SPEED", Seen},
    {"ComboBox_SPD_FONT", "QComboBox", "SMALL", Seen},
    {"Button_Read_Config", "QPushButton", "Read ", Seen},
    {"Button_Set_language", "QPushButton", "Update", Seen},
    {"Button_Factory_Reset", "QPushButton", "Reset", Seen},
    {"Label4", "QLabel", "Username", Seen},
    {"Edit_username", "QLineEdit", "", Seen},
    {"Button_update_username_bin", "QPushButton", "Update", Seen},
    {"CGauge_uart", "QProgressBar", nullptr, Seen},
    {"Label_convert_statistic", "QLabel", "", Seen},
    {"GroupBox1", "QGroupBox", "File Selection", Seen},
    {"Button_Browse", "QPushButton", "Browse", Seen},
    {"Edit_Filename", "QLineEdit", " ", Seen},
    {"Label8", "QLabel", "Maximum Points ", Seen},
    {"Edit_maximumpoints", "QLineEdit", "0", Seen},
    {"Label_record_count", "QLabel", "Points Logged", Seen},
    {"Edit_pointslogged", "QLineEdit", "0", Seen},
    {"CheckBox_Google_Earth_View", "QCheckBox", "Google Earth View", Seen},
    {"CheckBox_gpx_speed", "QCheckBox", "GPX with speed", Seen},
    {"BitBtn_offline_convert", "QPushButton", "Log Convert", Seen},
    {"Button_downloadlog", "QPushButton", "Log Download ", Seen},
    {"CheckBox_auto_log_clear_after_download", "QCheckBox", "Auto clear", Seen},
    {"Button_clearlog", "QPushButton", "Log Clear", Seen},
    {"GroupBox2", "QGroupBox", "Top 10 Speed", Seen},
    {"Button_TOP10_Read", "QPushButton", "Download", Seen},
    {"Button_TOP10_Clear", "QPushButton", "Clear", Seen},
    {"RadioGroup_logformat", "QGroupBox", "Format", Unseen},
    {"RadioGroup_logformat_0", "QRadioButton", "0 :Binary(SBPX)", Unseen},
    {"Button_querylogstatus", "QPushButton", "Query Status", Unseen},
    {"Button_ChangeBaudRate", "QPushButton", "Change Baud Rate", Unseen},
    {"Button_", "QPushButton", "Clear Data", Unseen},
    {"StringGrid1", "QTableView", nullptr, Seen},
    {"Edit_StringGrid", "QLineEdit", " ", Unseen},
    {"BitBtn_MapView", "QPushButton", "Convert", Hidden},
    {"GroupBoxTestItems", "QGroupBox", "Auto Test ", Seen},
    {"CheckBox_RTC", "QCheckBox", "RTC", Seen},
    {"CheckBox_GYRO_ID", "QCheckBox", "Gyro-sensor ID", Hidden},
    {"CheckBox_HRM_BPM", "QCheckBox", "ANT HRM BPM", Hidden},
    {"CheckBox_KEY", "QCheckBox", "Touch Keys", Seen},
    {"CheckBox_GPS_SNR", "QCheckBox", "GPS SNR", Seen},
    {"Label_PCBA_Test", "QLabel", "單板檢測項目          ", Seen},
    {"Label_VIS_TEST", "QLabel", "目視檢測項目             ", Seen},
    {"ImageGRAY", "QLabel", nullptr, Seen},
    {"ImageGREEN", "QLabel", nullptr, Hidden},
    {"BitBtn_Test", "QPushButton", "Start ", Seen},
    {"Edit_GPS_SNR_min", "QLineEdit", "40", Seen},
    {"Edit_MAX_SNR_SID", "QLineEdit", "0", Seen},
    {"Edit_GPS_Ver_expectx", "QLineEdit", "gps ver", Seen},
    {"Edit_TS_Ver_expectx", "QLineEdit", "1", Seen},
    {"Edit_batt_std", "QLineEdit", "423", Seen},
    {"Edit_batt_vary", "QLineEdit", "6", Seen},
    {"Edit_abort", "QLineEdit", "12", Hidden},
    {"Label2", "QLabel", "", Hidden},
    {"Edit_BPM", "QLineEdit", "0", Hidden},
    {"Button_Reboot", "QPushButton", "Reboot", Hidden},
    {"Button_VCON_ON", "QPushButton", "Enable NMEA", Hidden},
    {"Button_GPSVCOM_OFF", "QPushButton", "Disable NMEA", Hidden},
    {"Button_GPS_ColdStart", "QPushButton", "Cold Start", Hidden},
    {"Button_GPSPWRON", "QPushButton", "GPS PWR ON", Hidden},
    {"Button_GPSPWROFF", "QPushButton", "GPS PWR OFF", Hidden},
    {"Button1", "QPushButton", "Delete Tracks", Hidden},
    {"Memo1", "QPlainTextEdit", nullptr, Unseen},
    {"MemoBin", "QPlainTextEdit", "", Unseen},
    {"Button_ini_test", "QPushButton", "Button_ini_test", Unseen},
    {"GroupBox_WPT", "QGroupBox", "POI", Unseen},
    {"CheckBox_POI4", "QCheckBox", "POI#4", Unseen},
    {"Button_POI_download", "QPushButton", "Download", Unseen},
    {"Button_POI_delete", "QPushButton", "Delete", Unseen},
    {"Button_POI_upload", "QPushButton", "Upload", Unseen},
    {"Panel_TRK", "QFrame", nullptr, Unseen},
    {"TRK_Download", "QPushButton", "TRKs Download", Unseen},
    {"TRK_Erase", "QPushButton", "TRKs Delete", Unseen},
    {"TRK_Upload", "QPushButton", "TRKs Upload", Hidden},
    {"Button_TRK_TO_RMC", "QPushButton", "TRK-->RMC", Hidden},
    {"Button5", "QPushButton", "TRK Tag Del", Hidden},
    {"CheckBox_track1", "QCheckBox", "Track#1", Unseen},
    {"Edit_trk4", "QLineEdit", "", Unseen},
    {"BitBtn1", "QPushButton", nullptr, Hidden},
    {"RadioGroup_lang", "QGroupBox", "Select Language", Unseen},
    {"RadioGroup_lang_9", "QRadioButton", "Spanish", Unseen},
    {"RadioGroup_unit", "QGroupBox", "Units", Unseen},
    {"RadioGroup_unit_2", "QRadioButton", "NM", Unseen},
    {"Label2_ver", "QLabel", "version", Unseen},
    {"CheckBox_VER", "QCheckBox", "Check Version", Hidden},
    {"Edit_ver_match", "QLineEdit", "V0.1", Hidden},
    {"CheckBox_auto_log_clear", "QCheckBox", "auto log/trk/wpt clear", Hidden},
    {"CheckBox_auto_poweroff", "QCheckBox", "auto poweroff", Hidden},
    {"Button_off_and_clear", "QPushButton", "Pwr Off+Clr Log", Unseen},
    {"CheckBox_splite_track", "QCheckBox", "Split Log", Hidden},
    {"Load_SBP", "QPushButton", "Load SBP file", Hidden},
    {"Button_Log_info", "QPushButton", "Log_info", Unseen},
    {"Button2", "QPushButton", "Button2", Unseen},
    {"Button3", "QPushButton", "Button3", Unseen},
    {"Label11", "QLabel", "Speed Avg Time", Unseen},
};

QString TextOf(QWidget* w)
{
    if (auto* b = qobject_cast<QAbstractButton*>(w))
        return b->text();
    if (auto* l = qobject_cast<QLabel*>(w))
        return l->text();
    if (auto* e = qobject_cast<QLineEdit*>(w))
        return e->text();
    if (auto* c = qobject_cast<QComboBox*>(w))
        return c->currentText();
    if (auto* g = qobject_cast<QGroupBox*>(w))
        return g->title();
    if (auto* m = qobject_cast<QPlainTextEdit*>(w))
        return m->toPlainText();
    return {};
}

// Inside its parent (and that inside its own, up to Panel1).
bool InsideParents(QWidget* w, QWidget* top)
{
    for (; w && w != top; w = w->parentWidget()) {
        QWidget* parent = w->parentWidget();
        // Pages never shown are sized when first shown: they get the page area's size.
        const QSize size = parent && parent->parentWidget() && parent->parentWidget()->inherits("QStackedWidget")
                               ? parent->parentWidget()->size()
                               : parent ? parent->size() : QSize();
        if (parent && !parent->inherits("QStackedWidget") && !QRect(QPoint(0, 0), size).contains(w->geometry()))
            return false;
    }
    return true;
}

void DoubleClick(QWidget* w)
{
    QMouseEvent press(QEvent::MouseButtonDblClick, QPointF(5, 5), w->mapToGlobal(QPointF(5, 5)), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
}

void Click(QWidget* w)
{
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(5, 5), w->mapToGlobal(QPointF(5, 5)), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &release);
}

} // namespace

TEST(Window, EveryControlHasItsKindCaptionAndVisibility)
{
    WindowRig rig;
    rig.show();
    QWidget* panel = rig.ui().Panel1;
    for (const Control& c : kControls) {
        SCOPED_TRACE(c.name);
        auto* w = rig.window->findChild<QWidget*>(QLatin1String(c.name));
        ASSERT_NE(w, nullptr);
        EXPECT_STREQ(w->metaObject()->className(), c.kind);
        if (c.text) {
            EXPECT_EQ(TextOf(w).toStdString(), c.text);
        }
        const bool hidden = !w->isVisibleTo(w->parentWidget());
        const bool inside = InsideParents(w, panel);
        EXPECT_EQ(hidden, c.sight == Hidden);
        if (c.sight != Hidden) {
            EXPECT_EQ(inside, c.sight == Seen);
        }
    }
    EXPECT_EQ(rig.window->size(), QSize(650, 579));
    EXPECT_EQ(rig.window->minimumSize(), rig.window->maximumSize());
    EXPECT_FALSE(rig.window->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(rig.window->windowFlags() & Qt::WindowMinimizeButtonHint);
}

TEST(Window, StartUpShowsThreePagesTheCaptionAndTheDefaults)
{
    // Saved values: the port applies, the baud rate does not survive the start-up.
    WindowRig rig([](ScratchHome& home) {
        QSettings s(QStringLiteral("TRAXELO"), QStringLiteral("VR40LINK"));
        s.setValue("COM", "7");
        s.setValue("BAUD", "1152");
    });
    rig.show();
    Ui::MainWindow& u = rig.ui();
    EXPECT_EQ(rig.window->windowTitle().toStdString(), "VR60 UTIL V0.2B0407B");
    QTabWidget* pages = u.PageControl;
    EXPECT_EQ(pages->currentWidget(), u.TabSheet_sno);
    const std::pair<QWidget*, bool> tabs[] = {
        {u.TabSheet_sno, true}, {u.TabSheet_logdata, true}, {u.TabSheet_Browse, true}, {u.TabBIT, false}};
    for (auto [page, visible] : tabs)
        EXPECT_EQ(pages->isTabVisible(pages->indexOf(page)), visible) << page->objectName().toStdString();
    EXPECT_EQ(rig.window->focusWidget(), u.BitBtn_connect);
    EXPECT_TRUE(u.BitBtn_connect->isEnabled());
    EXPECT_FALSE(u.ComboBox_COM_Baud->isEnabled());
    EXPECT_EQ(u.ComboBox_COM_Baud->currentText().toStdString(), "460800 bps");
    EXPECT_EQ(u.ComboBox_COM->currentText().toStdString(), "COM7");
    EXPECT_EQ(u.ComboBox_utc_offset->count(), 51);
    EXPECT_EQ(u.ComboBox_utc_offset->itemText(0).toStdString(), "-12:00");
    EXPECT_EQ(u.ComboBox_utc_offset->itemText(50).toStdString(), "+13:00");
    EXPECT_EQ(u.ComboBox_SPEED_AVG->itemText(1).toStdString(), "2 ");
    EXPECT_EQ(u.ComboBox_SPEED_AVG->count(), 60);

    // Without "VR60Test.ini": the board items checked, Battery too (test1 = 255 has no Battery bit).
    const std::pair<const char*, bool> items[] = {{"CheckBox_RTC", true},      {"CheckBox_FlashMemory", true},
                                                  {"CheckBox_M_ID", true},     {"CheckBox_G_ID", true},
                                                  {"CheckBox_GPS_RMC", true},  {"CheckBox_BATT", false},
                                                  {"CheckBox_Buzzer", false},  {"CheckBox_GPS_SNR", false}};
    for (auto [name, on] : items)
        EXPECT_EQ(rig.window->findChild<QCheckBox*>(name)->isChecked(), on) << name;

    const std::pair<QWidget*, const char*> tips[] = {
        {u.Image2, "Double click to enable  extra functions!!"},
        {u.Edit_username, "CHAR(15)"},
        {u.BitBtn_offline_convert, "convert SBP to GPX,KML,NMEA,PLT"},
        {u.Button_clearlog, "Clear log,tracks,waypoints"},
        {u.StringGrid1, "Double click to view point on map!"},
        {u.ComboBox_COM_Baud, "Baud rate for login in "},
        {u.Button_Power_Off, "fw V0.6 or above "},
        {u.Edit_batt, "batt voltage(0.01v)"},
        {u.ComboBox_COM, ""},
        {u.Button_Factory_Reset, ""}};
    for (auto [w, tip] : tips)
        EXPECT_EQ(w->toolTip().toStdString(), tip) << w->objectName().toStdString();
    EXPECT_EQ(u.ComboBox_COM->property("hint").toString().toStdString(), "4 digits(login password)");
    EXPECT_EQ(pages->tabToolTip(pages->indexOf(u.TabSheet_sno)).toStdString(), "start addr");

    // Only the grey lamp; the yellow one alone once the record says yellow.
    EXPECT_TRUE(u.ImageGRAY->isVisibleTo(u.GroupBoxTestItems));
    rig.p().form.test.lamp = TestLamp::Yellow;
    rig.window->refresh();
    const std::pair<QLabel*, bool> lamps[] = {
        {u.ImageGRAY, false}, {u.ImageGREEN, false}, {u.ImageRED, false}, {u.ImageYELLOWx, true}};
    for (auto [lamp, on] : lamps)
        EXPECT_EQ(lamp->isVisibleTo(u.GroupBoxTestItems), on);
    EXPECT_FALSE(u.Image2->pixmap().isNull());   // the logo decoded
}

TEST(Window, GesturesFlipTheirOwnFlagsInSequence)
{
    WindowRig rig;
    rig.show();
    Ui::MainWindow& u = rig.ui();
    auto shown = [&](QWidget* w) { return w->isVisibleTo(w->parentWidget()); };
    auto checked = [&](const char* name) { return rig.window->findChild<QCheckBox*>(name)->isChecked(); };

    // Logo: on, off.
    for (bool expected : {true, false}) {
        DoubleClick(u.Image2);
        for (QWidget* w : {static_cast<QWidget*>(u.Button_Reboot), static_cast<QWidget*>(u.Button_GPSPWROFF),
                           static_cast<QWidget*>(u.CheckBox_TTFF)})
            EXPECT_EQ(shown(w), expected) << w->objectName().toStdString();
        EXPECT_FALSE(u.CheckBox_TTFF->isEnabled());
    }
    // Common commands: nothing visible changes, then hidden, then shown.
    for (bool expected : {true, false, true}) {
        DoubleClick(u.Common_Command);
        EXPECT_EQ(shown(u.Button_Power_Off), expected);
        EXPECT_EQ(shown(u.Button_clearlog), expected);
    }
    // Board group starts on (first click unchecks), visual group off (first click checks).
    for (bool expected : {false, true}) {
        Click(u.Label_PCBA_Test);
        EXPECT_EQ(checked("CheckBox_RTC"), expected);
        EXPECT_EQ(checked("CheckBox_GPS_RMC"), expected);
        EXPECT_EQ(checked("CheckBox_BATT"), expected);
        EXPECT_FALSE(checked("CheckBox_KEY"));
    }
    for (bool expected : {true, false}) {
        Click(u.Label_VIS_TEST);
        EXPECT_EQ(checked("CheckBox_KEY"), expected);
        EXPECT_EQ(checked("CheckBox_LCD"), expected);
    }
    // F1 reaches the window only while no control has the focus.
    const QColor normal = rig.window->palette().color(QPalette::Window);
    auto pressF1 = [&] {
        QKeyEvent key(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
        QApplication::sendEvent(rig.window.get(), &key);
        return rig.window->palette().color(QPalette::Window);
    };
    u.BitBtn_connect->clearFocus();
    EXPECT_EQ(pressF1(), QColor(0, 128, 0));
    EXPECT_EQ(pressF1(), normal);
    u.BitBtn_connect->setFocus();
    EXPECT_EQ(pressF1(), normal);

    // The message log empties on a double click.
    rig.window->appendLog("a line");
    DoubleClick(u.Memo_MP->viewport());
    EXPECT_EQ(rig.log(), "");
}

namespace {

// The width a caption needs in its control, or 0 for controls whose caption is not checked.
int CaptionWidth(QWidget* w)
{
    const QFontMetrics fm = w->fontMetrics();
    QStyle* style = w->style();
    if (auto* g = qobject_cast<QGroupBox*>(w)) {
        if (g->title().isEmpty())
            return 0;
        QStyleOptionGroupBox option;
        option.initFrom(g);
        option.text = g->title();
        option.textAlignment = g->alignment();
        option.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
        const QRect label = style->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, g);
        return label.left() + fm.horizontalAdvance(g->title()) + 1;
    }
    if (auto* c = qobject_cast<QCheckBox*>(w))
        return style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, w) +
               style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, w) + fm.horizontalAdvance(c->text());
    if (auto* b = qobject_cast<QPushButton*>(w))
        return fm.horizontalAdvance(b->text()) + 2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, w);
    return 0;
}

} // namespace

TEST(Window, NoCaptionIsCutAndRevealedItemsOverlapNothing)
{
    WindowRig rig;
    rig.show();
    Ui::MainWindow& u = rig.ui();
    QTabWidget* pages = u.PageControl;
    pages->setTabVisible(pages->indexOf(u.TabBIT), true);
    DoubleClick(u.Image2);   // reveals the Test page's extra controls, GPS_TTFF among them
    for (QWidget* page : {u.TabSheet_sno, u.TabSheet_logdata, u.TabSheet_Browse, u.TabBIT}) {
        pages->setCurrentWidget(page);
        QApplication::processEvents();
        for (QWidget* w : rig.window->findChildren<QWidget*>()) {
            if (!w->isVisible() || !InsideParents(w, u.Panel1) || w->objectName().isEmpty())
                continue;
            EXPECT_LE(CaptionWidth(w), w->width()) << w->objectName().toStdString() << " is cut";
        }
    }
    // The revealed item stays clear of the group captions of the item list.
    ASSERT_TRUE(u.CheckBox_TTFF->isVisible());
    for (QLabel* caption : {u.Label_PCBA_Test, u.Label_VIS_TEST})
        EXPECT_FALSE(u.CheckBox_TTFF->geometry().intersects(caption->geometry()))
            << caption->objectName().toStdString();
}

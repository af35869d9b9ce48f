#include "ui/FormBinder.h"

#include <QHeaderView>
#include <QSignalBlocker>

#include <array>
#include <utility>

#include "logdata/PointGridText.h"
#include "program/Program.h"
#include "ui/PointGridModel.h"
#include "ui_MainWindow.h"

namespace {

QString Q(const std::string& s)
{
    return QString::fromStdString(s);
}

} // namespace

std::string BackgroundStyle(Colour colour)
{
    switch (colour) {
    case Colour::Green: return "background-color: rgb(0,128,0);";
    case Colour::Red: return "background-color: rgb(255,0,0);";
    case Colour::Yellow: return "background-color: rgb(255,255,0);";
    case Colour::Grey: return "background-color: rgb(128,128,128);";
    case Colour::White: return "background-color: rgb(255,255,255);";
    case Colour::Window:
    case Colour::ButtonFace: return "";
    }
    return "";
}

FormBinder::FormBinder(Ui::MainWindow& ui, Program& program, PointGridModel& gridModel)
    : ui_(ui), p_(program), gridModel_(gridModel)
{
    FormState& f = program.form;
    bindConnection(f.connection);
    bindSettings(f.settings);
    bindLogData(f.logData);
    bindBrowse(f.browse);
    bindTestPage(f.test);
    bindUnseen(f.unseen);
    bindGauge(program.link.gauge);
    bindFocusRequest(f.focusRequest);
}

void FormBinder::push()
{
    for (const auto& pushField : pushers_)
        pushField();
}

void FormBinder::gridReplaced()
{
    gridModel_.gridReset();
    gridRows_ = p_.grid.rowCount();
    gridDecoded_ = p_.grid.rowCounter();
    for (int c = 0; c < kGridColumns; ++c)
        if (const int width = GridColumnWidth(c); width > 0)
            ui_.StringGrid1->setColumnWidth(c, width);
}

bool FormBinder::enabledIsBound(const QWidget* control) const
{
    return std::find(enabledBound_.begin(), enabledBound_.end(), control) != enabledBound_.end();
}

void FormBinder::text(QLineEdit* edit, std::string& field)
{
    QObject::connect(edit, &QLineEdit::textEdited, edit, [&field](const QString& t) { field = t.toStdString(); });
    pushers_.push_back([edit, &field] {
        const QString t = Q(field);
        if (edit->text() != t) {
            const QSignalBlocker block(edit);
            edit->setText(t);
        }
    });
}

void FormBinder::caption(QLabel* label, const std::string& field)
{
    pushers_.push_back([label, &field] {
        if (label->text() != Q(field))
            label->setText(Q(field));
    });
}

void FormBinder::caption(QAbstractButton* button, const std::string& field)
{
    pushers_.push_back([button, &field] {
        if (button->text() != Q(field))
            button->setText(Q(field));
    });
}

void FormBinder::checked(QCheckBox* box, bool& field)
{
    QObject::connect(box, &QCheckBox::toggled, box, [&field](bool on) { field = on; });
    pushers_.push_back([box, &field] {
        const QSignalBlocker block(box);
        box->setChecked(field);
    });
}

void FormBinder::index(QComboBox* combo, int& field)
{
    // An editable box with no item selected keeps the text it shows.
    const auto shown = std::make_shared<QString>(combo->property("designText").toString());
    QObject::connect(combo, &QComboBox::currentIndexChanged, combo, [&field](int i) { field = i; });
    if (combo->isEditable())
        QObject::connect(combo, &QComboBox::editTextChanged, combo, [combo, shown, &field](const QString& t) {
            *shown = t;
            field = combo->findText(t, Qt::MatchExactly);
        });
    pushers_.push_back([combo, shown, &field] {
        const QSignalBlocker block(combo);
        const int i = field >= 0 && field < combo->count() ? field : -1;
        if (combo->currentIndex() != i || (i < 0 && combo->currentText() != *shown)) {
            combo->setCurrentIndex(i);
            if (i < 0 && combo->isEditable())
                combo->setEditText(*shown);
        }
    });
}

void FormBinder::radio(const std::vector<QAbstractButton*>& buttons, int& field)
{
    for (int i = 0; i < int(buttons.size()); ++i)
        QObject::connect(buttons[size_t(i)], &QAbstractButton::toggled, buttons[size_t(i)], [i, &field](bool on) {
            if (on)
                field = i;
        });
    pushers_.push_back([buttons, &field] {
        for (size_t i = 0; i < buttons.size(); ++i) {
            const QSignalBlocker block(buttons[i]);
            buttons[i]->setChecked(int(i) == field);
        }
    });
}

void FormBinder::enabled(QWidget* control, const bool& field)
{
    enabledBound_.push_back(control);
    pushers_.push_back([control, &field] { control->setEnabled(field); });
}

void FormBinder::background(QWidget* control, const Colour& field)
{
    pushers_.push_back([control, &field] {
        const QString style = Q(BackgroundStyle(field));
        if (control->styleSheet() != style)
            control->setStyleSheet(style);
    });
}

void FormBinder::bindConnection(ConnectionControls& c)
{
    PortComboBox* com = ui_.ComboBox_COM;
    QObject::connect(com, &QComboBox::editTextChanged, com, [&c](const QString& t) { c.comPortText = t.toStdString(); });
    pushers_.push_back([com, &c] {
        const QSignalBlocker block(com);
        QStringList items;
        for (const std::string& name : c.comPortItems)
            items << Q(name);
        QStringList shown;
        for (int i = 0; i < com->count(); ++i)
            shown << com->itemText(i);
        if (shown != items) {
            com->clear();
            com->addItems(items);
        }
        if (com->currentText() != Q(c.comPortText)) {
            const int i = com->findText(Q(c.comPortText), Qt::MatchExactly);
            com->setCurrentIndex(i);
            if (i < 0)
                com->setEditText(Q(c.comPortText));
        }
    });
    enabled(com, c.comPortEnabled);
    index(ui_.ComboBox_COM_Baud, c.comBaudIndex);
    enabled(ui_.ComboBox_COM_Baud, c.comBaudEnabled);
    index(ui_.ComboBox_logbaudrate, c.logBaudIndex);
    caption(ui_.BitBtn_connect, c.connectCaption);
    enabled(ui_.BitBtn_connect, c.connectEnabled);
    enabled(ui_.Button_Power_Off, c.powerOffEnabled);

    QWidget* window = ui_.Panel1->window();
    pushers_.push_back([window, &c] {
        if (!c.windowCaption.empty() && window->windowTitle() != Q(c.windowCaption))
            window->setWindowTitle(Q(c.windowCaption));
    });
    QStatusBar* status = ui_.StatusBar1;
    pushers_.push_back([status, &c] {
        if (status->currentMessage() != Q(c.statusBarText))
            status->showMessage(Q(c.statusBarText));
    });
}

void FormBinder::bindSettings(SettingsPage& s)
{
    caption(ui_.Label_current_sno, s.currentSno);
    text(ui_.Edit_username, s.username);
    text(ui_.MaskEdit_sno, s.serialNumberText);
    text(ui_.Edit_VR60_Ver, s.vr60Version);
    text(ui_.Edit_log_data_gps_ver, s.gpsVersion);
    enabled(ui_.Button_Factory_Reset, s.factoryResetEnabled);
    index(ui_.ComboBox_LOG, s.logMode);
    index(ui_.ComboBox_MIN_SPEED, s.minSpeed);
    index(ui_.ComboBox_UNIT, s.unit);
    index(ui_.ComboBox_utc_offset, s.utcOffset);
    index(ui_.ComboBox_SPEED_AVG, s.speedAvg);
    index(ui_.ComboBox_SPD_GENIE, s.speedGenie);
    index(ui_.ComboBox_ACTION_SPD, s.actionSpeed);
    index(ui_.ComboBox_SPD_FONT, s.speedFont);
}

void FormBinder::bindLogData(LogDataPage& l)
{
    text(ui_.Edit_Filename, l.logFileName);
    text(ui_.Edit_pointslogged, l.pointsLogged);
    text(ui_.Edit_maximumpoints, l.maximumPoints);
    caption(ui_.Label_convert_statistic, l.convertStatistic);
    checked(ui_.CheckBox_auto_log_clear_after_download, l.autoClearAfterDownload);
    checked(ui_.CheckBox_Google_Earth_View, l.googleEarthView);
    checked(ui_.CheckBox_gpx_speed, l.speedGpx);
    enabled(ui_.Button_downloadlog, l.browseDownloadEnabled);
    enabled(ui_.Button_clearlog, l.clearLogEnabled);
}

void FormBinder::bindBrowse(BrowsePage& b)
{
    enabled(ui_.StringGrid1, b.gridEnabled);
    enabled(ui_.BitBtn_MapView, b.mapViewEnabled);
    text(ui_.Edit_StringGrid, b.gridFileName);
    // The rows themselves are the program's point grid.
    pushers_.push_back([this] {
        if (p_.grid.rowCount() != gridRows_) {
            gridReplaced();
        } else if (p_.grid.rowCounter() != gridDecoded_) {
            gridDecoded_ = p_.grid.rowCounter();
            gridModel_.rowsDecoded();
        }
    });
}

void FormBinder::bindTestPage(TestPage& t)
{
    const std::pair<const char*, QCheckBox*> boxes[] = {
        {"CheckBox_RTC", ui_.CheckBox_RTC},
        {"CheckBox_FlashMemory", ui_.CheckBox_FlashMemory},
        {"CheckBox_M_ID", ui_.CheckBox_M_ID},
        {"CheckBox_G_ID", ui_.CheckBox_G_ID},
        {"CheckBox_GYRO_ID", ui_.CheckBox_GYRO_ID},
        {"CheckBox_BATT", ui_.CheckBox_BATT},
        {"CheckBox_GPS_RMC", ui_.CheckBox_GPS_RMC},
        {"CheckBox_HRM", ui_.CheckBox_HRM},
        {"CheckBox_HRM_BPM", ui_.CheckBox_HRM_BPM},
        {"CheckBox_Buzzer", ui_.CheckBox_Buzzer},
        {"CheckBox_LCD", ui_.CheckBox_LCD},
        {"CheckBox_VIBRATOR", ui_.CheckBox_VIBRATOR},
        {"CheckBox_TTFF", ui_.CheckBox_TTFF},
        {"CheckBox_KEY", ui_.CheckBox_KEY},
        {"CheckBox_GPS_SNR", ui_.CheckBox_GPS_SNR},
    };
    for (const auto& [name, box] : boxes) {
        TestItemBox* found = t.find(name);
        if (!found)
            continue;
        TestItemBox& item = *found;
        checked(box, item.checked);
        enabled(box, item.enabled);
        background(box, item.colour);
        pushers_.push_back([box, &item] {
            if (box->isVisibleTo(box->parentWidget()) != item.visible)
                box->setVisible(item.visible);
        });
    }
    text(ui_.Edit_GPS_SNR_min, t.gpsSnrMin);
    text(ui_.Edit_batt_std, t.battStd);
    text(ui_.Edit_batt_vary, t.battVary);
    text(ui_.Edit_GPS_Ver_expectx, t.gpsVerExpect);
    text(ui_.Edit_TS_Ver_expectx, t.tsVerExpect);
    checked(ui_.CheckBox_SNO_AUTO_INCREASE, t.snoAutoIncrease);
    checked(ui_.CheckBox_auto_log_clear, t.autoLogClear);
    checked(ui_.CheckBox_auto_poweroff, t.autoPoweroff);
    caption(ui_.Label_records_today, t.recordsToday);
    text(ui_.Edit_batt, t.battRead);
    text(ui_.Edit_GPS_SNR_Read, t.gpsSnrRead);
    text(ui_.Edit_MAX_SNR_SID, t.maxSnrSid);
    text(ui_.Edit_GPS_Ver_Read, t.gpsVerRead);
    background(ui_.Edit_GPS_Ver_Read, t.gpsVerReadColour);
    text(ui_.Edit_TS_Ver_Read, t.tsVerRead);
    background(ui_.Edit_TS_Ver_Read, t.tsVerReadColour);
    text(ui_.Edit_abort, t.abortSeconds);
    enabled(ui_.BitBtn_Test, t.testEnabled);
    // The result picture: one of the four lamps shows, in TestLamp's numbering.
    const std::array<QLabel*, 4> lamps = {ui_.ImageGRAY, ui_.ImageGREEN, ui_.ImageRED, ui_.ImageYELLOWx};
    pushers_.push_back([this, lamps, &t] {
        if (int(t.lamp) == lampShown_)
            return;
        lampShown_ = int(t.lamp);
        for (size_t i = 0; i < lamps.size(); ++i)
            lamps[i]->setVisible(int(i) == lampShown_);
        for (QLabel* lamp : lamps)
            lamp->repaint();
    });
}

void FormBinder::bindUnseen(UnseenControls& u)
{
    caption(ui_.Label2_ver, u.firmwareCaption);
    background(ui_.Label2_ver, u.firmwareCaptionColour);
    text(ui_.Edit_ver_match, u.versionMatch);
    background(ui_.Edit_ver_match, u.versionMatchColour);
    checked(ui_.CheckBox_VER, u.checkVersion);
    radio({ui_.RadioGroup_lang_0, ui_.RadioGroup_lang_1, ui_.RadioGroup_lang_2, ui_.RadioGroup_lang_3,
           ui_.RadioGroup_lang_4, ui_.RadioGroup_lang_5, ui_.RadioGroup_lang_6, ui_.RadioGroup_lang_7,
           ui_.RadioGroup_lang_8, ui_.RadioGroup_lang_9},
          u.language);
    radio({ui_.RadioGroup_unit_0, ui_.RadioGroup_unit_1, ui_.RadioGroup_unit_2}, u.unitRadio);
    enabled(ui_.Button_off_and_clear, u.offAndClearEnabled);
    checked(ui_.CheckBox_splite_track, u.splitTrack);
    QLineEdit* const trackEdits[4] = {ui_.Edit_trk1, ui_.Edit_trk2, ui_.Edit_trk3, ui_.Edit_trk4};
    QCheckBox* const trackBoxes[4] = {ui_.CheckBox_track1, ui_.CheckBox_track2, ui_.CheckBox_track3,
                                      ui_.CheckBox_track4};
    QLineEdit* const poiEdits[4] = {ui_.Edit_POI1, ui_.Edit_POI2, ui_.Edit_POI3, ui_.Edit_POI4};
    QCheckBox* const poiBoxes[4] = {ui_.CheckBox_POI1, ui_.CheckBox_POI2, ui_.CheckBox_POI3, ui_.CheckBox_POI4};
    for (size_t i = 0; i < 4; ++i) {
        text(trackEdits[i], u.trackPoints[i]);
        checked(trackBoxes[i], u.trackChecked[i]);
        text(poiEdits[i], u.poiText[i]);
        checked(poiBoxes[i], u.poiChecked[i]);
    }
    QPlainTextEdit* memo1 = ui_.Memo1;
    pushers_.push_back([this, memo1, &u] {
        if (u.memo1Lines.size() < memo1Shown_) {
            memo1->clear();
            memo1Shown_ = 0;
        }
        for (; memo1Shown_ < u.memo1Lines.size(); ++memo1Shown_)
            memo1->appendPlainText(Q(u.memo1Lines[memo1Shown_]));
    });
}

// The link's transfer gauge record.
void FormBinder::bindGauge(const TransferGauge& g)
{
    QProgressBar* gauge = ui_.CGauge_uart;
    pushers_.push_back([gauge, &g] {
        const int maximum = int(std::clamp<int64_t>(g.maximum, 1, INT32_MAX));
        if (gauge->maximum() != maximum)
            gauge->setMaximum(maximum);
        const int position = int(std::clamp<int64_t>(g.position, 0, maximum));
        if (gauge->value() != position)
            gauge->setValue(position);
    });
}

// FormState's focus request.
void FormBinder::bindFocusRequest(std::string& request)
{
    // The controls an operation may move the focus to.
    const std::array<std::pair<const char*, QWidget*>, 1> focusTargets = {{{"BitBtn_connect", ui_.BitBtn_connect}}};
    pushers_.push_back([&request, focusTargets] {
        if (request.empty())
            return;
        for (const auto& [name, control] : focusTargets)
            if (request == name)
                control->setFocus();
        request.clear();
    });
}

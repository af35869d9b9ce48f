#pragma once
// Keeps the controls and the records in step. The records (FormState, the Test
// page's state, the gauge, the point grid) are the only model: an operator's
// edit writes its field at once, and push() copies every field back to its
// control under a signal blocker, after each handler and at every pump.
// This is the one file that knows both the controls and the record fields.

#include <functional>
#include <string>
#include <vector>

class QAbstractButton;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QWidget;
class PointGridModel;
struct Program;
struct ConnectionControls;
struct SettingsPage;
struct LogDataPage;
struct BrowsePage;
struct TestPage;
struct UnseenControls;
struct TransferGauge;
enum class Colour;

namespace Ui {
class MainWindow;
}

class FormBinder {
public:
    FormBinder(Ui::MainWindow& ui, Program& program, PointGridModel& gridModel);

    void push();
    // The grid holds other rows than before (a new file of the same size, say).
    void gridReplaced();
    // True when an operation's record field decides whether the control is enabled.
    bool enabledIsBound(const QWidget* control) const;

private:
    // One section per record: each binds only the record it is given.
    void bindConnection(ConnectionControls& c);
    void bindSettings(SettingsPage& s);
    void bindLogData(LogDataPage& l);
    void bindBrowse(BrowsePage& b);
    void bindTestPage(TestPage& t);
    void bindUnseen(UnseenControls& u);
    void bindGauge(const TransferGauge& g);
    void bindFocusRequest(std::string& request);

    void text(QLineEdit* edit, std::string& field);
    void caption(QLabel* label, const std::string& field);
    void caption(QAbstractButton* button, const std::string& field);
    void checked(QCheckBox* box, bool& field);
    void index(QComboBox* combo, int& field);
    void radio(const std::vector<QAbstractButton*>& buttons, int& field);
    void enabled(QWidget* control, const bool& field);
    void background(QWidget* control, const Colour& field);

    Ui::MainWindow& ui_;
    Program& p_;
    PointGridModel& gridModel_;
    std::vector<std::function<void()>> pushers_;
    std::vector<const QWidget*> enabledBound_;
    size_t memo1Shown_ = 0;
    int lampShown_ = -1;   // the lamp last shown (TestLamp), none yet
    size_t gridRows_ = 0;
    size_t gridDecoded_ = 0;
};

// The colour a record names, as a style sheet background ("" for the standard colours).
std::string BackgroundStyle(Colour colour);

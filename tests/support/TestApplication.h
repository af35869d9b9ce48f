#pragma once
// The QApplication the widget tests need, made once (offscreen unless the run chose a platform).

#include <QApplication>

inline void EnsureApplication()
{
    static int argc = 1;
    static char name[] = "vr60tests";
    static char* argv[] = {name, nullptr};
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (!QApplication::instance())
        new QApplication(argc, argv);   // lives as long as the test program
}

#pragma once
// The window's modal questions behind one swappable object: the real dialogs
// in the program, a scripted recorder in tests (no modal loop ever runs there).

#include <QString>

class QWidget;

struct FileQuestion {
    QString title;
    QString filter;             // "*.sbp"
    QString defaultExtension;   // "sbp"
    QString fileName;           // initial name
};

class Dialogs {
public:
    virtual ~Dialogs() = default;
    virtual void messageBox(QWidget* owner, const QString& text) = 0;
    // True for Yes.
    virtual bool askYesNo(QWidget* owner, const QString& text) = 0;
    // The chosen existing file, empty when cancelled.
    virtual QString openFile(QWidget* owner, const FileQuestion& question) = 0;
    // The chosen file to write, empty when cancelled.
    virtual QString saveFile(QWidget* owner, const FileQuestion& question) = 0;
};

// QMessageBox and QFileDialog.
class QtDialogs : public Dialogs {
public:
    void messageBox(QWidget* owner, const QString& text) override;
    bool askYesNo(QWidget* owner, const QString& text) override;
    QString openFile(QWidget* owner, const FileQuestion& question) override;
    QString saveFile(QWidget* owner, const FileQuestion& question) override;
};

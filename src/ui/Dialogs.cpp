#include "ui/Dialogs.h"

#include <QFileDialog>
#include <QMessageBox>

namespace {

// Not the application's display name: the desktop would append that to the main
// window's caption, which the program sets itself.
const QString kBoxTitle = QStringLiteral("VR60 Utility");

// The operations break box lines with a carriage return.
QString BoxText(QString text)
{
    return text.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
}

QString FilterText(const FileQuestion& q)
{
    return q.filter + QLatin1String(";;*");
}

} // namespace

void QtDialogs::messageBox(QWidget* owner, const QString& text)
{
    QMessageBox::information(owner, kBoxTitle, BoxText(text));
}

bool QtDialogs::askYesNo(QWidget* owner, const QString& text)
{
    return QMessageBox::question(owner, kBoxTitle, BoxText(text),
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

namespace {

// The open and save questions differ only in their mode.
QString AskFileName(QWidget* owner, const FileQuestion& question, QFileDialog::AcceptMode mode)
{
    QFileDialog dialog(owner, question.title);
    dialog.setAcceptMode(mode);
    if (mode == QFileDialog::AcceptOpen)
        dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter(FilterText(question));
    dialog.setDefaultSuffix(question.defaultExtension);
    if (!question.fileName.contains(QLatin1Char('*')))
        dialog.selectFile(question.fileName);
    return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty() ? dialog.selectedFiles().front()
                                                                                  : QString();
}

} // namespace

QString QtDialogs::openFile(QWidget* owner, const FileQuestion& question)
{
    return AskFileName(owner, question, QFileDialog::AcceptOpen);
}

QString QtDialogs::saveFile(QWidget* owner, const FileQuestion& question)
{
    return AskFileName(owner, question, QFileDialog::AcceptSave);
}

#include "ui/Dialogs.h"

#include <QFileDialog>
#include <QMessageBox>

namespace {

// Not the application's display name: the desktop would append that to the main
// window's caption, which the program sets itself.
const QString kBoxTitle = QStringLiteral("VR60 Utility");

// A path has no blank to wrap at: the box may break it after any folder separator, and
// keeps the word that follows it on the same line (" exists!" stays with the file name).
QString WrappablePaths(const QString& line)
{
    QStringList words = line.split(QLatin1Char(' '));
    QString out;
    for (qsizetype i = 0; i < words.size(); ++i) {
        const QString& word = words[i];
        const bool path = word.contains(QLatin1Char('/')) || word.contains(QLatin1Char('\\'));
        if (path) {
            for (const QChar c : word) {
                out += c;
                if (c == QLatin1Char('/') || c == QLatin1Char('\\'))
                    out += QChar(0x200B);   // zero-width space: a break opportunity
            }
        } else {
            out += word;
        }
        if (i + 1 < words.size())
            out += path ? QChar(0x00A0) : QLatin1Char(' ');
    }
    return out;
}

// The operations break box lines with a carriage return.
QString BoxText(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString& line : lines)
        line = WrappablePaths(line);
    return lines.join(QLatin1Char('\n'));
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

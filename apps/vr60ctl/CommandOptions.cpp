#include "CommandOptions.h"

#include <cstdio>

namespace {

// Latin-1 carries every byte through, so a file name that is not UTF-8 stays as given.
QString Bytes(const std::string& s)
{
    return QString::fromLatin1(s.data(), qsizetype(s.size()));
}

std::string Bytes(const QString& s)
{
    return s.toLatin1().toStdString();
}

} // namespace

CommandOptions::CommandOptions(const char* command, const std::vector<CommandOption>& options)
    : command_(command), options_(options)
{
    for (const CommandOption& o : options_)
        parser_.addOption(QCommandLineOption(QString::fromLatin1(o.name), QString(),
                                             o.needs ? QStringLiteral("VALUE") : QString()));
}

int CommandOptions::parse(const std::vector<std::string>& args, size_t mostArguments)
{
    QStringList list{Bytes(command_)};
    for (const std::string& a : args)
        list << Bytes(a);
    if (!parser_.parse(list)) {
        for (const CommandOption& o : options_)
            if (o.needs && args.back() == std::string("--") + o.name)
                return missingValue(o.name);
        if (!parser_.unknownOptionNames().isEmpty()) {
            const QString name = parser_.unknownOptionNames().first();
            std::fprintf(stderr, "vr60ctl: %s: unknown option %s%s (see vr60ctl %s --help)\n", command_.c_str(),
                         name.size() == 1 ? "-" : "--", Bytes(name).c_str(), command_.c_str());
        } else {
            std::fprintf(stderr, "vr60ctl: %s: %s\n", command_.c_str(), Bytes(parser_.errorText()).c_str());
        }
        return 2;
    }
    for (const CommandOption& o : options_)
        if (o.needs && parser_.values(QString::fromLatin1(o.name)).contains(QString()))
            return missingValue(o.name);
    for (const QString& a : parser_.positionalArguments())
        arguments_.push_back(Bytes(a));
    if (arguments_.size() > mostArguments) {
        std::fprintf(stderr, "vr60ctl: %s: unexpected '%s' (see vr60ctl %s --help)\n", command_.c_str(),
                     arguments_[mostArguments].c_str(), command_.c_str());
        return 2;
    }
    return 0;
}

bool CommandOptions::isSet(const char* name) const
{
    return parser_.isSet(QString::fromLatin1(name));
}

std::string CommandOptions::value(const char* name) const
{
    return Bytes(parser_.value(QString::fromLatin1(name)));
}

int CommandOptions::missingValue(const char* name) const
{
    for (const CommandOption& o : options_)
        if (o.needs && std::string(o.name) == name)
            std::fprintf(stderr, "vr60ctl: %s: --%s needs %s\n", command_.c_str(), name, o.needs);
    return 2;
}

int CommandOptions::pair(const char* on, const char* off, std::optional<bool>* choice) const
{
    if (isSet(on) && isSet(off)) {
        std::fprintf(stderr, "vr60ctl: %s: --%s and --%s together\n", command_.c_str(), on, off);
        return 2;
    }
    if (isSet(on) || isSet(off))
        *choice = isSet(on);
    return 0;
}

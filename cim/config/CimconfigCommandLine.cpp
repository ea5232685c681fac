#include "CimconfigCommandLine.h"

#include <map>

#include <CLI/CLI.hpp>

namespace Pegasus {

namespace {

std::string quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

bool isDecimal(const std::string& text)
{
    if (text.empty() || text.size() > 9)
        return false;
    for (char c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}

}  // namespace

CimconfigRequest parseCimconfigCommandLine(
    const std::vector<std::string>& args)
{
    CimconfigRequest request;
    if (args.empty())
        throw CimconfigUsageError("Required arguments missing.");

    CLI::App app("cimconfig");
    app.set_help_flag();
    // Unknown flags and stray words come back as extras and get our own
    // messages.
    app.allow_extras();

    std::map<char, std::vector<std::string> > values;
    std::map<char, CLI::Option*> options;
    for (char flag : {'g', 's', 'u', 'H', 't'})
        options[flag] = app.add_option(std::string("-") + flag, values[flag])
                            ->expected(0, 1)
                            ->multi_option_policy(
                                CLI::MultiOptionPolicy::TakeAll);
    for (char flag : {'c', 'p', 'd', 'l'})
        options[flag] = app.add_flag(std::string("-") + flag);
    CLI::Option* help = app.add_flag("-h,--help");
    CLI::Option* version = app.add_flag("--version");

    std::vector<std::string> reversed(args.rbegin(), args.rend());
    try
    {
        app.parse(reversed);
    }
    catch (const CLI::ParseError& e)
    {
        throw CimconfigUsageError(e.what());
    }

    for (const std::string& extra : app.remaining())
    {
        if (!extra.empty() && extra[0] == '-')
            throw CimconfigUsageError("Unknown flag " + extra);
        throw CimconfigUsageError("argument " + quoted(extra) +
                                  " was unexpected");
    }
    if (help->count() > 0)
        return request;
    if (version->count() > 0)
    {
        request.operation = CimconfigRequest::Version;
        return request;
    }

    // Checks in the order the options were given, so that the message names
    // the first offending one.
    char operation = 0;
    for (CLI::Option* option : app.parse_order())
    {
        const std::string name = option->get_name();
        const char flag = name.size() == 2 ? name[1] : 0;
        if (options.count(flag) == 0)
            continue;
        if (option->count() > 1)
            throw CimconfigUsageError("duplicate " + quoted(name) +
                                      " option");
        // A flag given without its value yields one empty string.
        if (values.count(flag) != 0 &&
            (values[flag].empty() || values[flag][0].empty()))
            throw CimconfigUsageError(
                std::string("Missing required value for flag ") + flag);
        const bool isOperation = flag == 'g' || flag == 's' || flag == 'u' ||
                                 flag == 'l' || flag == 'H';
        if (isOperation)
        {
            if (operation != 0)
                throw CimconfigUsageError("option " + quoted(name) +
                                          " was unexpected");
            operation = flag;
        }
    }
    if (operation == 0)
        throw CimconfigUsageError("Required arguments missing.");

    const bool c = options['c']->count() > 0;
    const bool p = options['p']->count() > 0;
    const bool d = options['d']->count() > 0;
    const bool t = options['t']->count() > 0;
    auto notValid = [](const char* option) {
        return CimconfigUsageError(std::string("option \"") + option +
                                   "\" is not valid for this command");
    };

    switch (operation)
    {
    case 'g':
        request.operation = CimconfigRequest::Get;
        request.name = values['g'][0];
        if (t)
            throw notValid("-t");
        break;
    case 's':
    {
        request.operation = CimconfigRequest::Set;
        const std::string& setting = values['s'][0];
        std::string::size_type eq = setting.find('=');
        if (eq == std::string::npos || eq == 0)
            throw CimconfigUsageError("argument " + quoted(setting) +
                                      " is not valid for option \"-s\"");
        request.name = setting.substr(0, eq);
        request.value = setting.substr(eq + 1);
        if (d)
            throw notValid("-d");
        break;
    }
    case 'u':
        request.operation = CimconfigRequest::Unset;
        request.name = values['u'][0];
        if (d)
            throw notValid("-d");
        break;
    case 'l':
        request.operation = CimconfigRequest::List;
        if (d)
            throw notValid("-d");
        if (t)
            throw notValid("-t");
        if (c && p)
            throw notValid("-p");
        break;
    case 'H':
        request.operation = CimconfigRequest::PropertyHelp;
        request.name = values['H'][0];
        if (c)
            throw notValid("-c");
        if (p)
            throw notValid("-p");
        if (d)
            throw notValid("-d");
        if (t)
            throw notValid("-t");
        break;
    }

    if (t)
    {
        const std::string& text = values['t'][0];
        if (!isDecimal(text))
            throw CimconfigUsageError("argument " + quoted(text) +
                                      " is not valid for option \"-t\"");
        request.timeoutSeconds = static_cast<uint32_t>(std::stoul(text));
    }

    request.current = c;
    request.planned = p;
    request.defaultValue = d;
    if ((operation == 'g' || operation == 's' || operation == 'u') && !c &&
        !p && !d)
        request.current = true;
    return request;
}

std::string cimconfigUsageText()
{
    return
        "Usage: cimconfig -g name [ -c ] [ -d ] [ -p ]\n"
        "       cimconfig -s name=value [ -c ] [ -p ] [ -t timeout ]\n"
        "       cimconfig -u name [ -c ] [ -p ] [ -t timeout ]\n"
        "       cimconfig -l [ -c | -p ]\n"
        "       cimconfig -H name | \"All\"\n"
        "       cimconfig -h | --help\n"
        "       cimconfig --version\n"
        "Options:\n"
        "    -g         - get the value of a configuration property\n"
        "    -s         - set the value of a configuration property\n"
        "    -u         - reset a configuration property to its default\n"
        "    -l         - list the configuration properties\n"
        "    -H         - describe one configuration property, or all\n"
        "    -c         - use the current value (the default for -g, -s "
        "and -u)\n"
        "    -p         - use the planned value (the next start's)\n"
        "    -d         - use the default value (only with -g)\n"
        "    -t         - seconds the server may take for -s or -u "
        "(default 20)\n"
        "    -h, --help - print this help text\n"
        "    --version  - print the version\n";
}

}  // namespace Pegasus

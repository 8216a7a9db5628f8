#include "BashCompletion.h"

#include <algorithm>
#include <map>
#include <set>

namespace {

// The words of a command's argument without brackets: "--address N [-o FILE.qel]" gives
// "--address", "N", "-o", "FILE.qel".
std::vector<std::string> argumentWords(std::string_view argument) {
    std::vector<std::string> words;
    std::string word;
    for (char c : argument) {
        if (c == ' ' || c == '[' || c == ']') {
            if (!word.empty())
                words.push_back(word);
            word.clear();
        } else {
            word += c;
        }
    }
    if (!word.empty())
        words.push_back(word);
    return words;
}

std::string join(const std::vector<std::string>& words, std::string_view separator) {
    std::string out;
    for (const std::string& w : words)
        out += (out.empty() ? "" : std::string(separator)) + w;
    return out;
}

std::vector<std::string> allNames(const UsageItem& item) {
    std::vector<std::string> names;
    for (std::string_view n : itemNames(item))
        names.emplace_back(n);
    return names;
}

std::string choiceWords(std::string_view argument) {
    std::string out(argument);
    std::replace(out.begin(), out.end(), '|', ' ');
    return out;
}

// The bash code that offers the values of an option of that kind, or empty when there is
// nothing to offer.
std::string valueCompletion(const UsageItem& item, const std::string& function) {
    switch (item.value) {
    case ValueKind::Choice:
        return "COMPREPLY=($(compgen -W '" + choiceWords(item.argument) + "' -- \"$cur\"))";
    case ValueKind::File:
        return "compopt -o filenames 2>/dev/null; COMPREPLY=($(compgen -f -- \"$cur\"))";
    case ValueKind::Port:
        return function + "_ports \"$cur\"";
    case ValueKind::None:
    case ValueKind::Text:
    case ValueKind::Number:
        break;
    }
    return {};
}

} // namespace

std::string bashCompletion(const ProgramUsage& usage) {
    const std::string program(usage.program);
    std::string function = "_" + program;
    std::replace(function.begin(), function.end(), '-', '_');
    const UsageSection* commands = usage.commandSection();

    // Options named in a command's synopsis belong to that command; the others are global.
    std::set<std::string> commandOptions;
    if (commands)
        for (const UsageItem& command : commands->items)
            for (const std::string& w : argumentWords(command.argument))
                if (w.starts_with('-'))
                    if (const UsageItem* o = usage.findOption(w))
                        for (const std::string& n : allNames(*o))
                            commandOptions.insert(n);
    std::vector<std::string> global, withValue;
    std::string valueCases;
    for (const UsageSection& section : usage.sections) {
        if (section.commands)
            continue;
        for (const UsageItem& item : section.items) {
            const std::vector<std::string> names = allNames(item);
            for (const std::string& n : names)
                if (!commandOptions.contains(n))
                    global.push_back(n);
            if (item.value == ValueKind::None)
                continue;
            withValue.insert(withValue.end(), names.begin(), names.end());
            const std::string offer = valueCompletion(item, function);
            valueCases += "        " + join(names, "|") + ")\n";
            if (!offer.empty())
                valueCases += "            " + offer + "\n";
            valueCases += "            return ;;\n";
        }
    }

    std::string s;
    s += "# bash completion for " + program + "; generated from the table its --help prints.\n\n";
    s += function +
         "_ports() {\n"
         "    local cur=$1 d devices=()\n"
         "    for d in /dev/serial/by-id/* /dev/ttyUSB* /dev/ttyACM* /dev/ttyS* /dev/pts/[0-9]*; do\n"
         "        [[ -e $d ]] && devices+=(\"$d\")\n"
         "    done\n"
         "    if [[ $cur == */* ]]; then\n"
         "        COMPREPLY=($(compgen -W \"${devices[*]}\" -- \"$cur\"))\n"
         "        ((${#COMPREPLY[@]})) || COMPREPLY=($(compgen -f -- \"$cur\"))\n"
         "    else\n"
         "        COMPREPLY=($(compgen -W \"$(printf 'COM%d ' {1..20})$(printf '%d ' {1..20})\" -- "
         "\"$cur\"))\n"
         "    fi\n"
         "}\n\n";
    s += function +
         "() {\n"
         "    local cur=${COMP_WORDS[COMP_CWORD]} prev=\n"
         "    ((COMP_CWORD > 0)) && prev=${COMP_WORDS[COMP_CWORD - 1]}\n"
         "    # \"--port=x\" arrives as \"--port\" \"=\" \"x\" with the usual COMP_WORDBREAKS.\n"
         "    if [[ $cur == = ]]; then\n"
         "        cur=\n"
         "    elif [[ $prev == = ]] && ((COMP_CWORD > 1)); then\n"
         "        prev=${COMP_WORDS[COMP_CWORD - 2]}\n"
         "    fi\n"
         "    COMPREPLY=()\n"
         "    case $prev in\n" +
         valueCases + "    esac\n\n";
    s += "    local i command=\n"
         "    for ((i = 1; i < COMP_CWORD; i++)); do\n"
         "        case ${COMP_WORDS[i]} in\n";
    if (!withValue.empty())
        s += "        " + join(withValue, "|") +
             ")\n"
             "            [[ ${COMP_WORDS[i + 1]} == = ]] && ((i++))\n"
             "            ((i++)) ;;\n";
    s += "        -*) ;;\n"
         "        *) command=${COMP_WORDS[i]}; break ;;\n"
         "        esac\n"
         "    done\n\n";
    s += "    if [[ $cur == -* ]]; then\n"
         "        local options='" +
         join(global, " ") + "'\n";
    std::string operandCases;
    // A command word may stand on several lines ("qs40 identify", "qs40 read ..."): its options
    // and its file operand are gathered under one case each.
    std::vector<std::string> commandNames;
    std::map<std::string, std::vector<std::string>> ownOptions;
    std::set<std::string> withFileOperand;
    if (commands) {
        s += "        case $command in\n";
        for (const UsageItem& command : commands->items) {
            const std::string name(command.names);
            if (std::find(commandNames.begin(), commandNames.end(), name) == commandNames.end())
                commandNames.push_back(name);
            std::vector<std::string>& own = ownOptions[name];
            const std::vector<std::string> words = argumentWords(command.argument);
            bool valueNext = false;
            for (const std::string& w : words) {
                if (w.starts_with('-')) {
                    const UsageItem* o = usage.findOption(w);
                    if (o) {
                        for (const std::string& n : allNames(*o))
                            own.push_back(n);
                        valueNext = o->value != ValueKind::None;
                    }
                    continue;
                }
                if (!valueNext && w.find("FILE") != std::string::npos &&
                    withFileOperand.insert(name).second) {
                    const std::size_t dot = w.find('.');
                    const std::string filter =
                        dot == std::string::npos ? "" : " -X '!*" + w.substr(dot) + "'";
                    operandCases += "    " + std::string(command.names) +
                                    ")\n"
                                    "        compopt -o filenames 2>/dev/null\n"
                                    "        COMPREPLY=($(compgen -f" +
                                    filter + " -- \"$cur\") $(compgen -d -- \"$cur\")) ;;\n";
                }
                valueNext = false;
            }
        }
        for (const std::string& name : commandNames)
            if (!ownOptions[name].empty())
                s += "        " + name + ") options+=' " + join(ownOptions[name], " ") + "' ;;\n";
        s += "        esac\n";
    }
    s += "        COMPREPLY=($(compgen -W \"$options\" -- \"$cur\"))\n"
         "        return\n"
         "    fi\n\n";
    if (commands) {
        s += "    case $command in\n"
             "    '')\n"
             "        COMPREPLY=($(compgen -W '" +
             join(commandNames, " ") + "' -- \"$cur\")) ;;\n" + operandCases + "    esac\n";
    }
    s += "}\n\ncomplete -F " + function + " " + program + "\n";
    return s;
}

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

// The second word of a command that heads a family of commands ("qs40 read ...": "read"), or
// empty: the argument starts with a lower-case word, not with an option or a placeholder.
std::string subcommandOf(const UsageItem& command) {
    const std::string_view first = command.argument.substr(0, command.argument.find(' '));
    const bool word =
        !first.empty() &&
        std::all_of(first.begin(), first.end(),
                    [](char c) { return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-'; }) &&
        first.front() >= 'a' && first.front() <= 'z';
    return word ? std::string(first) : std::string();
}

// A case pattern of bash for the command words typed ("read", "'qs40 read'").
std::string casePattern(const std::string& words) {
    return words.find(' ') == std::string::npos ? words : "'" + words + "'";
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
    // Options the table gives to the commands of some first words only ("--slave": "nuva"),
    // gathered per first word; before the command is known they are offered with the others.
    std::vector<std::string> global, scoped, withValue;
    std::vector<std::string> scopeWords;
    std::map<std::string, std::vector<std::string>> scopeOptions;
    std::string valueCases;
    for (const UsageSection& section : usage.sections) {
        if (section.commands)
            continue;
        for (const UsageItem& item : section.items) {
            const std::vector<std::string> names = allNames(item);
            if (!item.commands.empty()) {
                scoped.insert(scoped.end(), names.begin(), names.end());
                for (const std::string& word : argumentWords(item.commands)) {
                    if (!scopeOptions.contains(word))
                        scopeWords.push_back(word);
                    std::vector<std::string>& own = scopeOptions[word];
                    own.insert(own.end(), names.begin(), names.end());
                }
            }
            for (const std::string& n : names)
                if (!commandOptions.contains(n) && item.commands.empty())
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
    // Commands that head a family ("qs40 identify", "qs40 read ...") and their second words.
    std::vector<std::string> families;
    std::map<std::string, std::vector<std::string>> subcommands;
    if (commands)
        for (const UsageItem& command : commands->items)
            if (const std::string sub = subcommandOf(command); !sub.empty()) {
                const std::string name(command.names);
                if (std::find(families.begin(), families.end(), name) == families.end())
                    families.push_back(name);
                subcommands[name].push_back(sub);
            }

    s += "    local i command= sub=\n"
         "    for ((i = 1; i < COMP_CWORD; i++)); do\n"
         "        case ${COMP_WORDS[i]} in\n";
    if (!withValue.empty())
        s += "        " + join(withValue, "|") +
             ")\n"
             "            [[ ${COMP_WORDS[i + 1]} == = ]] && ((i++))\n"
             "            ((i++)) ;;\n";
    s += "        -*) ;;\n";
    if (families.empty()) {
        s += "        *) command=${COMP_WORDS[i]}; break ;;\n";
    } else {
        s += "        *)\n"
             "            if [[ -z $command ]]; then\n"
             "                command=${COMP_WORDS[i]}\n"
             "                case $command in " +
             join(families, "|") +
             ") ;; *) break ;; esac\n"
             "            else\n"
             "                sub=${COMP_WORDS[i]}\n"
             "                break\n"
             "            fi ;;\n";
    }
    s += "        esac\n"
         "    done\n";
    if (!families.empty())
        s += "    [[ -n $sub ]] && command+=\" $sub\"\n";
    s += "\n";
    s += "    if [[ $cur == -* ]]; then\n"
         "        local options='" +
         join(global, " ") + "'\n";
    if (!scoped.empty()) {
        // First words with the same options share a case.
        std::vector<std::pair<std::string, std::vector<std::string>>> groups;
        for (const std::string& word : scopeWords) {
            const std::string options = join(scopeOptions[word], " ");
            const auto group = std::find_if(groups.begin(), groups.end(),
                                            [&options](const auto& g) { return g.first == options; });
            if (group == groups.end())
                groups.push_back({options, {word}});
            else
                group->second.push_back(word);
        }
        s += "        case ${command%% *} in\n"
             "        '') options+=' " +
             join(scoped, " ") + "' ;;\n";
        for (const auto& [options, words] : groups)
            s += "        " + join(words, "|") + ") options+=' " + options + "' ;;\n";
        s += "        esac\n";
    }
    std::string operandCases;
    // A command is known by its word, or by both words in a family ("qs40 read"); a command
    // that stands on several lines gathers its options and its file operand under one case.
    std::vector<std::string> commandNames, keys;
    std::map<std::string, std::vector<std::string>> ownOptions;
    std::set<std::string> withFileOperand;
    if (commands) {
        s += "        case $command in\n";
        for (const UsageItem& command : commands->items) {
            const std::string name(command.names);
            const std::string sub = subcommandOf(command);
            const std::string key = sub.empty() ? name : name + " " + sub;
            if (std::find(commandNames.begin(), commandNames.end(), name) == commandNames.end())
                commandNames.push_back(name);
            if (std::find(keys.begin(), keys.end(), key) == keys.end())
                keys.push_back(key);
            std::vector<std::string>& own = ownOptions[key];
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
                // "FILE.qel", "IMAGE.mot": a file operand, offered with its extension.
                if (!valueNext && (w.find("FILE") != std::string::npos || w.find('.') != std::string::npos) &&
                    withFileOperand.insert(key).second) {
                    const std::size_t dot = w.find('.');
                    const std::string filter =
                        dot == std::string::npos ? "" : " -X '!*" + w.substr(dot) + "'";
                    operandCases += "    " + casePattern(key) +
                                    ")\n"
                                    "        compopt -o filenames 2>/dev/null\n"
                                    "        COMPREPLY=($(compgen -f" +
                                    filter + " -- \"$cur\") $(compgen -d -- \"$cur\")) ;;\n";
                }
                valueNext = false;
            }
        }
        for (const std::string& key : keys)
            if (!ownOptions[key].empty())
                s += "        " + casePattern(key) + ") options+=' " + join(ownOptions[key], " ") + "' ;;\n";
        s += "        esac\n";
    }
    s += "        COMPREPLY=($(compgen -W \"$options\" -- \"$cur\"))\n"
         "        return\n"
         "    fi\n\n";
    if (commands) {
        s += "    case $command in\n"
             "    '')\n"
             "        COMPREPLY=($(compgen -W '" +
             join(commandNames, " ") + "' -- \"$cur\")) ;;\n";
        for (const std::string& family : families)
            s += "    " + family + ")\n        COMPREPLY=($(compgen -W '" + join(subcommands[family], " ") +
                 "' -- \"$cur\")) ;;\n";
        s += operandCases + "    esac\n";
    }
    s += "}\n\ncomplete -F " + function + " " + program + "\n";
    return s;
}

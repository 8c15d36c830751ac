// Dialog-driving scripts of host.exe (--script FILE), parsed without windows.h.
// One command per line; '#' starts a comment line; blank lines are skipped. Words are
// separated by blanks. Commands whose last argument is free text (settext, type,
// tablet) take the rest of the line verbatim after their fixed words. name=value words
// are options only where the command knows that name (class=, timeout=, in=, steps=,
// of=); any other word, "vk=0x41" included, stays an argument.
#pragma once
#include <map>
#include <string>
#include <vector>

struct ScriptCommand {
    int line = 0;                  // 1-based line number in the file
    std::string verb;              // "click", "wait-dialog", ...
    std::vector<std::string> args; // positional words (and the free text as the last one)
    std::map<std::string, std::string> options;

    // Option value or fallback.
    std::string option(const std::string& name, const std::string& fallback = std::string()) const;
};

// Parses and checks the whole script: unknown commands, wrong argument counts, bad
// numbers and unknown key names are reported as "line N: ..." before anything runs.
bool parseScript(const std::string& text, std::vector<ScriptCommand>& out, std::string& error);

// Integer in decimal or 0x hex; false for anything else.
bool scriptInt(const std::string& s, long& v);

// Virtual-key code of a key name (alt, ctrl, shift, space, enter, escape, tab, f1..f12,
// left/right/up/down, home, end, delete, backspace, a single letter or digit, vk=0xNN);
// 0 for an unknown name.
int scriptKeyCode(const std::string& name);

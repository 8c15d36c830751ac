#include "script.h"

#include <cctype>
#include <cstdlib>
#include <set>

namespace {

struct VerbInfo {
    const char* name;
    int minArgs, maxArgs;     // positional words, the free text counting as one
    int fixedWords;           // >= 0: words before the free text (rest of the line); -1: none
    const char* options;      // option names, space separated
};

// maxArgs -1: no limit.
const VerbInfo kVerbs[] = {
    {"wait-dialog", 0, 0, -1, "class timeout"},
    {"click", 1, 1, -1, ""},
    {"settext", 1, 2, 1, ""},
    {"type", 2, 2, 1, ""},
    {"key", 2, 3, -1, ""},
    {"mouse", 3, 3, -1, "in"},
    {"drag", 4, 4, -1, "in steps"},
    {"read", 1, 1, -1, ""},
    {"trackbar", 1, 1, -1, ""},
    {"scroll", 1, 1, -1, ""},
    {"preview", 0, 1, -1, ""},
    {"window", 0, 0, -1, ""},
    {"move", 4, 4, -1, ""},
    {"maximize", 0, 0, -1, ""},
    {"restore", 0, 0, -1, ""},
    {"sysclose", 0, 0, -1, ""},
    {"answer", 1, 1, -1, ""},
    {"expect-messagebox", 0, 0, -1, "timeout"},
    {"screenshot", 1, 1, -1, "of redraw"},
    {"tablet", 1, 1, 0, ""},
    {"sleep", 1, 1, -1, ""},
    {"idle", 0, 0, -1, ""},
    {"focus", 0, 1, -1, ""},
    {"select", 2, 2, -1, ""},
};

const VerbInfo* findVerb(const std::string& v) {
    for (const auto& i : kVerbs)
        if (v == i.name) return &i;
    return nullptr;
}

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// Words of s; rest[k] is the text after word k-1 with one separating blank run removed.
void splitLine(const std::string& s, std::vector<std::string>& words, std::vector<std::string>& rest) {
    size_t p = 0;
    for (;;) {
        while (p < s.size() && isBlank(s[p])) ++p;
        if (p >= s.size()) break;
        rest.push_back(s.substr(p));
        size_t start = p;
        while (p < s.size() && !isBlank(s[p])) ++p;
        words.push_back(s.substr(start, p - start));
    }
}

std::string trimRight(std::string s) {
    while (!s.empty() && isBlank(s.back())) s.pop_back();
    return s;
}

bool isInt(const std::string& s) {
    long v;
    return scriptInt(s, v);
}

// Arguments that must be numbers, per verb (indices into args).
bool checkNumbers(const ScriptCommand& c, std::string& why) {
    std::vector<size_t> idx;
    const std::string& v = c.verb;
    if (v == "click" || v == "read" || v == "trackbar" || v == "scroll" || v == "preview" || v == "focus" ||
        v == "settext" || v == "type")
        idx = {0};
    else if (v == "mouse") idx = {1, 2};
    else if (v == "select") idx = {0, 1};
    else if (v == "drag" || v == "move") idx = {0, 1, 2, 3};
    else if (v == "sleep") idx = {0};
    for (size_t i : idx)
        if (i < c.args.size() && !isInt(c.args[i])) { why = "'" + c.args[i] + "' is not a number"; return false; }
    for (const char* o : {"timeout", "in", "steps"}) {
        auto it = c.options.find(o);
        if (it != c.options.end() && !isInt(it->second)) { why = std::string(o) + "= wants a number"; return false; }
    }
    if (v == "key") {
        const std::string& mode = c.args[0];
        if (mode != "down" && mode != "up" && mode != "press" && mode != "repeat") { why = "key wants down, up, press or repeat"; return false; }
        if ((mode == "repeat") != (c.args.size() == 3)) { why = mode == "repeat" ? "key repeat wants NAME COUNT" : "key " + mode + " wants one NAME"; return false; }
        if (!scriptKeyCode(c.args[1])) { why = "unknown key '" + c.args[1] + "'"; return false; }
        long n;
        if (mode == "repeat" && (!scriptInt(c.args[2], n) || n < 1)) { why = "key repeat wants a count of at least 1"; return false; }
    }
    if (v == "mouse" && c.args[0] != "move" && c.args[0] != "down" && c.args[0] != "up") { why = "mouse wants move, down or up"; return false; }
    if (v == "answer" && c.args[0] != "yes" && c.args[0] != "no" && c.args[0] != "ok" && c.args[0] != "cancel") { why = "answer wants yes, no, ok or cancel"; return false; }
    if (v == "screenshot") {
        const std::string of = c.option("of", "dialog");
        if (of != "dialog" && of != "preview" && !isInt(of)) { why = "of= wants dialog, preview or a control id"; return false; }
    }
    return true;
}

}  // namespace

std::string ScriptCommand::option(const std::string& name, const std::string& fallback) const {
    auto it = options.find(name);
    return it == options.end() ? fallback : it->second;
}

bool scriptInt(const std::string& s, long& v) {
    if (s.empty()) return false;
    char* end = nullptr;
    const bool hex = s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X');
    long long l = std::strtoll(s.c_str(), &end, hex ? 16 : 10);
    if (*end != 0 || l < -2147483647LL - 1 || l > 2147483647LL) return false;
    v = long(l);
    return true;
}

int scriptKeyCode(const std::string& nameIn) {
    std::string name;
    for (char c : nameIn) name += char(std::tolower(static_cast<unsigned char>(c)));
    static const std::map<std::string, int> named = {
        {"alt", 0x12}, {"ctrl", 0x11}, {"shift", 0x10}, {"space", 0x20}, {"enter", 0x0D}, {"escape", 0x1B},
        {"tab", 0x09}, {"backspace", 0x08}, {"delete", 0x2E}, {"home", 0x24}, {"end", 0x23},
        {"left", 0x25}, {"up", 0x26}, {"right", 0x27}, {"down", 0x28},
    };
    auto it = named.find(name);
    if (it != named.end()) return it->second;
    if (name.size() == 1 && std::isalnum(static_cast<unsigned char>(name[0])))
        return std::toupper(static_cast<unsigned char>(name[0]));
    if (name.size() >= 2 && name[0] == 'f' && std::isdigit(static_cast<unsigned char>(name[1]))) {
        long n;
        if (scriptInt(name.substr(1), n) && n >= 1 && n <= 12) return 0x70 + int(n) - 1;
    }
    if (name.compare(0, 3, "vk=") == 0) {
        long n;
        if (scriptInt(name.substr(3), n) && n > 0 && n < 0xFF) return int(n);
    }
    return 0;
}

bool parseScript(const std::string& text, std::vector<ScriptCommand>& out, std::string& error) {
    out.clear();
    size_t start = 0;
    int lineNo = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string line = trimRight(text.substr(start, end - start));
        start = end + 1;
        ++lineNo;
        std::vector<std::string> words, rest;
        splitLine(line, words, rest);
        if (words.empty() || words[0][0] == '#') continue;
        auto fail = [&](const std::string& why) {
            error = "line " + std::to_string(lineNo) + ": " + why;
            return false;
        };
        const VerbInfo* info = findVerb(words[0]);
        if (!info) return fail("unknown command '" + words[0] + "'");
        ScriptCommand c;
        c.line = lineNo;
        c.verb = words[0];
        if (info->fixedWords >= 0) {
            // Fixed words, then the rest of the line as one argument (may be empty).
            const size_t fixed = size_t(info->fixedWords);
            for (size_t i = 1; i <= fixed && i < words.size(); ++i) c.args.push_back(words[i]);
            if (words.size() > fixed + 1) c.args.push_back(rest[fixed + 1]);
        } else {
            std::set<std::string> known;
            std::string opts = info->options;
            for (size_t p = 0; p < opts.size();) {
                size_t q = opts.find(' ', p);
                if (q == std::string::npos) q = opts.size();
                known.insert(opts.substr(p, q - p));
                p = q + 1;
            }
            for (size_t i = 1; i < words.size(); ++i) {
                size_t eq = words[i].find('=');
                if (eq != std::string::npos && known.count(words[i].substr(0, eq)))
                    c.options[words[i].substr(0, eq)] = words[i].substr(eq + 1);
                else
                    c.args.push_back(words[i]);
            }
        }
        const int n = int(c.args.size());
        if (n < info->minArgs || (info->maxArgs >= 0 && n > info->maxArgs))
            return fail(c.verb + " wants " + (info->minArgs == info->maxArgs ? std::to_string(info->minArgs)
                                                                              : std::to_string(info->minArgs) + " to " + std::to_string(info->maxArgs)) +
                        " argument(s), got " + std::to_string(n));
        std::string why;
        if (!checkNumbers(c, why)) return fail(why);
        out.push_back(c);
    }
    return true;
}

#include "host_args.h"

#include <cstdlib>

namespace {

const char* const kSelectorNames[] = {"about", "parameters", "prepare", "start", "continue", "finish"};

bool toInt(const std::string& s, int& v) {
    if (s.empty()) return false;
    char* end = nullptr;
    long l = std::strtol(s.c_str(), &end, 10);
    if (*end != 0 || l < -2147483647L - 1 || l > 2147483647L) return false;
    v = int(l);
    return true;
}

std::vector<std::string> split(const std::string& s, char sep) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        size_t p = s.find(sep, start);
        parts.push_back(s.substr(start, p == std::string::npos ? std::string::npos : p - start));
        if (p == std::string::npos) return parts;
        start = p + 1;
    }
}

}  // namespace

std::string selectorName(int selector) {
    if (selector >= 0 && selector <= 5) return kSelectorNames[selector];
    if (selector == kDropInvocation) return "drop";
    return "selector" + std::to_string(selector);
}

bool parseHostArgs(const std::vector<std::string>& argv, HostArgs& a, std::string& error) {
    if (argv.empty()) {
        a.command = HostCommand::Gui;
        return true;
    }
    if (argv[0] == "pipl") a.command = HostCommand::Pipl;
    else if (argv[0] == "run") a.command = HostCommand::Run;
    else { error = "unknown command '" + argv[0] + "' (want pipl or run)"; return false; }

    for (size_t i = 1; i < argv.size(); ++i) {
        const std::string& o = argv[i];
        auto value = [&](std::string& dst) {
            if (i + 1 >= argv.size()) { error = o + " needs a value"; return false; }
            dst = argv[++i];
            return true;
        };
        std::string v;
        if (o == "--plugin") { if (!value(a.plugin)) return false; }
        else if (o == "--dump" && a.command == HostCommand::Pipl) { if (!value(a.dump)) return false; }
        else if (a.command == HostCommand::Pipl) { error = "unknown option " + o + " for pipl"; return false; }
        else if (o == "--image") { if (!value(a.image)) return false; }
        else if (o == "--mask") { if (!value(a.mask)) return false; }
        else if (o == "--floating") a.floating = true;
        else if (o == "--filter-rect") {
            if (!value(v)) return false;
            auto parts = split(v, ',');
            if (parts.size() != 4) { error = "--filter-rect wants L,T,R,B"; return false; }
            for (int k = 0; k < 4; ++k)
                if (!toInt(parts[k], a.filterRect[k])) { error = "--filter-rect: bad number '" + parts[k] + "'"; return false; }
            a.haveFilterRect = true;
        } else if (o == "--selectors") {
            if (!value(v)) return false;
            a.selectors.clear();
            for (const auto& s : split(v, ',')) {
                int n = -1000000;
                for (int k = 0; k < 6; ++k)
                    if (s == kSelectorNames[k]) n = k;
                if (s == "drop") n = kDropInvocation;
                if (n == -1000000 && (!toInt(s, n) || n < -32768 || n > 32767)) { error = "--selectors: unknown selector '" + s + "'"; return false; }
                a.selectors.push_back(n);
            }
        } else if (o == "--params-in") { if (!value(a.paramsIn)) return false; }
        else if (o == "--params-out") { if (!value(a.paramsOut)) return false; }
        else if (o == "--params-tag") {
            if (!value(v)) return false;
            if (v == "foto") a.paramsTagged = true;
            else if (v == "none") a.paramsTagged = false;
            else { error = "--params-tag wants foto or none"; return false; }
        } else if (o == "--params-guard") a.paramsGuarded = true;
        else if (o == "--handle-procs") a.handleProcs = true;
        else if (o == "--color-services") {
            if (!value(a.colorServices)) return false;
            if (a.colorServices != "full" && a.colorServices != "no-conversion" && a.colorServices != "none") {
                error = "--color-services wants full, no-conversion or none";
                return false;
            }
        } else if (o == "--choose-color" || o == "--foreground") {
            if (!value(v)) return false;
            auto parts = split(v, ',');
            int* rgb = o == "--foreground" ? a.foreground : a.chooseColor;
            bool ok = parts.size() == 3;
            for (size_t k = 0; ok && k < 3; ++k) ok = toInt(parts[k], rgb[k]) && rgb[k] >= 0 && rgb[k] <= 255;
            if (!ok) { error = o + " wants R,G,B, each 0..255"; return false; }
            (o == "--foreground" ? a.haveForeground : a.haveChooseColor) = true;
        }
        else if (o == "--out") { if (!value(a.out)) return false; }
        else if (o == "--report") { if (!value(a.report)) return false; }
        else if (o == "--screenshot-main") { if (!value(a.screenshotMain)) return false; }
        else if (o == "--script") { if (!value(a.script)) return false; }
        else if (o == "--script-log") { if (!value(a.scriptLog)) return false; }
        else if (o == "--no-display-pixels") a.displayPixels = false;
        else if (o == "--display-ignores-origin") a.displayIgnoresOrigin = true;
        else if (o == "--no-advance-state") a.advanceState = false;
        else if (o == "--advance-state-no-buffers") a.advanceStateNoBuffers = true;
        else if (o == "--hold-class") { if (!value(a.holdClass)) return false; }
        else if (o == "--invalid-owner") a.invalidOwner = true;
        else if (o == "--advance-state-error") {
            if (!value(v) || !toInt(v, a.advanceStateError) || a.advanceStateError < -32768 || a.advanceStateError > 32767) {
                error = "--advance-state-error wants a 16-bit number";
                return false;
            }
            a.haveAdvanceStateError = true;
        } else if (o == "--guard") {
            if (!value(v)) return false;
            if (v == "front") a.guardFront = true;
            else if (v == "back") a.guardFront = false;
            else { error = "--guard wants back or front"; return false; }
        } else if (o == "--answer-messagebox") {
            if (!value(v)) return false;
            if (v == "ok") a.answerButton = 1;
            else if (v == "cancel") a.answerButton = 2;
            else if (v == "yes") a.answerButton = 6;
            else if (v == "no") a.answerButton = 7;
            else { error = "--answer-messagebox wants ok, yes, no or cancel"; return false; }
            a.answerName = v;
        } else if (o == "--timeout-ms") {
            if (!value(v) || !toInt(v, a.timeoutMs) || a.timeoutMs <= 0) { error = "--timeout-ms wants a positive number"; return false; }
        } else {
            error = "unknown option " + o;
            return false;
        }
    }
    if (a.plugin.empty()) { error = "--plugin is required"; return false; }
    if (a.command == HostCommand::Run && a.image.empty()) { error = "--image is required for run"; return false; }
    return true;
}

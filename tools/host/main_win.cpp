// host.exe: reference host for the Kestrix filter plug-ins.
//   host.exe pipl --plugin P.8bf [--dump FILE]
//   host.exe run --plugin P.8bf --image IN.pam [...]   (see host_args.h)
//       --script FILE [--script-log FILE]: drive the plug-in's dialog (script.h,
//       dialog_driver_win.h); results are the report's script.* keys
//   host.exe                                          interactive window
// Exit codes: 0 ran (whatever the plug-in answered), 1 bad arguments or files,
// 2 module unusable (load, PiPL, entry, image mode not enabled), 3 fault, 4 timeout.
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "dialog_driver_win.h"
#include "filter_session_win.h"
#include "host_args.h"
#include "host_procs_win.h"
#include "main_window_win.h"
#include "window_capture_win.h"
#include "messagebox_hook_win.h"
#include "param_handle_win.h"
#include "plugin_module_win.h"
#include "png_write.h"
#include "report_sink_win.h"
#include "script.h"

namespace {

bool readFile(const std::string& path, std::vector<uint8_t>& out) {
    std::ifstream f(path, std::ios::binary);
    if (!f) return false;
    out.assign(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
    return true;
}

bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream f(path, std::ios::binary);
    f.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return bool(f);
}

int fail(int code, const std::string& message) {
    std::fprintf(stderr, "host: %s\n", message.c_str());
    return code;
}

int piplCommand(const HostArgs& a) {
    PluginModule m;
    bool ok = m.load(a.plugin);
    if (!a.dump.empty() && !m.piplBytes.empty() && !writeFile(a.dump, m.piplBytes))
        return fail(1, "cannot write " + a.dump);
    for (const auto& line : m.pipl.lines) std::printf("%s=%s\n", line.first.c_str(), Report::escape(line.second).c_str());
    if (!ok) {
        std::printf("pipl: bad %s: %s\n", m.badKey.c_str(), m.why.c_str());
        std::fflush(stdout);
        return 1;
    }
    std::fflush(stdout);
    return 0;
}

int runCommand(const HostArgs& a) {
    std::string error;
    Image image, mask;
    if (!readImage(a.image, image, error)) return fail(1, error);
    const bool haveMask = !a.mask.empty();
    if (haveMask) {
        if (!readImage(a.mask, mask, error)) return fail(1, error);
        if (mask.depth != 1 || mask.width != image.width || mask.height != image.height)
            return fail(1, "the mask must be one plane of the image's size");
    }
    SessionOptions opt;
    opt.floating = a.floating;
    opt.displayPixels = a.displayPixels;
    opt.advanceState = a.advanceState;
    opt.haveAdvanceStateError = a.haveAdvanceStateError;
    opt.advanceStateError = int16_t(a.advanceStateError);
    opt.advanceStateNoBuffers = a.advanceStateNoBuffers;
    opt.invalidOwner = a.invalidOwner;
    opt.guardFront = a.guardFront;
    if (a.haveFilterRect) {
        opt.haveFilterRect = true;
        opt.filterRect = {a.filterRect[1], a.filterRect[0], a.filterRect[3], a.filterRect[2]};
        const PixRect& f = opt.filterRect;
        if (rectEmpty(f) || f.left < 0 || f.top < 0 || f.right > image.width || f.bottom > image.height)
            return fail(1, "--filter-rect must be a non-empty part of the image");
    }
    std::vector<uint8_t> params;
    if (!a.paramsIn.empty() && !readFile(a.paramsIn, params)) return fail(1, "cannot read " + a.paramsIn);
    std::vector<ScriptCommand> script;
    if (!a.script.empty()) {
        std::vector<uint8_t> text;
        if (!readFile(a.script, text)) return fail(1, "cannot read " + a.script);
        if (!parseScript(std::string(text.begin(), text.end()), script, error)) return fail(1, a.script + ": " + error);
    }

    startCrashWatch(a.timeoutMs);
    PluginModule m;
    if (!m.load(a.plugin)) {
        std::printf("pipl: bad %s: %s\n", m.badKey.c_str(), m.why.c_str());
        reportSet("pipl", "bad " + m.badKey + ": " + m.why);
        writeReport();
        return 2;
    }
    reportSet("pipl", "ok");
    reportSet("plugin.name", m.pipl.name);
    reportSet("entry", "ok");
    if (!piplEnablesMode(m.pipl, image.imageMode)) {
        reportSet("mode.enabled", 0);
        writeReport();
        return 2;
    }
    if (!a.paramsIn.empty()) {
        HostHandleShape shape;
        shape.tag = a.paramsTagged ? kHandleTag : 0;
        shape.guarded = a.paramsGuarded;
        opt.parameters = makeHostHandle(params, shape);
        if (!opt.parameters) return fail(1, "cannot make the parameters handle");
    }
    opt.handleProcs = a.handleProcs;
    opt.colorServices = a.colorServices != "none";
    opt.haveForeground = a.haveForeground;
    for (int i = 0; i < 3; ++i) opt.foreground[i] = a.foreground[i];
    setColorConversionUnsupported(a.colorServices == "no-conversion");
    setChosenColor(a.haveChooseColor ? a.chooseColor : nullptr);

    HWND window = createMainWindow(false);
    setHostProcsOwner(window);
    setDisplayIgnoresOrigin(a.displayIgnoresOrigin);
    setShownImage(window, &image);
    installMessageBoxAnswerer(a.answerButton, a.answerName.c_str());
    for (const char* counter : {"advanceState.calls", "displayPixels.calls", "colorServices.calls", "messagebox.count"})
        reportSet(counter, 0);
    if (!a.holdClass.empty()) {
        // The class the plug-in is about to register, taken first in its own name: its
        // RegisterClassA then fails as it would after a crashed earlier run.
        WNDCLASSA wc{};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = m.module;
        wc.lpszClassName = a.holdClass.c_str();
        reportSet("holdClass.registered", RegisterClassA(&wc) != 0 ? 1 : 0);
    }

    Handle finalParams;
    Image result;
    {
        FilterSession session(image, haveMask ? &mask : nullptr, window, opt);
        DialogDriver* driver = a.script.empty() ? nullptr : startDialogDriver(script, a.scriptLog);
        session.run(m.entry, a.selectors);
        finishDialogDriver(driver);
        result = session.result();
        finalParams = session.parameters();
    }
    HandleKind kind = handleKind(finalParams);
    reportSet("parameters.tag", handleKindName(kind));
    std::vector<uint8_t> bytes;
    if (handleBytes(finalParams, bytes)) reportSet("parameters.size", static_cast<long long>(bytes.size()));
    stopCrashWatch();
    removeMessageBoxAnswerer();

    int code = 0;
    if (!a.paramsOut.empty() && kind != HandleKind::None && !writeFile(a.paramsOut, bytes)) code = fail(1, "cannot write " + a.paramsOut);
    if (!a.out.empty() && !writeImage(a.out, result, error)) code = fail(1, error);
    if (!a.screenshotMain.empty()) {
        setShownImage(window, &result);
        int width, height;
        if (!captureWindowPng(window, false, a.screenshotMain, width, height)) code = fail(1, "cannot write " + a.screenshotMain);
    }
    writeReport();
    setShownImage(nullptr, nullptr);
    DestroyWindow(window);
    if (!a.holdClass.empty()) UnregisterClassA(a.holdClass.c_str(), m.module);
    return code;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    HostArgs a;
    std::string error;
    if (!parseHostArgs(args, a, error)) return fail(1, error);
    reportInit(a.report);
    switch (a.command) {
    case HostCommand::Pipl: return piplCommand(a);
    case HostCommand::Run: return runCommand(a);
    case HostCommand::Gui: {
        FreeConsole();
        HWND w = createMainWindow(true);
        if (!w) return 1;
        setHostProcsOwner(w);
        return runInteractive(w);
    }
    }
    return 1;
}

// Command line of host.exe, parsed without windows.h.
#pragma once
#include <string>
#include <vector>

enum class HostCommand { Gui, Pipl, Run };

struct HostArgs {
    HostCommand command = HostCommand::Gui;
    std::string plugin, dump, image, mask, paramsIn, paramsOut, out, report, screenshotMain;
    std::string script, scriptLog;  // dialog-driving script (see script.h) and its log
    bool floating = false;
    bool haveFilterRect = false;
    int filterRect[4] = {0, 0, 0, 0};  // left, top, right, bottom as given on the command line
    std::vector<int> selectors = {1, 2, 3, 5};
    bool displayPixels = true;
    bool displayIgnoresOrigin = false;  // displayPixels draws from the map's origin, as some hosts do
    bool advanceState = true;
    bool haveAdvanceStateError = false;
    int advanceStateError = 0;
    bool advanceStateNoBuffers = false;  // answer advanceState with success and no buffers
    std::string holdClass;               // a window class registered for the plug-in first
    bool invalidOwner = false;           // platformData names a window that does not exist
    bool guardFront = false;
    bool paramsTagged = false;  // --params-tag foto: the --params-in handle carries 'FOTO'
    bool paramsGuarded = false; // --params-guard: its data ends at a PAGE_NOACCESS page
    bool handleProcs = false;   // --handle-procs: the record offers the host's handle suite
    // Colour services: offered in full ("full"), with ConvertColor and GetSpecialColor
    // answering -30900 as some hosts do ("no-conversion"), or not at all ("none").
    std::string colorServices = "full";
    bool haveChooseColor = false;  // --choose-color R,G,B: the picker answers this at once
    int chooseColor[3] = {0, 0, 0};
    bool haveForeground = false;   // --foreground R,G,B: the foreground colour (8 bits each)
    int foreground[3] = {0, 0, 0};
    int answerButton = 1;  // IDOK; IDYES 6, IDNO 7, IDCANCEL 2
    std::string answerName = "ok";
    int timeoutMs = 60000;
};

// Returns false with a message for bad arguments.
bool parseHostArgs(const std::vector<std::string>& argv, HostArgs& args, std::string& error);

// Not a selector: in --selectors, "drop" makes the host abandon the invocation there,
// as a host may between any two calls: it frees the FilterRecord (its pages are
// decommitted, so the plug-in faults if it touches it again) and later selectors get a
// new record, the parameters handle carried over.
constexpr int kDropInvocation = 0x10000;

// "about", "parameters", ... "drop", or "selector<N>" for numbers outside 0..5.
std::string selectorName(int selector);

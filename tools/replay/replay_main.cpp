// Replays a dialog session's sample log through the stroke step and an effect's dab
// operations onto an image, as the dialog would have painted it: with the session's
// Apply, Revert, undo snapshots and Z where the log has them, through the same work-
// session code as the dialog.
//
//   kx_replay --effect record|spotclean|dustclean|airbrush|warper|grainwash|chisel|texturer|gilder
//             --samples LOG --image IN.pam
//             [--mask MASK.pam] [--out OUT.pam] [--dab-log FILE] [--done]
//
// --done ends the session as Done does (the same end-of-session code, the effect's
// finalApply included), so that OUT is the image the host receives; without it OUT is
// the result buffer as it stood after the last sample.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "filters/chisel/chisel_module.h"
#include "filters/gilder/gilder_module.h"
#include "filters/grainwash/grain_module.h"
#include "filters/spotclean/dust_params.h"
#include "filters/spotclean/spot_params.h"
#include "filters/texture_common/texture_source.h"
#include "filters/texturer/texturer_module.h"
#include "filters/warper/warp_module.h"
#include "framework/brush/sample_log.h"
#include "framework/brush/stroke.h"
#include "framework/dialog/editing_dialog.h"
#include "framework/host/module.h"
#include "framework/host/platform.h"
#include "framework/host/plugin_globals.h"
#include "framework/host/settings.h"
#include "framework/host/undo.h"
#include "framework/tablet/device.h"
#include "framework/tablet/packet_filter.h"
#include "tools/host/image_file.h"
#include "tools/stroke_probe/record_effect.h"

// replay_airbrush.cpp: airbrush's description without its dialog.
const ModuleInfo& airbrushReplayModule();

namespace {

const ModuleInfo* gModule;

void noInvalidate(void*, const Box&) {}
void noUpdate(void*) {}
void noCursor(void*, bool) {}
void noRevert(void*) {}

int usage(const char* why) {
    std::fprintf(stderr, "kx_replay: %s\nusage: kx_replay --effect record|spotclean|dustclean|airbrush|warper|grainwash|chisel|texturer|gilder "
                         "--samples LOG --image IN.pam [--mask MASK.pam] [--out OUT.pam] [--dab-log FILE] [--done]\n", why);
    return 1;
}

}  // namespace

const ModuleInfo& currentModule() { return *gModule; }

int main(int argc, char** argv) {
    std::string effect, samples, imagePath, maskPath, outPath, dabLog;
    bool done = false;
    for (int i = 1; i < argc; i += 2) {
        std::string k = argv[i];
        if (k == "--done") {
            done = true;
            --i;
            continue;
        }
        if (i + 1 >= argc) return usage((k + " needs a value").c_str());
        std::string v = argv[i + 1];
        if (k == "--effect") effect = v;
        else if (k == "--samples") samples = v;
        else if (k == "--image") imagePath = v;
        else if (k == "--mask") maskPath = v;
        else if (k == "--out") outPath = v;
        else if (k == "--dab-log") dabLog = v;
        else return usage(("unknown option " + k).c_str());
    }
    const struct {
        const char* name;
        const ModuleInfo* module;
    } effects[] = {
        {"record", &recordingModule()},
        {"spotclean", &kSpotcleanModule},
        {"dustclean", &kDustcleanModule},
        {"airbrush", &airbrushReplayModule()},
        {"warper", &kWarperModule},
        {"grainwash", &kGrainwashModule},
        {"chisel", &kChiselModule},
        {"texturer", &kTexturerModule},
        {"gilder", &kGilderModule},
    };
    // The texture effects prepare their textures from the same bitmaps the plug-ins carry.
    useTextureFiles(KX_SOURCE_DIR);
    for (const auto& e : effects)
        if (effect == e.name) gModule = e.module;
    if (!gModule) return usage("no such effect");
    if (samples.empty() || imagePath.empty()) return usage("--samples and --image are needed");

    Image image;
    std::string error;
    if (!readImage(imagePath, image, error)) return usage(error.c_str());
    Image mask;
    if (!maskPath.empty()) {
        if (!readImage(maskPath, mask, error)) return usage(error.c_str());
        if (mask.depth != 1 || mask.width != image.width || mask.height != image.height)
            return usage("the mask must be one plane of the image's size");
    }
    std::vector<SampleLogEntry> entries;
    if (!readSampleLog(samples.c_str(), entries, gModule->sampleRule)) return usage("cannot read the sample log");

    std::FILE* log = nullptr;
    if (!dabLog.empty() && !(log = std::fopen(dabLog.c_str(), "w"))) return usage("cannot write the dab log");
    setDabLog(log);

    // The record a host would hand over after the whole-image request.
    std::vector<uint8_t> in = image.pixels, out = image.pixels;
    FilterRecord record{};
    record.planes = int16_t(image.depth);
    record.imageMode = int16_t(image.imageMode);
    record.filterRect = {0, 0, int16_t(image.height), int16_t(image.width)};
    record.inRect = record.outRect = record.filterRect;
    record.inHiPlane = record.outHiPlane = int16_t(image.depth - 1);
    record.inData = in.data();
    record.outData = out.data();
    record.inRowBytes = record.outRowBytes = image.width * image.depth;
    if (!maskPath.empty()) {
        record.haveMask = 1;
        record.maskRect = record.filterRect;
        record.maskData = mask.pixels.data();
        record.maskRowBytes = image.width;
    }
    gPlugin = PluginGlobals{};
    gPlugin.record = &record;

    const ModuleInfo& module = *gModule;
    module.hooks->setDefaults();
    if (!module.hooks->initBuffers()) return usage("no memory for the work buffers");
    if (!startEffectBuffers()) return usage("no memory for the effect's image buffers");
    if (!module.noUndo) createUndo(record);  // as the dialog does right after the working copy
    openedWork();
    StrokeState state{nullptr, 0, 0, true};
    resetModuleStroke(state, module);
    StrokeSurface surface{};
    surface.geometry.zoom = 1.0f;
    surface.geometry.outRect = Box{0, 0, image.width, image.height};
    surface.penDown = true;
    surface.invalidate = noInvalidate;
    surface.updateNow = noUpdate;
    surface.setCursor = noCursor;
    surface.enableRevert = noRevert;
    for (const SampleLogEntry& e : entries) {
        if (e.kind == SampleLogEntry::params) {
            if (e.bytes.size() == module.paramsSize) {
                std::memcpy(module.params, e.bytes.data(), e.bytes.size());
                clampParams(module);  // a log is a file like any other: its values may be anything
            }
        } else if (e.kind == SampleLogEntry::device) {
            gDevice.pressureMax = e.pressureMax;
            gDevice.wheelMax = e.wheelMax;
        } else if (e.kind == SampleLogEntry::apply) {
            if (!applyWork()) return usage("no memory for the applied image");
        } else if (e.kind == SampleLogEntry::revert) {
            revertWork();
        } else if (e.kind == SampleLogEntry::snapshot) {
            snapshotUndo(record);
        } else if (e.kind == SampleLogEntry::swap) {
            swapUndo(record);
        } else if (e.kind == SampleLogEntry::seed) {
            if (module.sampleRule && module.sampleRule->setSeed) module.sampleRule->setSeed(e.seedValue);
        } else {
            auto* s = static_cast<TabletSample*>(allocFixed(e.record.size()));
            if (!s) return usage("no memory for a sample");
            std::memcpy(s, e.record.data(), e.record.size());
            runStrokeStep(state, s, module, surface);
        }
    }
    resetModuleStroke(state, module);
    // The dialog's end: Done's end-of-session code, or just the host's buffer back.
    if (done)
        keepWork();
    else
        closeWorkSession();
    freeEffectBuffers();
    module.hooks->freeBuffers();
    if (log) std::fclose(log);

    if (!outPath.empty()) {
        image.pixels = out;
        if (!writeImage(outPath, image, error)) return usage(error.c_str());
    }
    return 0;
}

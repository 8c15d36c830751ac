#include "framework/host/module.h"

#include "framework/tablet/packet_filter.h"
#include "resources/common/art_ids.h"

const ModuleIds kDefaultModuleIds = {
    KX_DIALOG, nullptr, "DlgWndClass", "ProxyWndClass", false,
    301, 302, 303, nullptr, nullptr, nullptr,
    10000, 10004, 10005, 10006, 10007, 16000, 16001,
};

const ModuleIds& moduleIds(const ModuleInfo& module) {
    return module.ids ? *module.ids : kDefaultModuleIds;
}

uint32_t sampleBytes(const ModuleInfo& module) {
    const SampleRule* rule = module.sampleRule;
    return rule && rule->sampleBytes > sizeof(TabletSample) ? rule->sampleBytes
                                                            : uint32_t(sizeof(TabletSample));
}

// Our declarations of the Wintab tablet interface (wintab32.dll). A 32-bit module reaches
// the driver's functions by ordinal, as 32-bit applications always have; a 64-bit one by
// name, which every 64-bit driver exports. The records hold no pointers and keep their
// sizes in both widths.
#pragma once
#include <cstdint>

#if defined(_WIN32)
#define KX_WINAPI __stdcall
#else
#define KX_WINAPI
#endif

using FIX32 = uint32_t;  // 16.16 fixed point
using HCTX = void*;

// Export ordinals of wintab32.dll.
enum WintabOrdinal : uint16_t {
    kOrdWTInfoA = 20,
    kOrdWTOpenA = 21,
    kOrdWTClose = 22,
    kOrdWTPacketsGet = 23,
    kOrdWTPacket = 24,
    kOrdWTEnable = 40,
    kOrdWTOverlap = 41,
    kOrdWTQueueSizeGet = 84,
    kOrdWTQueueSizeSet = 85,
};

// One driver function: its ordinal and its exported name.
struct WintabExport {
    uint16_t ordinal;
    const char* name;
};
#if UINTPTR_MAX == 0xFFFFFFFFu
constexpr bool kWintabByOrdinal = true;
#else
constexpr bool kWintabByOrdinal = false;
#endif
constexpr WintabExport kWTInfoA{kOrdWTInfoA, "WTInfoA"};
constexpr WintabExport kWTOpenA{kOrdWTOpenA, "WTOpenA"};
constexpr WintabExport kWTClose{kOrdWTClose, "WTClose"};
constexpr WintabExport kWTPacketsGet{kOrdWTPacketsGet, "WTPacketsGet"};
constexpr WintabExport kWTPacket{kOrdWTPacket, "WTPacket"};
constexpr WintabExport kWTEnable{kOrdWTEnable, "WTEnable"};
constexpr WintabExport kWTOverlap{kOrdWTOverlap, "WTOverlap"};
constexpr WintabExport kWTQueueSizeGet{kOrdWTQueueSizeGet, "WTQueueSizeGet"};
constexpr WintabExport kWTQueueSizeSet{kOrdWTQueueSizeSet, "WTQueueSizeSet"};

constexpr unsigned WT_DEFBASE = 0x7FF0;
constexpr unsigned WT_PACKET = WT_DEFBASE + 0;
constexpr unsigned WT_CTXOPEN = WT_DEFBASE + 1;
constexpr unsigned WT_CTXCLOSE = WT_DEFBASE + 2;
constexpr unsigned WT_CTXUPDATE = WT_DEFBASE + 3;
constexpr unsigned WT_CTXOVERLAP = WT_DEFBASE + 4;
constexpr unsigned WT_PROXIMITY = WT_DEFBASE + 5;
constexpr unsigned WT_INFOCHANGE = WT_DEFBASE + 6;
constexpr unsigned WT_CSRCHANGE = WT_DEFBASE + 7;

constexpr unsigned WTI_INTERFACE = 1;
constexpr unsigned WTI_DEFCONTEXT = 3;
constexpr unsigned WTI_DEFSYSCTX = 4;
constexpr unsigned WTI_DEVICES = 100;
constexpr unsigned WTI_CURSORS = 200;

constexpr unsigned DVC_X = 12;
constexpr unsigned DVC_Y = 13;
constexpr unsigned DVC_Z = 14;
constexpr unsigned DVC_NPRESSURE = 15;
constexpr unsigned DVC_TPRESSURE = 16;
constexpr unsigned DVC_ORIENTATION = 17;

constexpr unsigned CSR_NAME = 1;
constexpr unsigned CSR_TYPE = 20;

constexpr unsigned CXO_SYSTEM = 0x0001;
constexpr unsigned CXO_PEN = 0x0002;
constexpr unsigned CXO_MESSAGES = 0x0004;
constexpr unsigned CXO_CSRMESSAGES = 0x0008;

constexpr uint32_t PK_CONTEXT = 0x0001;
constexpr uint32_t PK_STATUS = 0x0002;
constexpr uint32_t PK_TIME = 0x0004;
constexpr uint32_t PK_CHANGED = 0x0008;
constexpr uint32_t PK_SERIAL_NUMBER = 0x0010;
constexpr uint32_t PK_CURSOR = 0x0020;
constexpr uint32_t PK_BUTTONS = 0x0040;
constexpr uint32_t PK_X = 0x0080;
constexpr uint32_t PK_Y = 0x0100;
constexpr uint32_t PK_Z = 0x0200;
constexpr uint32_t PK_NORMAL_PRESSURE = 0x0400;
constexpr uint32_t PK_TANGENT_PRESSURE = 0x0800;
constexpr uint32_t PK_ORIENTATION = 0x1000;
constexpr uint32_t PK_ROTATION = 0x2000;

constexpr uint32_t TPS_INVERT = 0x0010;

struct AXIS {
    int32_t axMin;
    int32_t axMax;
    uint32_t axUnits;
    FIX32 axResolution;
};

struct LOGCONTEXTA {
    char lcName[40];
    uint32_t lcOptions, lcStatus, lcLocks, lcMsgBase, lcDevice, lcPktRate;
    uint32_t lcPktData, lcPktMode, lcMoveMask;
    uint32_t lcBtnDnMask, lcBtnUpMask;
    int32_t lcInOrgX, lcInOrgY, lcInOrgZ, lcInExtX, lcInExtY, lcInExtZ;
    int32_t lcOutOrgX, lcOutOrgY, lcOutOrgZ, lcOutExtX, lcOutExtY, lcOutExtZ;
    FIX32 lcSensX, lcSensY, lcSensZ;
    int32_t lcSysMode;
    int32_t lcSysOrgX, lcSysOrgY, lcSysExtX, lcSysExtY;
    FIX32 lcSysSensX, lcSysSensY;
};

// The packet our contexts ask for: PK_CURSOR | PK_BUTTONS | PK_X | PK_Y |
// PK_NORMAL_PRESSURE | PK_TANGENT_PRESSURE | PK_ORIENTATION, laid out lowest bit first.
constexpr uint32_t kPacketData = PK_CURSOR | PK_BUTTONS | PK_X | PK_Y | PK_NORMAL_PRESSURE |
                                 PK_TANGENT_PRESSURE | PK_ORIENTATION;
struct Packet {
    uint32_t pkCursor;
    uint32_t pkButtons;
    int32_t pkX, pkY;
    uint32_t pkNormalPressure;
    uint32_t pkTangentPressure;
    int32_t orAzimuth, orAltitude, orTwist;
};

using WTInfoAProc = unsigned(KX_WINAPI*)(unsigned category, unsigned index, void* out);
using WTOpenAProc = HCTX(KX_WINAPI*)(void* window, LOGCONTEXTA* context, int enable);
using WTCloseProc = int(KX_WINAPI*)(HCTX);
using WTPacketsGetProc = int(KX_WINAPI*)(HCTX, int maxPackets, void* packets);
using WTPacketProc = int(KX_WINAPI*)(HCTX, unsigned serial, void* packet);
using WTEnableProc = int(KX_WINAPI*)(HCTX, int enable);
using WTOverlapProc = int(KX_WINAPI*)(HCTX, int toTop);
using WTQueueSizeGetProc = int(KX_WINAPI*)(HCTX);
using WTQueueSizeSetProc = int(KX_WINAPI*)(HCTX, int packets);

#include <cstddef>
static_assert(sizeof(AXIS) == 16, "AXIS");
static_assert(offsetof(LOGCONTEXTA, lcOptions) == 40, "LOGCONTEXTA");
static_assert(offsetof(LOGCONTEXTA, lcPktData) == 64, "LOGCONTEXTA");
static_assert(offsetof(LOGCONTEXTA, lcBtnDnMask) == 76, "LOGCONTEXTA");
static_assert(offsetof(LOGCONTEXTA, lcInOrgX) == 84, "LOGCONTEXTA");
static_assert(offsetof(LOGCONTEXTA, lcOutOrgX) == 108, "LOGCONTEXTA");
static_assert(offsetof(LOGCONTEXTA, lcSensX) == 132, "LOGCONTEXTA");
static_assert(offsetof(LOGCONTEXTA, lcSysMode) == 144, "LOGCONTEXTA");
static_assert(offsetof(LOGCONTEXTA, lcSysOrgX) == 148, "LOGCONTEXTA");
static_assert(offsetof(LOGCONTEXTA, lcSysSensX) == 164, "LOGCONTEXTA");
static_assert(sizeof(LOGCONTEXTA) == 172, "LOGCONTEXTA");
static_assert(sizeof(Packet) == 36, "Packet");

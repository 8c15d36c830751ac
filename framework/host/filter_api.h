// Our declarations of the host filter plug-in interface, written from the byte layouts
// the hosts use. The host's headers pack FilterRecord to 4 bytes in both widths, so in
// a 64-bit module its 8-byte pointers sit at multiples of 4; the other records keep
// their natural alignment. Offsets are pinned below for the 32-bit (i686) and the
// 64-bit (x86-64) modules; the native build uses the same declarations with its own
// pointer size. This header and the Wintab one are the only code that may depend on it.
#pragma once
#include <cstdint>

#if defined(_WIN32)
#define KX_CDECL __cdecl
#else
#define KX_CDECL
#endif

using OSErr = int16_t;
using Fixed = int32_t;
using OSType = uint32_t;
using Boolean = uint8_t;

// 'ABCD' as a host expects it: the first character in the most significant byte.
constexpr OSType fourCC(const char (&s)[5]) {
    return (OSType(uint8_t(s[0])) << 24) | (OSType(uint8_t(s[1])) << 16) |
           (OSType(uint8_t(s[2])) << 8) | OSType(uint8_t(s[3]));
}

constexpr OSErr noErr = 0;
constexpr OSErr memFullErr = -108;
constexpr OSErr filterBadParameters = -30100;
constexpr OSErr errPlugInHostInsufficient = -30900;

enum FilterSelector : int16_t {
    filterSelectorAbout = 0,
    filterSelectorParameters = 1,
    filterSelectorPrepare = 2,
    filterSelectorStart = 3,
    filterSelectorContinue = 4,
    filterSelectorFinish = 5,
};

enum ImageMode : int16_t {
    plugInModeBitmap = 0,
    plugInModeGrayScale = 1,
    plugInModeIndexedColor = 2,
    plugInModeRGBColor = 3,
    plugInModeCMYKColor = 4,
    plugInModeMultichannel = 7,
    plugInModeDuotone = 8,
    plugInModeLabColor = 9,
};

// Padding values of inputPadding / outputPadding / maskPadding (0..255 is a constant).
constexpr int16_t plugInWantsEdgeReplication = -1;
constexpr int16_t plugInDoesNotWantPadding = -2;
constexpr int16_t plugInWantsErrorOnBoundsException = -3;

#pragma pack(push, 4)

struct Point16 { int16_t v, h; };
struct Rect16 { int16_t top, left, bottom, right; };
struct VRect { int32_t top, left, bottom, right; };
struct RGBColor16 { uint16_t red, green, blue; };
using FilterColor = uint8_t[4];

struct PlugInMonitor {
    Fixed gamma, redX, redY, greenX, greenY, blueX, blueY, whiteX, whiteY, ambient;
};

struct HandleCell;
using Handle = HandleCell*;
struct PlatformData;
struct PSPixelMap;
struct ColorServicesInfo;
struct HandleProcs;

using AdvanceStateProc = OSErr(KX_CDECL*)(void);
using DisplayPixelsProc = OSErr(KX_CDECL*)(const PSPixelMap* source, const VRect* srcRect,
                                           int32_t dstRow, int32_t dstCol, void* platformContext);
using ColorServicesProc = OSErr(KX_CDECL*)(ColorServicesInfo* info);
using TestAbortProc = Boolean(KX_CDECL*)(void);
using ProgressProc = void(KX_CDECL*)(int32_t done, int32_t total);

struct FilterRecord {
    int32_t serialNumber;
    TestAbortProc abortProc;
    ProgressProc progressProc;
    Handle parameters;
    Point16 imageSize;
    int16_t planes;
    Rect16 filterRect;
    RGBColor16 background;
    RGBColor16 foreground;
    int32_t maxSpace;
    int32_t bufferSpace;
    Rect16 inRect;
    int16_t inLoPlane, inHiPlane;
    Rect16 outRect;
    int16_t outLoPlane, outHiPlane;
    void* inData;
    int32_t inRowBytes;
    void* outData;
    int32_t outRowBytes;
    Boolean isFloating, haveMask, autoMask;
    Rect16 maskRect;
    void* maskData;
    int32_t maskRowBytes;
    FilterColor backColor;
    FilterColor foreColor;
    OSType hostSig;
    void* hostProc;
    int16_t imageMode;
    Fixed imageHRes, imageVRes;
    Point16 floatCoord;
    Point16 wholeSize;
    PlugInMonitor monitor;
    PlatformData* platformData;
    void* bufferProcs;
    void* resourceProcs;
    void* processEvent;
    DisplayPixelsProc displayPixels;
    HandleProcs* handleProcs;
    Boolean supportsDummyChannels, supportsAlternateLayouts;
    int16_t wantLayout;
    int16_t filterCase;
    int16_t dummyPlaneValue;
    void* premiereHook;
    AdvanceStateProc advanceState;
    Boolean supportsAbsolute, wantsAbsolute;
    void* getPropertyObsolete;
    Boolean cannotUndo, supportsPadding;
    int16_t inputPadding;
    int16_t outputPadding;
    int16_t maskPadding;
    int8_t samplingSupport, reservedByte;
    Fixed inputRate;
    Fixed maskRate;
    ColorServicesProc colorServices;
    int16_t layerPlanes[15];
    int16_t dummyPlanes[4];
    int32_t byteSteps[4];
    void* imageServicesProcs;
    void* propertyProcs;
    int16_t tileFields[16];
    void* descriptorParameters;
    void* errorString;
    void* channelPortProcs;
    void* documentInfo;
    uint8_t reserved[78];
};

#pragma pack(pop)

// A host handle: a pointer to a cell whose first field points at the data. Handles the
// plug-in makes carry the tag 'FOTO' in the second field.
struct HandleCell {
    void* data;
    OSType tag;
};
constexpr OSType kHandleTag = fourCC("FOTO");

struct PlatformData { intptr_t hwnd; };

// The host's handle suite (FilterRecord.handleProcs), natural alignment like the other
// callback suites. numHandleProcs counts the procedures that follow and are there; the
// plug-ins use only getSizeProc, the third.
using NewPIHandleProc = Handle(KX_CDECL*)(int32_t size);
using DisposePIHandleProc = void(KX_CDECL*)(Handle h);
using GetPIHandleSizeProc = int32_t(KX_CDECL*)(Handle h);
using SetPIHandleSizeProc = OSErr(KX_CDECL*)(Handle h, int32_t newSize);
using LockPIHandleProc = void*(KX_CDECL*)(Handle h, Boolean moveHigh);
using UnlockPIHandleProc = void(KX_CDECL*)(Handle h);
using RecoverSpaceProc = void(KX_CDECL*)(int32_t size);
using DisposeRegularPIHandleProc = void(KX_CDECL*)(Handle h);

struct HandleProcs {
    int16_t handleProcsVersion;
    int16_t numHandleProcs;
    NewPIHandleProc newProc;
    DisposePIHandleProc disposeProc;
    GetPIHandleSizeProc getSizeProc;
    SetPIHandleSizeProc setSizeProc;
    LockPIHandleProc lockProc;
    UnlockPIHandleProc unlockProc;
    RecoverSpaceProc recoverSpaceProc;
    DisposeRegularPIHandleProc disposeRegularHandleProc;
};
constexpr int16_t kCurrentHandleProcsVersion = 1;
constexpr int16_t kHandleProcsGetSizeCount = 3;  // numHandleProcs that includes getSizeProc

struct AboutRecord {
    PlatformData* platformData;
    uint8_t reserved[252];
};

struct PSPixelMap {
    int32_t version;
    VRect bounds;
    int32_t imageMode;
    int32_t rowBytes;
    int32_t colBytes;
    int32_t planeBytes;
    void* baseAddr;
    void* mat;
    void* masks;
    int32_t maskPhaseRow, maskPhaseCol;
};

struct ColorServicesInfo {
    int32_t infoSize;
    int16_t selector;
    int16_t sourceSpace;
    int16_t resultSpace;
    Boolean resultGamutInfoValid, resultInGamut;
    void* reservedSourceSpaceInfo;
    void* reservedResultSpaceInfo;
    int16_t colorComponents[4];
    void* reserved;
    const uint8_t* selectorParameter;  // length-prefixed prompt, for selector 0
};

// ColorServicesInfo.selector and colour spaces.
constexpr int16_t plugIncolorServicesChooseColor = 0;
constexpr int16_t plugIncolorServicesConvertColor = 1;
constexpr int16_t plugIncolorServicesSamplePoint = 2;
constexpr int16_t plugIncolorServicesGetSpecialColor = 3;
constexpr int16_t plugIncolorServicesRGBSpace = 0;
constexpr int16_t plugIncolorServicesCMYKSpace = 2;
constexpr int16_t plugIncolorServicesChosenSpace = -1;

// The width of this build: a host loads only modules of its own width.
constexpr int kPointerBits = int(sizeof(void*) * 8);

using PluginEntry = void(KX_CDECL*)(int16_t selector, void* record, intptr_t* data, int16_t* result);

#include <cstddef>
static_assert(sizeof(Point16) == 4 && sizeof(Rect16) == 8 && sizeof(VRect) == 16, "scalars");
static_assert(sizeof(RGBColor16) == 6 && sizeof(PlugInMonitor) == 40, "scalars");

#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(offsetof(FilterRecord, parameters) == 12, "FilterRecord");
static_assert(offsetof(FilterRecord, imageSize) == 16, "FilterRecord");
static_assert(offsetof(FilterRecord, planes) == 20, "FilterRecord");
static_assert(offsetof(FilterRecord, filterRect) == 22, "FilterRecord");
static_assert(offsetof(FilterRecord, background) == 30, "FilterRecord");
static_assert(offsetof(FilterRecord, foreground) == 36, "FilterRecord");
static_assert(offsetof(FilterRecord, maxSpace) == 44, "FilterRecord");
static_assert(offsetof(FilterRecord, bufferSpace) == 48, "FilterRecord");
static_assert(offsetof(FilterRecord, inRect) == 52, "FilterRecord");
static_assert(offsetof(FilterRecord, inLoPlane) == 60, "FilterRecord");
static_assert(offsetof(FilterRecord, outRect) == 64, "FilterRecord");
static_assert(offsetof(FilterRecord, outLoPlane) == 72, "FilterRecord");
static_assert(offsetof(FilterRecord, inData) == 76, "FilterRecord");
static_assert(offsetof(FilterRecord, inRowBytes) == 80, "FilterRecord");
static_assert(offsetof(FilterRecord, outData) == 84, "FilterRecord");
static_assert(offsetof(FilterRecord, outRowBytes) == 88, "FilterRecord");
static_assert(offsetof(FilterRecord, isFloating) == 92, "FilterRecord");
static_assert(offsetof(FilterRecord, maskRect) == 96, "FilterRecord");
static_assert(offsetof(FilterRecord, maskData) == 104, "FilterRecord");
static_assert(offsetof(FilterRecord, maskRowBytes) == 108, "FilterRecord");
static_assert(offsetof(FilterRecord, backColor) == 112, "FilterRecord");
static_assert(offsetof(FilterRecord, hostSig) == 120, "FilterRecord");
static_assert(offsetof(FilterRecord, imageMode) == 128, "FilterRecord");
static_assert(offsetof(FilterRecord, imageHRes) == 132, "FilterRecord");
static_assert(offsetof(FilterRecord, floatCoord) == 140, "FilterRecord");
static_assert(offsetof(FilterRecord, wholeSize) == 144, "FilterRecord");
static_assert(offsetof(FilterRecord, monitor) == 148, "FilterRecord");
static_assert(offsetof(FilterRecord, platformData) == 188, "FilterRecord");
static_assert(offsetof(FilterRecord, displayPixels) == 204, "FilterRecord");
static_assert(offsetof(FilterRecord, supportsDummyChannels) == 212, "FilterRecord");
static_assert(offsetof(FilterRecord, wantLayout) == 214, "FilterRecord");
static_assert(offsetof(FilterRecord, filterCase) == 216, "FilterRecord");
static_assert(offsetof(FilterRecord, dummyPlaneValue) == 218, "FilterRecord");
static_assert(offsetof(FilterRecord, advanceState) == 224, "FilterRecord");
static_assert(offsetof(FilterRecord, supportsAbsolute) == 228, "FilterRecord");
static_assert(offsetof(FilterRecord, getPropertyObsolete) == 232, "FilterRecord");
static_assert(offsetof(FilterRecord, cannotUndo) == 236, "FilterRecord");
static_assert(offsetof(FilterRecord, inputPadding) == 238, "FilterRecord");
static_assert(offsetof(FilterRecord, outputPadding) == 240, "FilterRecord");
static_assert(offsetof(FilterRecord, maskPadding) == 242, "FilterRecord");
static_assert(offsetof(FilterRecord, samplingSupport) == 244, "FilterRecord");
static_assert(offsetof(FilterRecord, inputRate) == 248, "FilterRecord");
static_assert(offsetof(FilterRecord, maskRate) == 252, "FilterRecord");
static_assert(offsetof(FilterRecord, colorServices) == 256, "FilterRecord");
static_assert(offsetof(FilterRecord, descriptorParameters) == 356, "FilterRecord");
static_assert(offsetof(FilterRecord, reserved) == 372, "FilterRecord");
static_assert(sizeof(FilterRecord) == 452, "FilterRecord");
static_assert(sizeof(AboutRecord) == 256, "AboutRecord");
static_assert(offsetof(PSPixelMap, imageMode) == 20 && offsetof(PSPixelMap, baseAddr) == 36, "PSPixelMap");
static_assert(offsetof(PSPixelMap, maskPhaseRow) == 48 && sizeof(PSPixelMap) == 56, "PSPixelMap");
static_assert(offsetof(ColorServicesInfo, resultGamutInfoValid) == 10, "ColorServicesInfo");
static_assert(offsetof(ColorServicesInfo, colorComponents) == 20, "ColorServicesInfo");
static_assert(offsetof(ColorServicesInfo, selectorParameter) == 32, "ColorServicesInfo");
static_assert(sizeof(ColorServicesInfo) == 36, "ColorServicesInfo");
static_assert(sizeof(HandleCell) == 8 && offsetof(HandleCell, tag) == 4, "HandleCell");
static_assert(offsetof(FilterRecord, handleProcs) == 208, "FilterRecord");
static_assert(offsetof(HandleProcs, numHandleProcs) == 2 && offsetof(HandleProcs, newProc) == 4, "HandleProcs");
static_assert(offsetof(HandleProcs, getSizeProc) == 12 && offsetof(HandleProcs, lockProc) == 20, "HandleProcs");
static_assert(offsetof(HandleProcs, disposeRegularHandleProc) == 32 && sizeof(HandleProcs) == 36, "HandleProcs");
#elif UINTPTR_MAX == 0xFFFFFFFFFFFFFFFFu
// Packed to 4: each pointer takes 8 bytes but starts wherever the previous field ends,
// rounded up to 4 only.
static_assert(offsetof(FilterRecord, abortProc) == 4, "FilterRecord");
static_assert(offsetof(FilterRecord, progressProc) == 12, "FilterRecord");
static_assert(offsetof(FilterRecord, parameters) == 20, "FilterRecord");
static_assert(offsetof(FilterRecord, imageSize) == 28, "FilterRecord");
static_assert(offsetof(FilterRecord, planes) == 32, "FilterRecord");
static_assert(offsetof(FilterRecord, filterRect) == 34, "FilterRecord");
static_assert(offsetof(FilterRecord, background) == 42, "FilterRecord");
static_assert(offsetof(FilterRecord, foreground) == 48, "FilterRecord");
static_assert(offsetof(FilterRecord, maxSpace) == 56, "FilterRecord");
static_assert(offsetof(FilterRecord, bufferSpace) == 60, "FilterRecord");
static_assert(offsetof(FilterRecord, inRect) == 64, "FilterRecord");
static_assert(offsetof(FilterRecord, inLoPlane) == 72, "FilterRecord");
static_assert(offsetof(FilterRecord, outRect) == 76, "FilterRecord");
static_assert(offsetof(FilterRecord, outLoPlane) == 84, "FilterRecord");
static_assert(offsetof(FilterRecord, inData) == 88, "FilterRecord");
static_assert(offsetof(FilterRecord, inRowBytes) == 96, "FilterRecord");
static_assert(offsetof(FilterRecord, outData) == 100, "FilterRecord");
static_assert(offsetof(FilterRecord, outRowBytes) == 108, "FilterRecord");
static_assert(offsetof(FilterRecord, isFloating) == 112, "FilterRecord");
static_assert(offsetof(FilterRecord, maskRect) == 116, "FilterRecord");
static_assert(offsetof(FilterRecord, maskData) == 124, "FilterRecord");
static_assert(offsetof(FilterRecord, maskRowBytes) == 132, "FilterRecord");
static_assert(offsetof(FilterRecord, backColor) == 136, "FilterRecord");
static_assert(offsetof(FilterRecord, foreColor) == 140, "FilterRecord");
static_assert(offsetof(FilterRecord, hostSig) == 144, "FilterRecord");
static_assert(offsetof(FilterRecord, hostProc) == 148, "FilterRecord");
static_assert(offsetof(FilterRecord, imageMode) == 156, "FilterRecord");
static_assert(offsetof(FilterRecord, imageHRes) == 160, "FilterRecord");
static_assert(offsetof(FilterRecord, floatCoord) == 168, "FilterRecord");
static_assert(offsetof(FilterRecord, wholeSize) == 172, "FilterRecord");
static_assert(offsetof(FilterRecord, monitor) == 176, "FilterRecord");
static_assert(offsetof(FilterRecord, platformData) == 216, "FilterRecord");
static_assert(offsetof(FilterRecord, displayPixels) == 248, "FilterRecord");
static_assert(offsetof(FilterRecord, handleProcs) == 256, "FilterRecord");
static_assert(offsetof(FilterRecord, supportsDummyChannels) == 264, "FilterRecord");
static_assert(offsetof(FilterRecord, wantLayout) == 266, "FilterRecord");
static_assert(offsetof(FilterRecord, filterCase) == 268, "FilterRecord");
static_assert(offsetof(FilterRecord, dummyPlaneValue) == 270, "FilterRecord");
static_assert(offsetof(FilterRecord, premiereHook) == 272, "FilterRecord");
static_assert(offsetof(FilterRecord, advanceState) == 280, "FilterRecord");
static_assert(offsetof(FilterRecord, supportsAbsolute) == 288, "FilterRecord");
static_assert(offsetof(FilterRecord, getPropertyObsolete) == 292, "FilterRecord");
static_assert(offsetof(FilterRecord, cannotUndo) == 300, "FilterRecord");
static_assert(offsetof(FilterRecord, inputPadding) == 302, "FilterRecord");
static_assert(offsetof(FilterRecord, outputPadding) == 304, "FilterRecord");
static_assert(offsetof(FilterRecord, maskPadding) == 306, "FilterRecord");
static_assert(offsetof(FilterRecord, samplingSupport) == 308, "FilterRecord");
static_assert(offsetof(FilterRecord, inputRate) == 312, "FilterRecord");
static_assert(offsetof(FilterRecord, maskRate) == 316, "FilterRecord");
static_assert(offsetof(FilterRecord, colorServices) == 320, "FilterRecord");
static_assert(offsetof(FilterRecord, byteSteps) == 368, "FilterRecord");
static_assert(offsetof(FilterRecord, imageServicesProcs) == 384, "FilterRecord");
static_assert(offsetof(FilterRecord, tileFields) == 400, "FilterRecord");
static_assert(offsetof(FilterRecord, descriptorParameters) == 432, "FilterRecord");
static_assert(offsetof(FilterRecord, reserved) == 464, "FilterRecord");
static_assert(sizeof(FilterRecord) == 544, "FilterRecord");
// Natural alignment from here on.
static_assert(sizeof(AboutRecord) == 264, "AboutRecord");
static_assert(offsetof(PSPixelMap, imageMode) == 20 && offsetof(PSPixelMap, planeBytes) == 32, "PSPixelMap");
static_assert(offsetof(PSPixelMap, baseAddr) == 40 && offsetof(PSPixelMap, mat) == 48, "PSPixelMap");
static_assert(offsetof(PSPixelMap, masks) == 56 && offsetof(PSPixelMap, maskPhaseRow) == 64, "PSPixelMap");
static_assert(offsetof(PSPixelMap, maskPhaseCol) == 68 && sizeof(PSPixelMap) == 72, "PSPixelMap");
static_assert(offsetof(ColorServicesInfo, resultGamutInfoValid) == 10, "ColorServicesInfo");
static_assert(offsetof(ColorServicesInfo, reservedSourceSpaceInfo) == 16, "ColorServicesInfo");
static_assert(offsetof(ColorServicesInfo, colorComponents) == 32, "ColorServicesInfo");
static_assert(offsetof(ColorServicesInfo, selectorParameter) == 48, "ColorServicesInfo");
static_assert(sizeof(ColorServicesInfo) == 56, "ColorServicesInfo");
static_assert(sizeof(HandleCell) == 16 && offsetof(HandleCell, tag) == 8, "HandleCell");
static_assert(offsetof(HandleProcs, numHandleProcs) == 2 && offsetof(HandleProcs, newProc) == 8, "HandleProcs");
static_assert(offsetof(HandleProcs, getSizeProc) == 24 && offsetof(HandleProcs, lockProc) == 40, "HandleProcs");
static_assert(offsetof(HandleProcs, disposeRegularHandleProc) == 64 && sizeof(HandleProcs) == 72, "HandleProcs");
static_assert(sizeof(PlatformData) == 8, "PlatformData");
#endif

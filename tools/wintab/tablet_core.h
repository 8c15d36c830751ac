// The virtual tablet's state without Win32: its configuration, the pen, the per-context
// packet queue and the packet layout. The DLL glue (wintab32_win.cpp) adds windows,
// messages, threads and the log around it.
#pragma once
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "framework/tablet/wintab.h"

namespace kxtab {

enum class CursorKind { Pen, Eraser, Airbrush, Puck };

// CSR_TYPE values. Plug-ins classify with type & 0x0F06: pen 0x0802, airbrush 0x0902,
// puck 6 (which they treat as 4); the eraser is a pen end (0x080A & 0x0F06 = 0x0802).
uint32_t cursorType(CursorKind kind);
const char* cursorName(CursorKind kind);
bool parseCursorKind(const std::string& word, CursorKind* out);

// KX_TABLET_CONFIG file, key=value per line, '#' starts a comment.
struct Config {
    int pressureMax = 1023;     // DVC_NPRESSURE axMax
    int wheelMax = 1023;        // DVC_TPRESSURE axMax; 0 = no wheel axis (the query fails)
    bool orientation = true;    // whether DVC_ORIENTATION answers
    int azimuthResolution = 10; // integer part of the azimuth axis' 16.16 resolution
    std::vector<CursorKind> cursors{CursorKind::Pen, CursorKind::Eraser};  // by cursor index
    bool refuseOpen = false;    // WTOpenA returns null
    bool refuseAllQueueSizes = false;
    std::vector<int> refusedQueueSizes;  // WTQueueSizeSet answers 0 for these
    int defaultQueue = 8;       // packets a new context's queue holds
    bool refusalDropsQueue = false;  // a refused WTQueueSizeSet leaves no queue at all
    bool systemMouse = true;    // system contexts move the pointer and press the left button
    std::string log;            // path of the call log, empty = none

    bool refusesQueueSize(int n) const;
};

// Unknown keys and malformed values are reported in `errors` and leave the default.
Config parseConfig(const std::string& text, std::vector<std::string>* errors);

// The pen as the last command left it. Positions are virtual-screen pixels; altitude and
// azimuth in tenths of a degree (a negative altitude is the eraser end down).
struct PenState {
    uint32_t cursor = 0;
    uint32_t buttons = 0;
    int32_t x = 0, y = 0;
    uint32_t pressure = 0;
    uint32_t wheel = 0;
    int32_t azimuth = 0, altitude = 900, twist = 0;
};

struct QueuedPacket {
    uint32_t serial = 0;
    uint32_t time = 0;     // milliseconds (GetTickCount)
    uint32_t status = 0;   // TPS_* bits
    PenState pen;          // x, y already in the context's output coordinates
};

// A context's FIFO. Like a hardware driver's ring buffer it never blocks: a full queue
// drops its oldest packet for the new one.
class PacketQueue {
public:
    explicit PacketQueue(int capacity) : capacity_(capacity) {}
    int capacity() const { return capacity_; }
    size_t size() const { return packets_.size(); }
    // Changing the size throws the queued packets away.
    void setCapacity(int packets);
    uint32_t push(QueuedPacket packet);  // assigns and returns the serial (from 1)
    // WTPacket: the packet with that serial, discarding it and every older one; false and
    // nothing discarded when it is not queued.
    bool take(uint32_t serial, QueuedPacket* out);
    // WTPacketsGet: removes up to n oldest (out may be null to flush them).
    int takeOldest(int n, std::vector<QueuedPacket>* out);

private:
    std::deque<QueuedPacket> packets_;
    int capacity_;
    uint32_t nextSerial_ = 1;
};

// Bytes of a packet with the PK_* fields of `mask` (each 4 bytes, orientation and
// rotation 12), laid out lowest bit first.
size_t packetSize(uint32_t mask);
size_t writePacket(uint32_t mask, const QueuedPacket& packet, uint32_t contextHandle, void* out);

// Applies "key=value" tokens of a packet/burst command to the pen: x y p w b alt az tw;
// "post=0|1" sets *post. False with a message on an unknown key or a bad number, and then
// the pen is left as it was.
bool applyPacketFields(const std::vector<std::string>& tokens, size_t first, PenState* pen,
                       bool* post, std::string* error);

std::vector<std::string> splitWords(const std::string& line);
bool parseInt(const std::string& text, long* out);

}  // namespace kxtab

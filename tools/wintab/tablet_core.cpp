#include "tools/wintab/tablet_core.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sstream>

namespace kxtab {

uint32_t cursorType(CursorKind kind) {
    switch (kind) {
    case CursorKind::Pen: return 0x0802;
    case CursorKind::Eraser: return 0x080A;
    case CursorKind::Airbrush: return 0x0902;
    case CursorKind::Puck: return 0x0006;
    }
    return 0;
}

const char* cursorName(CursorKind kind) {
    switch (kind) {
    case CursorKind::Pen: return "Pressure Stylus";
    case CursorKind::Eraser: return "Eraser";
    case CursorKind::Airbrush: return "Airbrush";
    case CursorKind::Puck: return "Puck";
    }
    return "";
}

bool parseCursorKind(const std::string& word, CursorKind* out) {
    static const struct { const char* name; CursorKind kind; } kinds[] = {
        {"pen", CursorKind::Pen}, {"eraser", CursorKind::Eraser},
        {"airbrush", CursorKind::Airbrush}, {"puck", CursorKind::Puck}};
    for (const auto& k : kinds) {
        if (word == k.name) {
            *out = k.kind;
            return true;
        }
    }
    return false;
}

bool parseInt(const std::string& text, long* out) {
    if (text.empty()) return false;
    errno = 0;
    char* end = nullptr;
    long v = std::strtol(text.c_str(), &end, 0);
    if (errno != 0 || *end != '\0') return false;
    *out = v;
    return true;
}

static std::string trim(const std::string& s) {
    size_t b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos) return "";
    size_t e = s.find_last_not_of(" \t\r\n");
    return s.substr(b, e - b + 1);
}

static std::vector<std::string> splitList(const std::string& s) {
    std::vector<std::string> out;
    std::stringstream in(s);
    std::string item;
    while (std::getline(in, item, ',')) out.push_back(trim(item));
    return out;
}

std::vector<std::string> splitWords(const std::string& line) {
    std::vector<std::string> out;
    std::stringstream in(line);
    std::string w;
    while (in >> w) out.push_back(w);
    return out;
}

bool Config::refusesQueueSize(int n) const {
    return refuseAllQueueSizes ||
           std::find(refusedQueueSizes.begin(), refusedQueueSizes.end(), n) != refusedQueueSizes.end();
}

Config parseConfig(const std::string& text, std::vector<std::string>* errors) {
    Config c;
    std::stringstream in(text);
    std::string line;
    auto fail = [&](const std::string& msg) {
        if (errors) errors->push_back(msg);
    };
    while (std::getline(in, line)) {
        size_t hash = line.find('#');
        if (hash != std::string::npos) line.erase(hash);
        line = trim(line);
        if (line.empty()) continue;
        size_t eq = line.find('=');
        if (eq == std::string::npos) {
            fail("no '=' in \"" + line + "\"");
            continue;
        }
        std::string key = trim(line.substr(0, eq)), value = trim(line.substr(eq + 1));
        long n = 0;
        auto number = [&](int* field, long lo, long hi) {
            if (parseInt(value, &n) && n >= lo && n <= hi)
                *field = int(n);
            else
                fail(key + ": bad value \"" + value + "\"");
        };
        auto flag = [&](bool* field) {
            if (value == "0" || value == "1")
                *field = value == "1";
            else
                fail(key + ": expected 0 or 1, got \"" + value + "\"");
        };
        if (key == "pressure_max") {
            number(&c.pressureMax, 0, 0x7FFFFFFF);  // an axis maximum is a LONG
        } else if (key == "wheel_max") {
            number(&c.wheelMax, 0, 0x7FFFFFFF);
        } else if (key == "orientation") {
            flag(&c.orientation);
        } else if (key == "azimuth_resolution") {
            number(&c.azimuthResolution, 0, 0x7FFF);
        } else if (key == "cursors") {
            std::vector<CursorKind> kinds;
            bool ok = true;
            for (const auto& w : splitList(value)) {
                CursorKind k;
                if (parseCursorKind(w, &k))
                    kinds.push_back(k);
                else
                    ok = false;
            }
            if (ok && !kinds.empty())
                c.cursors = kinds;
            else
                fail("cursors: expected pen, eraser, airbrush or puck in \"" + value + "\"");
        } else if (key == "refuse_open") {
            flag(&c.refuseOpen);
        } else if (key == "refuse_queue_sizes") {
            if (value == "all") {
                c.refuseAllQueueSizes = true;
            } else {
                for (const auto& w : splitList(value)) {
                    if (w.empty()) continue;
                    if (parseInt(w, &n))
                        c.refusedQueueSizes.push_back(int(n));
                    else
                        fail("refuse_queue_sizes: bad size \"" + w + "\"");
                }
            }
        } else if (key == "default_queue") {
            number(&c.defaultQueue, 1, 1024);
        } else if (key == "refusal_drops_queue") {
            flag(&c.refusalDropsQueue);
        } else if (key == "system_mouse") {
            flag(&c.systemMouse);
        } else if (key == "log") {
            c.log = value;
        } else {
            fail("unknown key \"" + key + "\"");
        }
    }
    return c;
}

void PacketQueue::setCapacity(int packets) {
    capacity_ = packets;
    packets_.clear();
}

uint32_t PacketQueue::push(QueuedPacket packet) {
    packet.serial = nextSerial_++;
    if (capacity_ <= 0) return packet.serial;
    while (packets_.size() >= size_t(capacity_)) packets_.pop_front();
    packets_.push_back(packet);
    return packet.serial;
}

bool PacketQueue::take(uint32_t serial, QueuedPacket* out) {
    auto it = std::find_if(packets_.begin(), packets_.end(),
                           [serial](const QueuedPacket& p) { return p.serial == serial; });
    if (it == packets_.end()) return false;
    if (out) *out = *it;
    packets_.erase(packets_.begin(), it + 1);
    return true;
}

int PacketQueue::takeOldest(int n, std::vector<QueuedPacket>* out) {
    int count = 0;
    while (count < n && !packets_.empty()) {
        if (out) out->push_back(packets_.front());
        packets_.pop_front();
        ++count;
    }
    return count;
}

size_t packetSize(uint32_t mask) {
    size_t size = 0;
    for (uint32_t bit = PK_CONTEXT; bit <= PK_ROTATION; bit <<= 1) {
        if (!(mask & bit)) continue;
        size += (bit == PK_ORIENTATION || bit == PK_ROTATION) ? 12 : 4;
    }
    return size;
}

size_t writePacket(uint32_t mask, const QueuedPacket& p, uint32_t contextHandle, void* out) {
    unsigned char* dst = static_cast<unsigned char*>(out);
    size_t pos = 0;
    auto put = [&](uint32_t v) {
        if (dst) std::memcpy(dst + pos, &v, 4);
        pos += 4;
    };
    for (uint32_t bit = PK_CONTEXT; bit <= PK_ROTATION; bit <<= 1) {
        if (!(mask & bit)) continue;
        switch (bit) {
        case PK_CONTEXT: put(contextHandle); break;
        case PK_STATUS: put(p.status); break;
        case PK_TIME: put(p.time); break;
        case PK_CHANGED: put(mask); break;  // every field is reported as changed
        case PK_SERIAL_NUMBER: put(p.serial); break;
        case PK_CURSOR: put(p.pen.cursor); break;
        case PK_BUTTONS: put(p.pen.buttons); break;
        case PK_X: put(uint32_t(p.pen.x)); break;
        case PK_Y: put(uint32_t(p.pen.y)); break;
        case PK_Z: put(0); break;
        case PK_NORMAL_PRESSURE: put(p.pen.pressure); break;
        case PK_TANGENT_PRESSURE: put(p.pen.wheel); break;
        case PK_ORIENTATION:
            put(uint32_t(p.pen.azimuth));
            put(uint32_t(p.pen.altitude));
            put(uint32_t(p.pen.twist));
            break;
        case PK_ROTATION: put(0); put(0); put(0); break;
        }
    }
    return pos;
}

bool applyPacketFields(const std::vector<std::string>& tokens, size_t first, PenState* pen,
                       bool* post, std::string* error) {
    PenState next = *pen;
    for (size_t i = first; i < tokens.size(); ++i) {
        const std::string& t = tokens[i];
        size_t eq = t.find('=');
        long v = 0;
        if (eq == std::string::npos || !parseInt(t.substr(eq + 1), &v)) {
            *error = "expected key=number, got \"" + t + "\"";
            return false;
        }
        std::string key = t.substr(0, eq);
        if (key == "x") next.x = int32_t(v);
        else if (key == "y") next.y = int32_t(v);
        else if (key == "p") next.pressure = uint32_t(v);
        else if (key == "w") next.wheel = uint32_t(v);
        else if (key == "b") next.buttons = uint32_t(v);
        else if (key == "alt") next.altitude = int32_t(v);
        else if (key == "az") next.azimuth = int32_t(v);
        else if (key == "tw") next.twist = int32_t(v);
        else if (key == "post") *post = v != 0;
        else {
            *error = "unknown packet field \"" + key + "\"";
            return false;
        }
    }
    *pen = next;
    return true;
}

}  // namespace kxtab

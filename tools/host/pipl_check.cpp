#include "pipl_check.h"

#include <cstdio>
#include <cstring>

namespace {

uint32_t le32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }
uint16_t le16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }

constexpr uint32_t cc(const char (&s)[5]) {
    return uint32_t(uint8_t(s[0])) << 24 | uint32_t(uint8_t(s[1])) << 16 | uint32_t(uint8_t(s[2])) << 8 |
           uint32_t(uint8_t(s[3]));
}

std::string ccText(uint32_t v) {
    std::string s;
    for (int shift = 24; shift >= 0; shift -= 8) {
        char c = char((v >> shift) & 0xFF);
        s += (c >= 32 && c < 127) ? c : '?';
    }
    return s;
}

bool allZero(const uint8_t* p, size_t n) {
    for (size_t i = 0; i < n; ++i)
        if (p[i]) return false;
    return true;
}

// A Pascal string filling the property, zero padding after it.
bool pascalString(const uint8_t* p, size_t len, std::string& out, std::string& why) {
    if (len < 1) { why = "empty property"; return false; }
    size_t n = p[0];
    if (n == 0) { why = "empty string"; return false; }
    if (1 + n > len) { why = "string runs past the property"; return false; }
    if (!allZero(p + 1 + n, len - 1 - n)) { why = "non-zero padding after the string"; return false; }
    out.assign(reinterpret_cast<const char*>(p + 1), n);
    return true;
}

// A zero-terminated string at p, the rest of the property zero padding.
bool cString(const uint8_t* p, size_t len, std::string& out, std::string& why) {
    const void* z = std::memchr(p, 0, len);
    if (!z) { why = "string not terminated inside the property"; return false; }
    size_t n = size_t(static_cast<const uint8_t*>(z) - p);
    if (!allZero(p + n, len - n)) { why = "non-zero padding after the string"; return false; }
    out.assign(reinterpret_cast<const char*>(p), n);
    return true;
}

std::string hex32(uint32_t v) {
    char b[16];
    std::snprintf(b, sizeof b, "0x%08X", v);
    return b;
}

}  // namespace

bool parsePipl(const uint8_t* d, size_t size, PiplInfo& info, std::string& badKey, std::string& why,
               const char* entryKey) {
    const char* const order[] = {"kind", "name", "catg", "vers", entryKey, "hstm", "mode", "enbl", "fici"};
    const char* otherKey = std::strcmp(entryKey, "wx86") == 0 ? "8664" : "wx86";
    badKey = "header";
    if (size < 10) { why = "resource shorter than its 10-byte header"; return false; }
    if (le16(d) != 1) { why = "header version " + std::to_string(le16(d)) + ", want 1"; return false; }
    if (le32(d + 2) != 0) { why = "header kind " + std::to_string(le32(d + 2)) + ", want 0"; return false; }
    if (le32(d + 6) != 9) { why = "property count " + std::to_string(le32(d + 6)) + ", want 9"; return false; }

    size_t pos = 10;
    for (const char* key : order) {
        badKey = key;
        if (size - pos < 16) { why = "property header runs past the resource"; return false; }
        uint32_t vendor = le32(d + pos), k = le32(d + pos + 4), id = le32(d + pos + 8), len = le32(d + pos + 12);
        uint32_t want = uint32_t(uint8_t(key[0])) << 24 | uint32_t(uint8_t(key[1])) << 16 |
                        uint32_t(uint8_t(key[2])) << 8 | uint32_t(uint8_t(key[3]));
        if (key == entryKey && ccText(k) == otherKey) {
            why = std::string("the module names its entry under '") + otherKey + "', for " +
                  (otherKey[0] == 'w' ? "32-bit" : "64-bit") + " hosts; this host needs '" + entryKey + "'";
            return false;
        }
        if (k != want) { why = "found '" + ccText(k) + "' in its place"; return false; }
        if (vendor != cc("8BIM")) { why = "vendor '" + ccText(vendor) + "', want '8BIM'"; return false; }
        if (id != 0) { why = "id " + std::to_string(id) + ", want 0"; return false; }
        if (len % 4 != 0) { why = "length " + std::to_string(len) + " is not a multiple of 4"; return false; }
        pos += 16;
        if (len > size - pos) { why = "length " + std::to_string(len) + " runs past the resource"; return false; }
        const uint8_t* p = d + pos;
        std::string value;

        if (k == cc("kind")) {
            if (len != 4 || le32(p) != cc("8BFM")) { why = "want a 4-byte '8BFM'"; return false; }
            value = "8BFM";
        } else if (k == cc("name")) {
            if (!pascalString(p, len, info.name, why)) return false;
            value = info.name;
        } else if (k == cc("catg")) {
            if (!pascalString(p, len, info.category, why)) return false;
            if (info.category != "Kestrix(tm)") { why = "category '" + info.category + "', want 'Kestrix(tm)'"; return false; }
            value = info.category;
        } else if (k == cc("vers")) {
            if (len != 4 || le32(p) != 0x00040000) { why = "want the 4-byte version 0x00040000"; return false; }
            value = hex32(le32(p));
        } else if (k == cc("wx86") || k == cc("8664")) {
            if (!cString(p, len, info.entryName, why)) return false;
            if (info.entryName != "ENTRYPOINT") { why = "entry '" + info.entryName + "', want 'ENTRYPOINT'"; return false; }
            value = info.entryName;
        } else if (k == cc("hstm")) {
            if (len < 16) { why = "shorter than version, class, event, terminology id and a string"; return false; }
            if (le32(p) != 0) { why = "version " + std::to_string(le32(p)) + ", want 0"; return false; }
            if (le32(p + 4) != cc("sdK1")) { why = "class id '" + ccText(le32(p + 4)) + "', want 'sdK1'"; return false; }
            if (le32(p + 8) != cc("sdK1")) { why = "event id '" + ccText(le32(p + 8)) + "', want 'sdK1'"; return false; }
            if (le16(p + 12) != 16000) { why = "terminology id " + std::to_string(le16(p + 12)) + ", want 16000"; return false; }
            if (!cString(p + 14, len - 14, info.uniqueString, why)) return false;
            if (info.uniqueString.empty()) { why = "empty unique string"; return false; }
            value = "sdK1/sdK1/16000/" + info.uniqueString;
        } else if (k == cc("mode")) {
            if (len != 4) { why = "length " + std::to_string(len) + ", want 4"; return false; }
            uint8_t any = kModeFlagGray | kModeFlagRGB | kModeFlagCMYK;
            if (!(p[0] & any)) { why = "no grayscale, RGB or CMYK flag"; return false; }
            if (p[1] || p[2] || p[3]) { why = "flags beyond the first byte"; return false; }
            info.modeFlags = p[0];
            std::string m;
            if (p[0] & kModeFlagGray) m += "gray,";
            if (p[0] & kModeFlagRGB) m += "rgb,";
            if (p[0] & kModeFlagCMYK) m += "cmyk,";
            m.pop_back();
            value = m;
        } else if (k == cc("enbl")) {
            if (!cString(p, len, info.enable, why)) return false;
            if (info.enable.rfind("in (PSHOP_ImageMode", 0) != 0) { why = "expression does not start with 'in (PSHOP_ImageMode'"; return false; }
            value = info.enable;
        } else if (k == cc("fici")) {
            if (len != 28) { why = "length " + std::to_string(len) + ", want 28"; return false; }
            for (int i = 0; i < 7; ++i) {
                info.fici[i] = le32(p + 4 * i);
                value += (i ? "," : "") + hex32(info.fici[i]);
            }
        }
        info.lines.emplace_back(key, value);
        pos += len;
    }
    if (pos != size) {
        badKey = "tail";
        why = std::to_string(size - pos) + " bytes after the last property";
        return false;
    }
    return true;
}

bool piplEnablesMode(const PiplInfo& info, int imageMode) {
    switch (imageMode) {
    case 1: return info.modeFlags & kModeFlagGray;
    case 3: return info.modeFlags & kModeFlagRGB;
    case 4: return info.modeFlags & kModeFlagCMYK;
    default: return false;
    }
}

int peModuleBits(const uint8_t* d, size_t size, std::string& why) {
    if (size < 0x40 || d[0] != 'M' || d[1] != 'Z') { why = "not a Windows module (no MZ header)"; return 0; }
    uint32_t pe = le32(d + 0x3C);
    if (pe > size || size - pe < 6 || std::memcmp(d + pe, "PE\0\0", 4) != 0) {
        why = "not a Windows module (no PE header)";
        return 0;
    }
    switch (le16(d + pe + 4)) {
    case 0x014C: return 32;
    case 0x8664: return 64;
    default:
        why = "a module for machine type " + hex32(le16(d + pe + 4)) + ", neither x86 nor x86-64";
        return 0;
    }
}

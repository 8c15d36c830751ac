#include "image_file.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>

bool describeTupleType(const std::string& t, int& imageMode, int& depth, bool& hasAlpha) {
    struct Known { const char* name; int mode; int depth; bool alpha; };
    static const Known known[] = {
        {"GRAYSCALE", 1, 1, false}, {"GRAYSCALE_ALPHA", 1, 2, true},
        {"RGB", 3, 3, false},       {"RGB_ALPHA", 3, 4, true},
        {"CMYK", 4, 4, false},      {"CMYK_ALPHA", 4, 5, true},
    };
    for (const auto& k : known) {
        if (t == k.name) {
            imageMode = k.mode;
            depth = k.depth;
            hasAlpha = k.alpha;
            return true;
        }
    }
    return false;
}

namespace {

struct Reader {
    const std::vector<uint8_t>& b;
    size_t pos = 0;

    void skipSpaceAndComments() {
        while (pos < b.size()) {
            if (b[pos] == '#') {
                while (pos < b.size() && b[pos] != '\n') ++pos;
            } else if (std::isspace(b[pos])) {
                ++pos;
            } else {
                break;
            }
        }
    }
    std::string token() {
        skipSpaceAndComments();
        std::string t;
        while (pos < b.size() && !std::isspace(b[pos])) t += char(b[pos++]);
        return t;
    }
    bool number(long& v) {
        std::string t = token();
        if (t.empty()) return false;
        char* end = nullptr;
        v = std::strtol(t.c_str(), &end, 10);
        return *end == 0;
    }
    std::string restOfLine() {
        std::string t;
        while (pos < b.size() && b[pos] != '\n') t += char(b[pos++]);
        if (pos < b.size()) ++pos;
        return t;
    }
};

bool parsePam(Reader& r, Image& img, std::string& error) {
    long w = -1, h = -1, depth = -1, maxval = -1;
    std::string tupl;
    r.restOfLine();  // rest of the "P7" line
    for (;;) {
        r.skipSpaceAndComments();
        if (r.pos >= r.b.size()) { error = "PAM header without ENDHDR"; return false; }
        std::string key = r.token();
        if (key == "ENDHDR") { r.restOfLine(); break; }
        if (key == "WIDTH") { if (!r.number(w)) break; }
        else if (key == "HEIGHT") { if (!r.number(h)) break; }
        else if (key == "DEPTH") { if (!r.number(depth)) break; }
        else if (key == "MAXVAL") { if (!r.number(maxval)) break; }
        else if (key == "TUPLTYPE") {
            std::string rest = r.restOfLine();
            size_t s = rest.find_first_not_of(" \t"), e = rest.find_last_not_of(" \t\r");
            tupl += (s == std::string::npos) ? "" : rest.substr(s, e - s + 1);
        } else { error = "unknown PAM header line " + key; return false; }
    }
    if (w <= 0 || h <= 0 || w > 30000 || h > 30000) { error = "bad PAM size"; return false; }
    if (maxval != 255) { error = "PAM MAXVAL must be 255"; return false; }
    int mode, want;
    bool alpha;
    if (!describeTupleType(tupl, mode, want, alpha)) { error = "unsupported TUPLTYPE '" + tupl + "'"; return false; }
    if (depth != want) { error = "DEPTH does not match TUPLTYPE " + tupl; return false; }
    img.width = int(w);
    img.height = int(h);
    img.depth = int(depth);
    img.tupltype = tupl;
    img.imageMode = mode;
    img.hasAlpha = alpha;
    img.format = ImageFormat::PAM;
    return true;
}

bool parsePnm(Reader& r, Image& img, bool color, std::string& error) {
    long w, h, maxval;
    if (!r.number(w) || !r.number(h) || !r.number(maxval)) { error = "bad PNM header"; return false; }
    if (w <= 0 || h <= 0 || w > 30000 || h > 30000) { error = "bad PNM size"; return false; }
    if (maxval != 255) { error = "PNM maxval must be 255"; return false; }
    if (r.pos >= r.b.size()) { error = "PNM without pixels"; return false; }
    ++r.pos;  // the single whitespace byte before the raster
    img.width = int(w);
    img.height = int(h);
    img.depth = color ? 3 : 1;
    img.tupltype = color ? "RGB" : "GRAYSCALE";
    img.imageMode = color ? 3 : 1;
    img.hasAlpha = false;
    img.format = color ? ImageFormat::PPM : ImageFormat::PGM;
    return true;
}

}  // namespace

bool parseImage(const std::vector<uint8_t>& bytes, Image& img, std::string& error) {
    Reader r{bytes};
    if (bytes.size() < 3 || bytes[0] != 'P') { error = "not a netpbm file"; return false; }
    char kind = char(bytes[1]);
    r.pos = 2;
    bool ok;
    if (kind == '7') ok = parsePam(r, img, error);
    else if (kind == '5') ok = parsePnm(r, img, false, error);
    else if (kind == '6') ok = parsePnm(r, img, true, error);
    else { error = std::string("unsupported netpbm kind P") + kind; return false; }
    if (!ok) return false;
    size_t need = size_t(img.width) * img.height * img.depth;
    if (bytes.size() - r.pos < need) { error = "truncated raster"; return false; }
    img.pixels.assign(bytes.begin() + long(r.pos), bytes.begin() + long(r.pos + need));
    return true;
}

bool readImage(const std::string& path, Image& img, std::string& error) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) { error = "cannot open " + path; return false; }
    std::vector<uint8_t> bytes;
    uint8_t buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.insert(bytes.end(), buf, buf + n);
    std::fclose(f);
    if (!parseImage(bytes, img, error)) { error = path + ": " + error; return false; }
    return true;
}

std::vector<uint8_t> encodeImage(const Image& img) {
    std::string header;
    if (img.format == ImageFormat::PGM && img.depth == 1) {
        header = "P5\n" + std::to_string(img.width) + " " + std::to_string(img.height) + "\n255\n";
    } else if (img.format == ImageFormat::PPM && img.depth == 3) {
        header = "P6\n" + std::to_string(img.width) + " " + std::to_string(img.height) + "\n255\n";
    } else {
        header = "P7\nWIDTH " + std::to_string(img.width) + "\nHEIGHT " + std::to_string(img.height) +
                 "\nDEPTH " + std::to_string(img.depth) + "\nMAXVAL 255\nTUPLTYPE " + img.tupltype +
                 "\nENDHDR\n";
    }
    std::vector<uint8_t> out(header.begin(), header.end());
    out.insert(out.end(), img.pixels.begin(), img.pixels.end());
    return out;
}

bool writeImage(const std::string& path, const Image& img, std::string& error) {
    std::vector<uint8_t> bytes = encodeImage(img);
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) { error = "cannot create " + path; return false; }
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = (std::fclose(f) == 0) && ok;
    if (!ok) error = "cannot write " + path;
    return ok;
}
